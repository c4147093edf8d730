#include "processing/PathText.h"

namespace kavora {

namespace {

std::size_t fileNameStart(std::string_view path)
{
    const std::size_t lastBackslash = path.rfind('\\');
    return lastBackslash == std::string_view::npos ? 0 : lastBackslash + 1;
}

} // namespace

std::string_view directoryPart(std::string_view path)
{
    return path.substr(0, fileNameStart(path));
}

std::string_view fileNamePart(std::string_view path)
{
    return path.substr(fileNameStart(path));
}

std::string numberedName(std::string_view path, std::uint64_t number)
{
    const std::string digits = std::to_string(number);
    std::string result;
    result.reserve(path.size() + kPrefixLength);
    result.append(directoryPart(path));
    if (digits.size() < 3) {
        result.append(3 - digits.size(), '0');
    }
    result.append(digits);
    result.push_back(' ');
    result.append(fileNamePart(path));
    return result;
}

std::string unnumberedName(std::string_view path)
{
    std::string result(directoryPart(path));
    const std::string_view fileName = fileNamePart(path);
    if (fileName.size() > kPrefixLength) {
        result.append(fileName.substr(kPrefixLength));
    }
    return result;
}

std::string newPlaylistPath(std::string_view inputPlaylistPath)
{
    const std::size_t kept = inputPlaylistPath.size() > 4 ? inputPlaylistPath.size() - 4 : 0;
    std::string result(inputPlaylistPath.substr(0, kept));
    result.append(".kvr");
    return result;
}

bool hasWildcard(std::string_view path)
{
    return path.find_first_of("*?") != std::string_view::npos;
}

} // namespace kavora
