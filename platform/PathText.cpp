#include "platform/PathText.h"

#include <algorithm>
#include <vector>

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

std::string lexicallyNormal(std::string_view path)
{
    std::string_view root = drivePart(path);
    if (root.size() < path.size() && isSeparator(path[root.size()]))
        root = path.substr(0, root.size() + 1);
    const std::size_t firstSeparator = path.find_first_of("\\/");
    const char separator = firstSeparator == std::string_view::npos ? '\\' : path[firstSeparator];
    const bool rooted = !root.empty() && isSeparator(root.back());

    std::vector<std::string_view> components;
    std::size_t start = root.size();
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
        const std::string_view component = path.substr(start, end - start);
        if (component == "..") {
            if (!components.empty() && components.back() != "..")
                components.pop_back();
            else if (!rooted)
                components.push_back(component);
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        start = end + 1;
    }
    std::string normal(root);
    if (rooted)
        normal.back() = separator;
    for (std::size_t index = 0; index < components.size(); ++index) {
        if (index > 0)
            normal += separator;
        normal += components[index];
    }
    if (!components.empty() && isSeparator(path.back()))
        normal += separator;
    return normal;
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
