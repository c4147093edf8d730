#pragma once

class KVRFrmStart;

// Connects what the main window asks for to the wizard's steps: the selection
// window (ShowPlaylistPicker), the preview of the playlist picked there
// (PreviewPlaylist) or, for a copy, its own steps (CopyWizard), and a dropped
// playlist (OpenPlaylist). Every owner of a main window calls it once, after
// making the window.
void connectWizard(KVRFrmStart& mainWindow);
