#pragma once

#include "platform/FsStatus.h"

#include <memory>
#include <string_view>

namespace kavora::platform {

class FileSystem;

// Writes a text file line by line, as bytes, each line followed by CR LF.
// Each line goes to the operating system at once, so a crash loses at most the
// line in flight; close() syncs to disk. The destructor closes without syncing.
class LineWriter final {
public:
    // Creates the file, or empties it when it exists.
    static FsResult<std::unique_ptr<LineWriter>> create(const FileSystem& fileSystem,
                                                        std::string_view windowsPath);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    FsStatus writeLine(std::string_view line);
    FsStatus close();

private:
    struct Impl;
    explicit LineWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
