#include "platform/LineWriter.h"

#include "platform/FileSystem.h"
#include "platform/internal/FileDescriptor.h"
#include "platform/internal/HostError.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace kavora::platform {

using internal::failureFromErrno;
using internal::FileDescriptor;
using internal::openHostFile;
using internal::makeFailure;

struct LineWriter::Impl {
    FileDescriptor file;
};

LineWriter::LineWriter(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

LineWriter::~LineWriter() = default;

FsResult<std::unique_ptr<LineWriter>> LineWriter::create(const FileSystem& fileSystem,
                                                         std::string_view windowsPath)
{
    // hostPath stores a new name written in Windows-1252 in its UTF-8 reading,
    // the same translation the rename uses.
    const FsResult<std::string> host = fileSystem.hostPath(windowsPath);
    if (!host)
        return host.failure();
    FsResult<FileDescriptor> opened = openHostFile(host.value(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (!opened)
        return opened.failure();
    auto impl = std::make_unique<Impl>();
    impl->file = std::move(opened).value();
    fileSystem.noteCreated(windowsPath);
    return std::unique_ptr<LineWriter>(new LineWriter(std::move(impl)));
}

FsStatus LineWriter::writeLine(std::string_view line)
{
    if (!m_impl->file.isOpen())
        return makeFailure(FsError::Other, "file is closed");
    // One write per line: a crash loses at most the line in flight.
    std::string record;
    record.reserve(line.size() + 2);
    record.append(line).append("\r\n");
    std::size_t written = 0;
    while (written < record.size()) {
        const ssize_t count = ::write(m_impl->file.get(), record.data() + written, record.size() - written);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failureFromErrno(errno);
        }
        written += static_cast<std::size_t>(count);
    }
    return {};
}

FsStatus LineWriter::close()
{
    if (!m_impl->file.isOpen())
        return makeFailure(FsError::Other, "file is closed");
    const int fd = m_impl->file.release();
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    if (::close(fd) != 0 && synced)
        return failureFromErrno(errno);
    if (!synced)
        return failureFromErrno(syncError);
    return {};
}

} // namespace kavora::platform
