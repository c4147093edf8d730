#include "processing/playlist/MusicFile.h"

#include "platform/PathText.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_set>

namespace kavora::playlist {

namespace {

// The extension in ASCII lower case (held without allocating when short, as
// extensions are); empty for a name without one. One pass back from the end.
std::string extensionOf(std::string_view path)
{
    for (std::size_t at = path.size(); at > 0; --at) {
        const char c = path[at - 1];
        if (platform::isSeparator(c))
            return {};
        if (c != '.')
            continue;
        // A leading dot starts a name, not an extension.
        if (at == 1 || platform::isSeparator(path[at - 2]))
            return {};
        std::string extension(path.substr(at));
        for (char& letter : extension) {
            if (letter >= 'A' && letter <= 'Z')
                letter = static_cast<char>(letter + ('a' - 'A'));
        }
        return extension;
    }
    return {};
}

using ExtensionSet = std::unordered_set<std::string_view>;

} // namespace

FileKind fileKindOf(std::string_view path)
{
    static constexpr std::array<std::string_view, 8> kPlaylists = {"asx", "kvr", "m3u", "m3u8",
                                                                   "pl",  "pls", "wpl", "xspf"};
    static const ExtensionSet music(musicExtensions().begin(), musicExtensions().end());
    const std::string extension = extensionOf(path);
    if (std::binary_search(kPlaylists.begin(), kPlaylists.end(), extension))
        return FileKind::Playlist;
    return music.contains(extension) ? FileKind::Music : FileKind::Other;
}

} // namespace kavora::playlist
