#include "platform/qt/InstanceLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace kavora::platform {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(5);

} // namespace

InstanceLock::~InstanceLock()
{
    unlock();
}

bool InstanceLock::tryLock(int timeoutMs)
{
    if (isLocked())
        return true;
    int descriptor;
    do {
        descriptor = ::open(m_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(descriptor);
            return false;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    m_descriptor = descriptor;
    return true;
}

void InstanceLock::unlock()
{
    if (!isLocked())
        return;
    // Closing the only descriptor of the file releases its lock.
    ::close(m_descriptor);
    m_descriptor = -1;
}

} // namespace kavora::platform
