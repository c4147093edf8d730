#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kavora::platform {

class FileSystem;

// Reads a regular file as bytes, a piece at a time, for the readers of text
// and of markup above it.
class ByteReader final {
public:
    static constexpr std::size_t kChunk = std::size_t{64} * 1024;

    // Opens a regular file; a device, pipe, socket or directory is refused
    // before a byte is read, and the open never waits for a writer.
    static FsResult<std::unique_ptr<ByteReader>> open(const FileSystem& fileSystem,
                                                      std::string_view windowsPath);
    // Reads from memory; for tests and fuzzing.
    static std::unique_ptr<ByteReader> fromBytes(std::string bytes);

    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // Appends up to kChunk bytes to `into`; 0 at the end or at a read error.
    std::size_t read(std::string& into);
    // The file's length when it was opened.
    std::uint64_t size() const;
    // The file read; zero for one read from memory.
    FileIdentity identity() const;
    // A read error met on the way (the file is then at its end).
    const FsStatus& status() const;
    // Holds the file's exclusive lock while the reader lives, as a writer of
    // the file does; InUse when another holds it. Nothing to lock in memory.
    FsStatus lockExclusively();

private:
    struct Impl;
    explicit ByteReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
