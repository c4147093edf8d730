#pragma once

#include "platform/FsStatus.h"

#include <memory>
#include <string>
#include <string_view>

namespace kavora::platform {

class FileSystem;

// Reads a text file line by line, as bytes. A line ends at CR LF, at CR alone
// or at LF alone; the terminator is not part of the line. A last line without
// terminator is a line; a terminator at the very end adds no empty line. A
// UTF-8 byte-order mark at the very start is skipped.
class LineReader final {
public:
    static FsResult<std::unique_ptr<LineReader>> open(const FileSystem& fileSystem,
                                                      std::string_view windowsPath);
    // Reads from memory; for tests and fuzzing of the line rules.
    static std::unique_ptr<LineReader> fromBytes(std::string bytes);

    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool atEnd();
    std::string readLine();
    // A read error met on the way (the file is then at its end).
    const FsStatus& status() const;

private:
    struct Impl;
    explicit LineReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
