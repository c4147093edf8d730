#pragma once

class KVRFrmStart;
class KVRFrmGetFilename;

// Shows the chosen playlist in the main window with the sentence on what the
// chosen operation will do, after closing the selection window. The playlist
// path is AppState.InputPlaylistPath; the selection window must still be open.
void PreviewPlaylist(KVRFrmStart& mainWindow, KVRFrmGetFilename& picker);
