#include "platform/internal/FileDescriptor.h"

#include "platform/internal/HostError.h"

#include <cerrno>
#include <fcntl.h>
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

} // namespace kavora::platform::internal
