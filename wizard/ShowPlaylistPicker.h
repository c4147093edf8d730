#pragma once

class KVRFrmStart;

// Loads the selection window if it is not loaded and shows it; an open one is
// only brought to the front, unchanged.
void ShowPlaylistPicker(KVRFrmStart& mainWindow);
