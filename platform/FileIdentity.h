#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kavora::platform {

// One file on the host, whatever name or link it is reached by.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

} // namespace kavora::platform

template <> struct std::hash<kavora::platform::FileIdentity> {
    std::size_t operator()(const kavora::platform::FileIdentity& file) const noexcept
    {
        return std::hash<std::uint64_t>()(file.inode * 31 + file.device);
    }
};
