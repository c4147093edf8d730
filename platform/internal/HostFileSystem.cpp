#include "platform/internal/HostFileSystem.h"

#include <algorithm>
#include <array>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace kavora::platform::internal {

namespace {

// Magic numbers of statfs(2) that linux/magic.h may lack on older headers.
constexpr unsigned long kCgroup2 = 0x63677270;
constexpr unsigned long kTracefs = 0x74726163;
constexpr unsigned long kConfigfs = 0x62656570;
constexpr unsigned long kEfivarfs = 0xde5e81e4;

constexpr std::array<unsigned long, 12> kVirtual = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,    DEBUGFS_MAGIC, kTracefs,  CGROUP_SUPER_MAGIC, kCgroup2,
    SECURITYFS_MAGIC, PSTOREFS_MAGIC, BPF_FS_MAGIC,  kConfigfs, kEfivarfs,          DEVPTS_SUPER_MAGIC,
};

bool isVirtual(const struct statfs& info)
{
    const auto type = static_cast<unsigned long>(info.f_type);
    return std::find(kVirtual.begin(), kVirtual.end(), type) != kVirtual.end();
}

} // namespace

bool isVirtualFileSystem(const std::string& hostPath)
{
    struct statfs info {};
    return ::statfs(hostPath.c_str(), &info) == 0 && isVirtual(info);
}

bool isVirtualFileSystem(int fd)
{
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 && isVirtual(info);
}

std::size_t longestName(const std::string& hostDirectory)
{
    const long longest = ::pathconf(hostDirectory.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 255;
}

} // namespace kavora::platform::internal
