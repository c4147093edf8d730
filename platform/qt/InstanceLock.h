#pragma once

#include <string>
#include <utility>

namespace kavora::platform {

// An advisory lock on a file that guards the lookup and claim of the running
// copy. The kernel drops it when its holder ends, however it ends, so a copy
// that crashed never leaves a stale lock behind; nothing is written to disk.
class InstanceLock final {
public:
    explicit InstanceLock(std::string path) : m_path(std::move(path)) {}
    ~InstanceLock(); // releases the lock
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Waits at most `timeoutMs` for the lock. False when another holder keeps
    // it that long or the file cannot be opened.
    bool tryLock(int timeoutMs);
    void unlock();
    bool isLocked() const { return m_descriptor >= 0; }

private:
    std::string m_path;
    int m_descriptor = -1;
};

} // namespace kavora::platform
