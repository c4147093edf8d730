#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"
#include "platform/LineWriter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {
class FileSystem;
}

namespace kavora {

// The ".kvr" playlist of a Create job. Lines that are not entries stand in it
// in their places; an "#EXTINF" title goes only with an entry that is listed.
// An entry's line is written (and synced) before its file is renamed, so that
// a job killed at any instant leaves no numbered file unlisted; a failed
// rename takes it back.
class NewPlaylist final {
public:
    // `spent` is an earlier new playlist at `path` that is to be replaced.
    static platform::FsResult<NewPlaylist> create(const platform::FileSystem& fileSystem,
                                                  std::string_view path, platform::LineWriter::Mark mark,
                                                  std::optional<platform::FileIdentity> spent = std::nullopt);

    // A line that is not an entry, copied as it stands (a title is held until
    // its entry is known).
    platform::FsStatus copy(std::string_view line);
    // The entry met now is not listed: its title goes, the rest stands.
    platform::FsStatus leaveOut();
    // Where an entry's lines start, and the lines held before it.
    struct Listed {
        std::uint64_t start = 0;
        std::vector<std::string> held;
    };
    // Writes the held lines and the entry's line, all or none, ahead of the
    // rename; a title line given goes right before the entry's line.
    platform::FsResult<Listed> list(std::string_view entryLine, std::string_view titleLine = {});
    // The rename after list() failed: the entry's line and its title go, with
    // everything written after them.
    platform::FsStatus takeBack(Listed listed);
    // The lines written so far are on the device.
    platform::FsStatus sync() { return m_writer->sync(); }
    // Writes what is still held and closes the file.
    platform::FsStatus close();

    platform::FileIdentity identity() const { return m_writer->identity(); }

private:
    explicit NewPlaylist(std::unique_ptr<platform::LineWriter> writer);
    platform::FsStatus writeHeld(bool withTitle);

    std::unique_ptr<platform::LineWriter> m_writer;
    // An "#EXTINF" title and the lines after it, waiting for their entry.
    std::vector<std::string> m_held;
};

} // namespace kavora
