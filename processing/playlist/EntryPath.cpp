#include "processing/playlist/EntryPath.h"

#include "platform/PathText.h"

namespace kavora {

using platform::PathForm;

namespace {

std::string anchored(std::string_view playlistPath, std::string_view entry)
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

} // namespace

std::string lookupPath(std::string_view playlistPath, std::string_view entry)
{
    // Normal, so that a report names "C:\Music\012 Song.mp3", not
    // "C:\Lists\..\Music\012 Song.mp3": the same file, as the platform
    // takes ".." on the text too.
    return platform::lexicallyNormal(anchored(playlistPath, entry));
}

std::string completedEntry(std::string_view directory, std::string_view entry)
{
    if (directory.empty() || platform::formOf(entry) == PathForm::Relative)
        return platform::joinPath(directory, entry);
    return platform::joinPath(directory, platform::fileNamePart(entry));
}

} // namespace kavora
