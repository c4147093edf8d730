#pragma once

#include "platform/FsStatus.h"

#include <string>

namespace kavora::platform::internal {

// An open host file descriptor, closed when the owner goes.
class FileDescriptor final {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Hands the descriptor over to the caller, who then closes it.
    int release();

private:
    int m_fd = -1;
};

// open(2) on a host path, retried when a signal interrupts it.
FsResult<FileDescriptor> openHostFile(const std::string& hostPath, int flags, unsigned mode = 0);

// Takes the exclusive lock of the open file for as long as the descriptor is
// open, or fails with InUse at once when another holder has it. The kernel
// drops the lock when the process dies, so a killed job blocks no one.
FsStatus lockExclusively(const FileDescriptor& file);

} // namespace kavora::platform::internal
