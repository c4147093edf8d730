#include "platform/ByteReader.h"

#include "platform/FileSystem.h"
#include "platform/internal/FileDescriptor.h"
#include "platform/internal/HostError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

using internal::failureFromErrno;
using internal::FileDescriptor;
using internal::makeFailure;
using internal::openHostFile;

namespace {

FsStatus regularFileOnly(mode_t mode)
{
    if (S_ISDIR(mode))
        return makeFailure(FsError::IsDirectory, "is a folder");
    if (!S_ISREG(mode))
        return makeFailure(FsError::NotRegular, "not a regular file but a device, pipe or socket");
    return {};
}

} // namespace

struct ByteReader::Impl {
    FileDescriptor file;
    std::string memory; // the bytes of a reader from memory
    std::size_t memoryRead = 0;
    FileIdentity identity;
    std::uint64_t size = 0;
    FsStatus status;
};

ByteReader::ByteReader(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

ByteReader::~ByteReader() = default;

FsResult<std::unique_ptr<ByteReader>> ByteReader::open(const FileSystem& fileSystem,
                                                       std::string_view windowsPath)
{
    const FsResult<std::string> host = fileSystem.hostPath(windowsPath);
    if (!host)
        return host.failure();
    // Looked at before opening, since opening a device can act on it; then
    // once more on what was opened, which may have been swapped meanwhile.
    struct stat info {};
    if (::stat(host.value().c_str(), &info) != 0)
        return failureFromErrno(errno);
    if (const FsStatus regular = regularFileOnly(info.st_mode); !regular)
        return regular.failure();
    // Non-blocking, so that a pipe put there since cannot hold the open.
    FsResult<FileDescriptor> opened = openHostFile(host.value(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!opened)
        return opened.failure();
    auto impl = std::make_unique<Impl>();
    impl->file = std::move(opened).value();
    if (::fstat(impl->file.get(), &info) != 0)
        return failureFromErrno(errno);
    if (const FsStatus regular = regularFileOnly(info.st_mode); !regular)
        return regular.failure();
    impl->identity = FileIdentity{info.st_dev, info.st_ino};
    impl->size = static_cast<std::uint64_t>(info.st_size);
    return std::unique_ptr<ByteReader>(new ByteReader(std::move(impl)));
}

std::unique_ptr<ByteReader> ByteReader::fromBytes(std::string bytes)
{
    auto impl = std::make_unique<Impl>();
    impl->size = bytes.size();
    impl->memory = std::move(bytes);
    return std::unique_ptr<ByteReader>(new ByteReader(std::move(impl)));
}

std::size_t ByteReader::read(std::string& into)
{
    Impl& self = *m_impl;
    if (!self.file.isOpen()) {
        const std::size_t count = std::min(kChunk, self.memory.size() - self.memoryRead);
        into.append(self.memory, self.memoryRead, count);
        self.memoryRead += count;
        return count;
    }
    if (!self.status.ok())
        return 0;
    const std::size_t oldSize = into.size();
    into.resize(oldSize + kChunk);
    ssize_t count = 0;
    do {
        count = ::read(self.file.get(), into.data() + oldSize, kChunk);
    } while (count < 0 && errno == EINTR);
    if (count < 0)
        self.status = failureFromErrno(errno);
    into.resize(oldSize + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    return static_cast<std::size_t>(std::max<ssize_t>(count, 0));
}

std::uint64_t ByteReader::size() const
{
    return m_impl->size;
}

FileIdentity ByteReader::identity() const
{
    return m_impl->identity;
}

const FsStatus& ByteReader::status() const
{
    return m_impl->status;
}

FsStatus ByteReader::lockExclusively()
{
    if (!m_impl->file.isOpen())
        return {};
    return internal::lockExclusively(m_impl->file);
}

} // namespace kavora::platform
