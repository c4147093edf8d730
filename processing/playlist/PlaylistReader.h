#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"
#include "platform/LineReader.h"
#include "processing/playlist/PlaylistFormat.h"
#include "processing/playlist/PlaylistLine.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kavora::platform {
class ByteReader;
class FileSystem;
} // namespace kavora::platform

namespace kavora::playlist {

// The one reader of playlists: it tells the format from the content and hands
// every job the same items in playlist order, each entry with its title and
// its text as written. A line list is read as it goes; PLS and the XML
// formats are read whole at the open, which fails for one that is malformed
// or cut short (NotAPlaylist), so that nothing is done for it, as does the
// open of a file that is no text (platform::checkTextStart). Memory stays
// bounded whatever the file holds.
class PlaylistReader final {
public:
    // Whether a file is at a path as an entry writes it; asked only where an
    // item could be either an entry or a directive ('#' lines).
    using FileTest = std::function<bool(std::string_view entryPath)>;

    static platform::FsResult<std::unique_ptr<PlaylistReader>> open(const platform::FileSystem& fileSystem,
                                                                    std::string_view path);
    // Reads from memory; for tests.
    static platform::FsResult<std::unique_ptr<PlaylistReader>> fromBytes(std::string bytes);

    ~PlaylistReader();
    PlaylistReader(const PlaylistReader&) = delete;
    PlaylistReader& operator=(const PlaylistReader&) = delete;

    Format format() const;
    // The next item; nothing at the end, or at a read error (see status()).
    std::optional<PlaylistItem> next(const FileTest& fileExists);
    // How the playlist's text is written.
    platform::TextEncoding encoding();
    // The file read; zero for one read from memory.
    platform::FileIdentity identity() const;
    const platform::FsStatus& status() const;
    // Holds the playlist's exclusive lock while the reader lives (one job per
    // playlist); InUse when another job holds it.
    platform::FsStatus lockExclusively();

private:
    struct Impl;
    explicit PlaylistReader(std::unique_ptr<Impl> impl);
    static platform::FsResult<std::unique_ptr<PlaylistReader>>
    over(std::unique_ptr<platform::ByteReader> source);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::playlist
