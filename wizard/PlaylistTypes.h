#pragma once

#include <span>
#include <string_view>

namespace kavora::platform {
class FileSystem;
}

// The playlist types the program offers: the selection window's type box
// lists them, and a playlist handed over by path is taken by its name.

// Windows lists ".m3u8" playlists under "*.m3u" as well, through their 8.3
// short names ("MIX~1.M3U"); without short names the type names both.
inline constexpr std::string_view kM3uPatterns[] = {"*.m3u", "*.m3u8"};
inline constexpr std::string_view kKvrPatterns[] = {"*.kvr"};
inline constexpr std::string_view kPlPatterns[] = {"*.pl"};
inline constexpr std::string_view kAllPatterns[] = {"*.*"};
inline constexpr std::string_view kPlsPatterns[] = {"*.pls"};
inline constexpr std::string_view kXspfPatterns[] = {"*.xspf"};
inline constexpr std::string_view kWindowsMediaPatterns[] = {"*.wpl", "*.asx"};

struct PlaylistType {
    const char* entry; // as the type box shows it
    std::span<const std::string_view> patterns;
};

// In the type box's order: the four types players of its time wrote, the
// one that lists every file among them at its place, then the formats the
// reader has learnt since.
inline constexpr PlaylistType kPlaylistTypes[] = {
    {"MusicMatch playlist (*.m3u)", kM3uPatterns},
    {"Kavora playlist (*.kvr)", kKvrPatterns},
    {"Music playlist (*.pl)", kPlPatterns},
    {"All files (*.*)", kAllPatterns},
    {"PLS playlist (*.pls)", kPlsPatterns},
    {"XSPF playlist (*.xspf)", kXspfPatterns},
    {"Windows Media playlist (*.wpl;*.asx)", kWindowsMediaPatterns},
};

// A name of one of the playlist types (.m3u, .m3u8, .kvr, .pl, .pls, .xspf,
// .wpl, .asx), in any letter case.
bool isPlaylistName(std::string_view name);
// A name of the program's own type (.kvr), which Remove reads.
bool isKavoraPlaylistName(std::string_view name);
// Whether `path` names a single playlist file: a file, neither a folder nor a
// device, with the name of one of the playlist types.
bool isPlaylistFile(const kavora::platform::FileSystem& fileSystem, std::string_view path);
