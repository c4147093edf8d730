#pragma once

#include <span>
#include <string_view>

namespace kavora::playlist {

// The extensions, in lower case and sorted, of every audio and video type
// that shared-mime-info knows (generated when the build is configured).
std::span<const std::string_view> musicExtensions();

// Whether a path names a music or video file, by its name's extension in any
// letter case.
bool isMusicFile(std::string_view path);
// Whether a path names a playlist, by its name's extension: one of the
// formats the reader knows, or ours.
bool isPlaylistFile(std::string_view path);

} // namespace kavora::playlist
