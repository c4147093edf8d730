#pragma once

#include <string>
#include <string_view>

class KVRFrmStart;

namespace kavora::platform {
class DriveMap;
}

// A playlist handed to the window by its path instead of picked in the
// selection window: given on the command line, by a second start, or dropped.

// What picking the playlist in the selection window would have set.
struct ChosenPlaylist {
    std::string operationMode;     // "Remove" for a .kvr playlist, "Create" for any other
    std::string inputPlaylistPath; // its folder, "\" and its name, as the window joins them
    std::string playlistDirectory; // its folder, as the window's directory list reports it
};

// `path` is a Windows path or an absolute host path; a host path is shown on
// its drive (/home/u/Lists/mix.m3u is C:\Lists\mix.m3u while C: is /home/u).
ChosenPlaylist choosePlaylist(const kavora::platform::DriveMap& drives, std::string_view path);

// Opens the playlist at `path` as if it had been picked in the selection
// window: the operation that its type calls for, then its preview. For a
// window that takes a playlist now (KVRFrmStart::takesPlaylist); a path that
// cannot be read is the preview's message.
void OpenPlaylist(KVRFrmStart& mainWindow, std::string_view path);
