#pragma once

#include <cstddef>
#include <string>

namespace kavora::platform::internal {

// True for a path on a file system that the kernel makes up (/proc, /sys,
// debugfs, cgroups, ...): its files describe the system, they hold no music.
bool isVirtualFileSystem(const std::string& hostPath);
bool isVirtualFileSystem(int fd);

// The longest file name the file system of a host directory takes.
std::size_t longestName(const std::string& hostDirectory);

} // namespace kavora::platform::internal
