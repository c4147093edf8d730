#include "platform/LineWriter.h"

#include "platform/FileSystem.h"
#include "platform/internal/FileDescriptor.h"
#include "platform/internal/HostError.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

using internal::failureFromErrno;
using internal::FileDescriptor;
using internal::makeFailure;
using internal::openHostFile;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// What may stand at the new file's path: nothing, an empty regular file, or
// the file to be replaced; either of one name only (writing through a hard
// link would change another file).
FsStatus acceptableTarget(const struct stat& info, const std::optional<FileIdentity>& replacing)
{
    if (S_ISDIR(info.st_mode))
        return makeFailure(FsError::IsDirectory, "is a folder");
    if (S_ISLNK(info.st_mode))
        return makeFailure(FsError::NotRegular, "is a symbolic link");
    if (!S_ISREG(info.st_mode))
        return makeFailure(FsError::NotRegular, "not a regular file");
    if (info.st_nlink > 1)
        return makeFailure(FsError::NotRegular, "has further names (hard links)");
    if (info.st_size > 0 && replacing != FileIdentity{info.st_dev, info.st_ino})
        return makeFailure(FsError::TargetExists, "already exists");
    return {};
}

// A write beyond the file-size limit fails with EFBIG, cut back like any
// failed write, instead of killing the process in the middle of a line.
void writeBeyondLimitFails()
{
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

struct LineWriter::Impl {
    FileDescriptor file;
    bool dryRun = false;
    bool closed = false;
    std::uint64_t size = 0;
    FileIdentity identity;

    FsStatus write(std::string_view bytes)
    {
        if (closed)
            return makeFailure(FsError::Other, "file is closed");
        if (dryRun) {
            size += bytes.size();
            return {};
        }
        const std::uint64_t before = size;
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t count = ::write(file.get(), bytes.data() + written, bytes.size() - written);
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                const FsFailure failure = failureFromErrno(errno);
                size = before + written;
                (void)cutBackTo(before);
                return failure;
            }
            written += static_cast<std::size_t>(count);
        }
        size = before + written;
        return {};
    }

    FsStatus cutBackTo(std::uint64_t length)
    {
        if (dryRun || length >= size) {
            size = std::min(size, length);
            return {};
        }
        if (::ftruncate(file.get(), static_cast<off_t>(length)) != 0 ||
            ::lseek(file.get(), static_cast<off_t>(length), SEEK_SET) < 0)
            return failureFromErrno(errno);
        size = length;
        return {};
    }
};

LineWriter::LineWriter(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

LineWriter::~LineWriter() = default;

FsResult<std::unique_ptr<LineWriter>> LineWriter::create(const FileSystem& fileSystem,
                                                         std::string_view windowsPath, Mark mark,
                                                         std::optional<FileIdentity> replacing)
{
    // hostPath stores a new name written in Windows-1252 in its UTF-8 reading.
    const FsResult<std::string> host = fileSystem.hostPath(windowsPath);
    if (!host)
        return host.failure();
    auto impl = std::make_unique<Impl>();
    struct stat info {};
    // Looked at before opening, since opening a device can act on it.
    if (::lstat(host.value().c_str(), &info) == 0) {
        const FsStatus acceptable = acceptableTarget(info, replacing);
        // Content is judged after the lock: a job writing the file has put some there.
        if (!acceptable &&
            (fileSystem.changesNothing() || acceptable.failure().code != FsError::TargetExists))
            return acceptable.failure();
        impl->identity = FileIdentity{info.st_dev, info.st_ino};
    } else if (errno != ENOENT) {
        return failureFromErrno(errno);
    }

    if (fileSystem.changesNothing()) {
        impl->dryRun = true;
    } else {
        writeBeyondLimitFails();
        FsResult<FileDescriptor> opened =
            openHostFile(host.value(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
        if (!opened)
            return opened.failure();
        impl->file = std::move(opened).value();
        // The lock first: a file another job is writing has content already.
        if (const FsStatus locked = internal::lockExclusively(impl->file); !locked)
            return locked.failure();
        // Checked again on what was opened: the path may have changed since.
        if (::fstat(impl->file.get(), &info) != 0)
            return failureFromErrno(errno);
        if (const FsStatus acceptable = acceptableTarget(info, replacing); !acceptable)
            return acceptable.failure();
        if (info.st_size > 0 && ::ftruncate(impl->file.get(), 0) != 0)
            return failureFromErrno(errno);
        impl->identity = FileIdentity{info.st_dev, info.st_ino};
    }
    fileSystem.noteCreated(windowsPath);
    auto writer = std::unique_ptr<LineWriter>(new LineWriter(std::move(impl)));
    if (mark == Mark::Utf8) {
        if (const FsStatus marked = writer->m_impl->write(kUtf8Mark); !marked)
            return marked.failure();
    }
    return writer;
}

FsStatus LineWriter::writeLine(std::string_view line)
{
    // One write per line: a crash loses at most the line in flight.
    return writeLines({&line, 1});
}

FsStatus LineWriter::writeLines(std::span<const std::string_view> lines)
{
    std::size_t length = 0;
    for (const std::string_view line : lines)
        length += line.size() + 2;
    std::string record;
    record.reserve(length);
    for (const std::string_view line : lines)
        record.append(line).append("\r\n");
    return m_impl->write(record);
}

std::uint64_t LineWriter::size() const
{
    return m_impl->size;
}

FsStatus LineWriter::cutBackTo(std::uint64_t length)
{
    if (m_impl->closed)
        return makeFailure(FsError::Other, "file is closed");
    return m_impl->cutBackTo(length);
}

FsStatus LineWriter::sync()
{
    if (m_impl->closed)
        return makeFailure(FsError::Other, "file is closed");
    if (m_impl->dryRun || ::fdatasync(m_impl->file.get()) == 0)
        return {};
    return failureFromErrno(errno);
}

FsStatus LineWriter::close()
{
    if (m_impl->closed)
        return makeFailure(FsError::Other, "file is closed");
    m_impl->closed = true;
    if (m_impl->dryRun)
        return {};
    const int fd = m_impl->file.release();
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    if (::close(fd) != 0 && synced)
        return failureFromErrno(errno);
    if (!synced)
        return failureFromErrno(syncError);
    return {};
}

FileIdentity LineWriter::identity() const
{
    return m_impl->identity;
}

} // namespace kavora::platform
