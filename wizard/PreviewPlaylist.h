#pragma once

#include <string>

class KVRFrmStart;

// Shows the chosen playlist in the main window with the sentence on what the
// chosen operation will do, after closing the selection window. The playlist
// path is AppState.InputPlaylistPath; `playlistDirectory` is the directory the
// selection window showed when "&Next" was pressed.
void PreviewPlaylist(KVRFrmStart& mainWindow, const std::string& playlistDirectory);
