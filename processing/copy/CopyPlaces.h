#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {
class DriveMap;
class FileSystem;
} // namespace kavora::platform

namespace kavora::copy {

// A drive's root that a copy can go into, with what the window lists of it.
struct CopyPlace {
    std::string folder; // "D:\"
    std::string label;  // as the drive list names it: "d: [STICK]"
    bool mountedVolume = false;
    std::optional<std::uint64_t> freeBytes; // nothing where it gives no figures
    std::string typeName;                   // "vfat", "exfat", "ext4"; empty when not known
};

// Every drive, the mounted volumes first (a copy is mostly for a stick), then
// the home and the root drive.
std::vector<CopyPlace> copyPlaces(const platform::DriveMap& drives);

// A new folder for the copies in `place`, named after the playlist as a
// device takes the name: "D:\Road Trip", or "D:\Road Trip 2" when the first
// is there already.
std::string proposedCopyFolder(const platform::FileSystem& fileSystem, std::string_view place,
                               std::string_view playlistPath);

} // namespace kavora::copy
