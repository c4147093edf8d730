#pragma once

#include <span>
#include <string_view>

namespace kavora::playlist {

// The extensions, in lower case and sorted, of every audio and video type
// that shared-mime-info knows (generated when the build is configured).
std::span<const std::string_view> musicExtensions();

enum class FileKind {
    Playlist, // one of the formats the reader knows, or ours
    Music,    // a music or video file
    Other,
};
// What a path names, by its name's extension in any letter case. Some
// playlist types are audio types too: they count as playlists.
FileKind fileKindOf(std::string_view path);

} // namespace kavora::playlist
