#pragma once

#include "platform/ByteReader.h"
#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kavora::platform {

class FileSystem;

// How the start of a text file says its text is written.
enum class TextEncoding {
    Bytes,        // no mark: bytes as they stand (UTF-8 or a legacy 8-bit set)
    Utf8WithMark, // a UTF-8 byte-order mark, skipped
    Utf16,        // a UTF-16 byte-order mark (either order): read as text, lines given in UTF-8
};

// Reads a text file line by line, as bytes. A line ends at CR LF, at CR alone
// or at LF alone; the terminator is not part of the line. A last line without
// terminator is a line; a terminator at the very end adds no empty line.
// Memory stays bounded whatever the file holds: a line longer than the
// longest Windows path is never held whole, only its start.
class LineReader final {
public:
    // Longer lines are no paths; they come back overlong, with their start only.
    static constexpr std::size_t kLongestLine = 32767;
    // What an overlong line keeps: room for its first 80 characters.
    static constexpr std::size_t kOverlongStart = 320;

    struct Line {
        std::string text;
        bool overlong = false; // text holds only the line's first bytes
    };

    // Opens a regular file; a device, pipe, socket or directory is refused
    // before a byte is read, and the open never waits for a writer.
    static FsResult<std::unique_ptr<LineReader>> open(const FileSystem& fileSystem,
                                                      std::string_view windowsPath);
    // Reads from memory; for tests and fuzzing of the line rules.
    static std::unique_ptr<LineReader> fromBytes(std::string bytes);
    // Reads an open file whose first bytes, `readAhead`, were read already.
    static std::unique_ptr<LineReader> over(std::unique_ptr<ByteReader> source, std::string readAhead);

    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool atEnd();
    Line readLine();
    TextEncoding encoding();
    // The file read; zero for one read from memory.
    FileIdentity identity() const;
    // A read error met on the way (the file is then at its end).
    const FsStatus& status() const;
    // Holds the file's exclusive lock while the reader lives, as a writer of
    // the file does; InUse when another holds it. Nothing to lock in memory.
    FsStatus lockExclusively();

private:
    struct Impl;
    explicit LineReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
