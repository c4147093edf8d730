#include "platform/PathText.h"

#include <algorithm>
#include <cstring>

namespace kavora::platform {

namespace {

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// find_first_of with a set of characters calls memchr on the set for every
// character of the text; this loop looks at each character once.
std::size_t firstSeparator(std::string_view path, std::size_t from = 0)
{
    for (std::size_t at = from; at < path.size(); ++at) {
        if (isSeparator(path[at]))
            return at;
    }
    return std::string_view::npos;
}

// Asked for each file name or folder of a path: memrchr scans many characters
// a step, once for each separator.
std::size_t lastSeparator(std::string_view path)
{
    const auto lastOf = [path](char separator) {
        const void* const found = path.empty() ? nullptr : ::memrchr(path.data(), separator, path.size());
        return found == nullptr ? std::string_view::npos
                                : static_cast<std::size_t>(static_cast<const char*>(found) - path.data());
    };
    const std::size_t backslash = lastOf('\\');
    const std::size_t slash = lastOf('/');
    if (backslash == std::string_view::npos)
        return slash;
    return slash == std::string_view::npos ? backslash : std::max(backslash, slash);
}

} // namespace

std::size_t fileNameStart(std::string_view path)
{
    const std::size_t last = lastSeparator(path);
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
    return std::any_of(name.begin(), name.end(), [](char c) { return c == '*' || c == '?'; });
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

// Asked for every path looked up, so looked at with memchr, many characters a
// step: only a doubled or mixed separator and a component of "." or ".." make
// a path not normal.
bool isLexicallyNormal(std::string_view path)
{
    const auto holds = [path](char c) {
        return !path.empty() && ::memchr(path.data(), c, path.size()) != nullptr;
    };
    const bool slash = holds('/');
    const bool backslash = holds('\\');
    if (slash && backslash)
        return false;
    const char separator = slash ? '/' : '\\';
    const char doubled[] = {separator, separator};
    if (path.find(std::string_view(doubled, 2)) != std::string_view::npos)
        return false;
    for (std::size_t at = path.find('.'); at != std::string_view::npos; at = path.find('.', at + 1)) {
        if (at > 0 && path[at - 1] != separator)
            continue;
        std::size_t end = at + 1;
        if (end < path.size() && path[end] == '.')
            ++end;
        if (end == path.size() || path[end] == separator)
            return false;
    }
    return true;
}

namespace {

// The normal form of a path that is not normal yet.
std::string normalised(std::string_view path)
{
    std::string_view root = drivePart(path);
    if (root.size() < path.size() && isSeparator(path[root.size()]))
        root = path.substr(0, root.size() + 1);
    const std::size_t first = firstSeparator(path);
    const char separator = first == std::string_view::npos ? '\\' : path[first];
    const bool rooted = !root.empty() && isSeparator(root.back());

    std::string normal;
    normal.reserve(path.size());
    normal = root;
    if (rooted)
        normal.back() = separator;
    const std::size_t base = normal.size();
    // Below the root, the normal form holds only `separator` between names.
    const auto lastComponentStart = [&normal, base, separator] {
        const std::size_t at = normal.rfind(separator);
        return at == std::string::npos || at < base ? base : at + 1;
    };
    std::size_t start = root.size();
    while (start <= path.size()) {
        const std::size_t end = std::min(firstSeparator(path, start), path.size());
        const std::string_view component = path.substr(start, end - start);
        if (component == "..") {
            const std::size_t last = lastComponentStart();
            if (normal.size() > base && std::string_view(normal).substr(last) != "..")
                normal.resize(last > base ? last - 1 : base);
            else if (!rooted)
                normal.append(normal.size() > base ? 1 : 0, separator).append(component);
        } else if (!component.empty() && component != ".") {
            normal.append(normal.size() > base ? 1 : 0, separator).append(component);
        }
        start = end + 1;
    }
    if (normal.size() > base && isSeparator(path.back()))
        normal += separator;
    return normal;
}

} // namespace

std::string lexicallyNormal(std::string path)
{
    // Most paths are normal already: handed back as they are, without taking apart.
    if (isLexicallyNormal(path))
        return path;
    return normalised(path);
}

std::string joinPath(std::string_view directory, std::string_view path)
{
    std::string joined(directory);
    if (!directory.empty() && !isSeparator(directory.back()) &&
        !(path.size() > 0 && isSeparator(path.front()))) {
        const std::size_t last = lastSeparator(directory);
        joined += last == std::string_view::npos ? '\\' : directory[last];
    }
    joined += path;
    return joined;
}

std::string listedDirectory(std::string_view directory)
{
    std::string path(directory);
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (path.size() == 2 && path[1] == ':')
        path += '\\';
    return path;
}

} // namespace kavora::platform
