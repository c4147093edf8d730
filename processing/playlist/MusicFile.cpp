#include "processing/playlist/MusicFile.h"

#include "platform/PathText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace kavora::playlist {

namespace {

// The extension in lower case; empty for a name without one.
std::string extensionOf(std::string_view path)
{
    const std::string_view name = platform::fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return extension;
}

} // namespace

bool isMusicFile(std::string_view path)
{
    const std::span<const std::string_view> known = musicExtensions();
    return std::binary_search(known.begin(), known.end(), extensionOf(path));
}

bool isPlaylistFile(std::string_view path)
{
    static constexpr std::array<std::string_view, 8> kPlaylists = {"asx", "kvr", "m3u", "m3u8",
                                                                   "pl",  "pls", "wpl", "xspf"};
    return std::binary_search(kPlaylists.begin(), kPlaylists.end(), extensionOf(path));
}

} // namespace kavora::playlist
