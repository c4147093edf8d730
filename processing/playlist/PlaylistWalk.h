#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"
#include "processing/playlist/PlaylistReader.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace kavora::platform {
class FileSystem;
}

namespace kavora::playlist {

// How deep playlists that name playlists are read.
inline constexpr std::size_t kDeepestNesting = 8;

// Why an entry is not taken.
enum class Refusal {
    None,
    NotMusic,    // neither a music nor a video file nor a playlist, by its extension
    TooDeep,     // a playlist below kDeepestNesting others
    ReadAlready, // a playlist read before (a loop), or one the job writes
    Unreadable,  // a playlist that cannot be read (to its end: the item's text is its path)
};

// A playlist's items in order, with each playlist it names read in that
// entry's place, each playlist file once. A named playlist's own lines that
// are no entries (titles, comments) stay out. Every job and operation that
// goes through entries walks them this way.
class PlaylistWalk final {
public:
    struct Step {
        PlaylistItem item;
        // The named playlist that lists the item, which its relative path
        // starts from; empty for an item of the top playlist.
        std::string listedIn;
        bool nested = false;
        Refusal refusal = Refusal::None;
        platform::FsFailure failure; // why a playlist is Unreadable
    };
    // The file system to look through now; a job may replace it between steps.
    using FileSystemOf = std::function<const platform::FileSystem&()>;

    PlaylistWalk(PlaylistReader& top, std::string topPath, FileSystemOf fileSystem);
    ~PlaylistWalk();
    PlaylistWalk(const PlaylistWalk&) = delete;
    PlaylistWalk& operator=(const PlaylistWalk&) = delete;

    std::optional<Step> next();
    // A playlist that is not to be read when an entry names it.
    void markRead(const platform::FileIdentity& playlist);

private:
    struct Level {
        std::unique_ptr<PlaylistReader> owned; // null for the top playlist
        PlaylistReader* reader;
        std::string path;
    };
    // Reads the playlist a step of `listedIn` names in its place; false with
    // a refusal when not.
    bool descend(Step& step, const std::string& listedIn);

    std::vector<Level> m_levels;
    FileSystemOf m_fileSystem;
    std::unordered_set<platform::FileIdentity> m_read;
};

} // namespace kavora::playlist
