#pragma once

#include "platform/FileSystem.h"
#include "platform/FsStatus.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace kavora {

// Renames made one after another go in groups: at most this many files, or
// this much time, between two looks at what they rest on (the sync of the new
// playlist, the path of the folder they are made in).
inline constexpr std::size_t kGroupFiles = 64;
inline constexpr auto kGroupTime = std::chrono::milliseconds(200);

// That the path a file was found by still leads to its folder, looked at
// before the first of a group of renames in that folder. A rename is made by
// the folder's descriptor, in the folder judged, whatever became of the path:
// the look keeps the paths a job lists and reports true.
class FolderCheck final {
public:
    platform::FsStatus beforeRename(const platform::FileSystem& fileSystem, const platform::FoundFile& file);

private:
    std::shared_ptr<const platform::internal::OpenFolder> m_folder; // looked at last
    std::size_t m_renames = 0;                                      // in it since
    std::chrono::steady_clock::time_point m_lookedAt;
};

} // namespace kavora
