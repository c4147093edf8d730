#include "processing/playlist/XmlTracks.h"

#include "platform/LineReader.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>

namespace kavora::playlist {

namespace {

// Tracks handed to the maker at a time: few locks, and the maker starts early.
constexpr std::size_t kBatchTracks = 256;

// The entry takes the track's first local location, else its first one.
std::optional<PlaylistItem> entryOf(XmlTrack track)
{
    const auto alwaysAFile = [](std::string_view) { return true; };
    std::optional<PlaylistItem> chosen;
    for (std::size_t index = 0; index < track.locations.size(); ++index) {
        std::string& location = track.locations[index];
        // A short location can grow past any path by its base.
        const bool overlong =
            std::find(track.overlong.begin(), track.overlong.end(), index) != track.overlong.end() ||
            location.size() > platform::LineReader::kLongestLine;
        std::string text =
            overlong ? location.substr(0, platform::LineReader::kOverlongStart) : std::move(location);
        PlaylistItem item = classify({std::move(text), overlong}, alwaysAFile);
        if (item.kind == PlaylistItem::Kind::Blank)
            continue;
        if (!chosen || (chosen->kind != PlaylistItem::Kind::Entry && item.kind == PlaylistItem::Kind::Entry))
            chosen = std::move(item);
    }
    if (!chosen)
        return std::nullopt;
    std::string& title = chosen->title;
    title.reserve(track.creator.size() + 3 + track.title.size());
    title.append(track.creator)
        .append(track.creator.empty() || track.title.empty() ? "" : " - ")
        .append(track.title);
    title.resize(utf8Start(title, platform::LineReader::kLongestLine).size());
    return chosen;
}

} // namespace

XmlTrackEntries::XmlTrackEntries()
{
    try {
        m_maker = std::thread([this] { make(); });
    } catch (const std::system_error&) {
        // No thread to be had: the entries are made as tracks come.
    }
}

XmlTrackEntries::~XmlTrackEntries()
{
    stop();
}

void XmlTrackEntries::add(XmlTrack track)
{
    if (!m_maker.joinable()) {
        if (std::optional<PlaylistItem> entry = entryOf(std::move(track)))
            m_entries.push_back(std::move(*entry));
        return;
    }
    m_batch.push_back(std::move(track));
    if (m_batch.size() == kBatchTracks)
        handOver();
}

std::vector<PlaylistItem> XmlTrackEntries::take()
{
    handOver();
    stop();
    return std::move(m_entries);
}

void XmlTrackEntries::handOver()
{
    if (m_batch.empty())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::move(m_batch.begin(), m_batch.end(), std::back_inserter(m_queue));
    }
    m_batch.clear();
    m_handedOver.notify_one();
}

void XmlTrackEntries::make()
{
    std::vector<XmlTrack> tracks;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_handedOver.wait(lock, [this] { return !m_queue.empty() || m_last; });
            if (m_queue.empty())
                return;
            tracks.swap(m_queue);
        }
        for (XmlTrack& track : tracks) {
            if (std::optional<PlaylistItem> entry = entryOf(std::move(track)))
                m_entries.push_back(std::move(*entry));
        }
        tracks.clear();
    }
}

void XmlTrackEntries::stop()
{
    if (!m_maker.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_last = true;
    }
    m_handedOver.notify_one();
    m_maker.join();
}

} // namespace kavora::playlist
