#include "platform/internal/FileDescriptor.h"

#include "platform/internal/HostError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace kavora::platform::internal {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        FileDescriptor old(std::exchange(m_fd, other.release()));
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileDescriptor::release()
{
    return std::exchange(m_fd, -1);
}

FsResult<FileDescriptor> openHostFile(const std::string& hostPath, int flags, unsigned mode)
{
    int fd = -1;
    do {
        fd = ::open(hostPath.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failureFromErrno(errno);
    return FileDescriptor(fd);
}

FsStatus lockExclusively(const FileDescriptor& file)
{
    // flock, not fcntl: it works on a descriptor opened for reading, and two
    // opens of one file in one process exclude each other too.
    int locked = 0;
    do {
        locked = ::flock(file.get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0)
        return {};
    if (errno == EWOULDBLOCK)
        return makeFailure(FsError::InUse, "in use by another job");
    // A file system without locks (some FUSE and network ones) cannot tell;
    // refusing every job there would help no one.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL)
        return {};
    return failureFromErrno(errno);
}

} // namespace kavora::platform::internal
