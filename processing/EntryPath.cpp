#include "processing/EntryPath.h"

#include "platform/PathText.h"

namespace kavora {

using platform::PathForm;

std::string lookupPath(std::string_view playlistPath, std::string_view entry)
{
    switch (platform::formOf(entry)) {
    case PathForm::Relative:
        return platform::joinPath(platform::directoryPart(playlistPath), entry);
    case PathForm::DriveRooted:
        return std::string(platform::drivePart(playlistPath)) + std::string(entry);
    case PathForm::HostAbsolute:
    case PathForm::DriveAbsolute:
    case PathForm::DriveRelative:
        break;
    }
    return std::string(entry);
}

std::string completedEntry(std::string_view directory, std::string_view entry)
{
    if (directory.empty() || platform::formOf(entry) == PathForm::Relative)
        return platform::joinPath(directory, entry);
    return platform::joinPath(directory, platform::fileNamePart(entry));
}

} // namespace kavora
