#include "processing/copy/CopyPlaces.h"

#include "platform/CopyTarget.h"
#include "platform/DriveMap.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "processing/copy/DeviceName.h"

#include <algorithm>

namespace kavora::copy {

std::vector<CopyPlace> copyPlaces(const platform::DriveMap& drives)
{
    std::vector<CopyPlace> places;
    for (const platform::Drive& drive : drives.drives()) {
        CopyPlace& place = places.emplace_back();
        place.folder = std::string(1, drive.letter) + ":\\";
        place.label = drive.label;
        place.mountedVolume = platform::isMountedVolume(drive);
        if (const auto inspected = platform::inspectTargetFolder(drive.hostRoot)) {
            place.freeBytes = inspected.value().freeBytes;
            place.typeName = inspected.value().typeName;
        }
    }
    std::stable_partition(places.begin(), places.end(),
                          [](const CopyPlace& place) { return place.mountedVolume; });
    return places;
}

std::string proposedCopyFolder(const platform::FileSystem& fileSystem, std::string_view place,
                               std::string_view playlistPath)
{
    std::string_view name = platform::fileNamePart(playlistPath);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    const std::string base =
        deviceFileName(name.empty() ? std::string_view("Playlist") : name, kLongestDeviceName);
    std::string folder = platform::joinPath(place, base);
    for (int number = 2; number < 100 && fileSystem.attributes(folder); ++number)
        folder = platform::joinPath(place, base + " " + std::to_string(number));
    return folder;
}

} // namespace kavora::copy
