#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace kavora::platform {

class FileSystem;

// Writes a text file line by line, as bytes, each line followed by CR LF.
// Each line goes to the operating system at once and whole: a write that
// fails part-way is cut back, so the file never ends in half a line. close()
// syncs to disk; the destructor closes without syncing. Through a DryRun file
// system nothing is written, after the same checks.
class LineWriter final {
public:
    enum class Mark { None, Utf8 }; // a byte-order mark at the start

    // Creates the file and holds its exclusive lock until it is closed; a file
    // another writer holds fails with InUse. An empty regular file of one
    // link already there is taken as it is, and so is the file `replacing`
    // names, emptied; anything else there is refused: a file with content
    // (TargetExists), a symbolic link, hard-linked file, device, pipe or
    // socket (NotRegular), a folder. The open never follows a link and never
    // waits for a reader.
    static FsResult<std::unique_ptr<LineWriter>> create(const FileSystem& fileSystem,
                                                        std::string_view windowsPath, Mark mark = Mark::None,
                                                        std::optional<FileIdentity> replacing = std::nullopt);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    FsStatus writeLine(std::string_view line);
    // Lines that belong together (a title and its entry): one write, so that
    // all of them or none stand in the file.
    FsStatus writeLines(std::span<const std::string_view> lines);
    // The file's length so far.
    std::uint64_t size() const;
    // Takes back everything written after the file had `length` bytes.
    FsStatus cutBackTo(std::uint64_t length);
    // Puts what was written on the device (fdatasync), before anything that
    // relies on it happens.
    FsStatus sync();
    FsStatus close();
    // The file written; zero when nothing is written.
    FileIdentity identity() const;

private:
    struct Impl;
    explicit LineWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
