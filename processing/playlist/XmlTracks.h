#pragma once

#include "processing/playlist/PlaylistLine.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavora::playlist {

// What one track (or entry) element of a document gave: its locations, the
// indexes of those too long for any path, and its title and creator.
struct XmlTrack {
    std::vector<std::string> locations;
    std::vector<std::size_t> overlong;
    std::string title, creator;
};

// The entries of the tracks of a document, made on a thread of their own
// while the parser reads on: a large playlist is read in about the time of
// its parse alone. Without a second thread, each is made as it is added.
class XmlTrackEntries final {
public:
    XmlTrackEntries();
    ~XmlTrackEntries();
    XmlTrackEntries(const XmlTrackEntries&) = delete;
    XmlTrackEntries& operator=(const XmlTrackEntries&) = delete;

    void add(XmlTrack track);
    // The entries of every track added, in order.
    std::vector<PlaylistItem> take();

private:
    void handOver();
    void make();
    void stop();

    std::vector<XmlTrack> m_batch; // added, not handed over yet
    std::mutex m_mutex;
    std::condition_variable m_handedOver;
    std::vector<XmlTrack> m_queue; // handed over, not made yet
    bool m_last = false;           // nothing more comes
    std::vector<PlaylistItem> m_entries;
    std::thread m_maker;
};

} // namespace kavora::playlist
