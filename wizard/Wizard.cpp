#include "wizard/Wizard.h"

#include "processing/AppState.h"
#include "wizard/CopyWizard.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/OpenPlaylist.h"
#include "wizard/PreviewPlaylist.h"
#include "wizard/ShowPlaylistPicker.h"

void connectWizard(KVRFrmStart& mainWindow)
{
    // Direct, so that a step has run when the signal returns: a drop opens
    // only while the window still takes a playlist, and whoever chose an
    // operation finds the selection window loaded.
    KVRFrmStart* const window = &mainWindow;
    QObject::connect(
        window, &KVRFrmStart::playlistPickerRequested, window, [window] { ShowPlaylistPicker(*window); },
        Qt::DirectConnection);
    CopyWizard* const copy = new CopyWizard(mainWindow);
    QObject::connect(
        window, &KVRFrmStart::playlistPicked, window,
        [window, copy](const std::string& directory) {
            if (window->appState().OperationMode == "Copy")
                copy->showTargetStep(directory);
            else
                PreviewPlaylist(*window, directory);
        },
        Qt::DirectConnection);
    QObject::connect(
        window, &KVRFrmStart::playlistDropped, window,
        [window](const std::string& path) { OpenPlaylist(*window, path); }, Qt::DirectConnection);
}
