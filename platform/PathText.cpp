#include "platform/PathText.h"

namespace kavora::platform {

namespace {

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::size_t fileNameStart(std::string_view path)
{
    const std::size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? 0 : last + 1;
}

std::string_view directoryPart(std::string_view path)
{
    return path.substr(0, fileNameStart(path));
}

std::string_view fileNamePart(std::string_view path)
{
    return path.substr(fileNameStart(path));
}

bool hasWildcard(std::string_view name)
{
    return name.find_first_of("*?") != std::string_view::npos;
}

std::string_view drivePart(std::string_view path)
{
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':')
        return path.substr(0, 2);
    return {};
}

PathForm formOf(std::string_view path)
{
    if (!drivePart(path).empty())
        return path.size() > 2 && isSeparator(path[2]) ? PathForm::DriveAbsolute : PathForm::DriveRelative;
    if (path.starts_with('/'))
        return PathForm::HostAbsolute;
    if (path.starts_with('\\'))
        return PathForm::DriveRooted;
    return PathForm::Relative;
}

std::string joinPath(std::string_view directory, std::string_view path)
{
    std::string joined(directory);
    if (!directory.empty() && !isSeparator(directory.back()) &&
        !(path.size() > 0 && isSeparator(path.front()))) {
        const std::size_t last = directory.find_last_of("\\/");
        joined += last == std::string_view::npos ? '\\' : directory[last];
    }
    joined += path;
    return joined;
}

} // namespace kavora::platform
