#include "wizard/ShowPlaylistPicker.h"

#include "platform/FileSystem.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

void ShowPlaylistPicker(KVRFrmStart& mainWindow)
{
    KVRFrmGetFilename* picker = mainWindow.playlistPicker();
    if (picker == nullptr) {
        // A drive map of its own, every drive at its root: nothing of an
        // earlier opening survives.
        picker = new KVRFrmGetFilename(mainWindow.fileSystem(), mainWindow.messageBoxes(),
                                       mainWindow.fileSystem().drives());
        mainWindow.adoptPlaylistPicker(*picker);
    }
    picker->show();
    picker->raise();
    picker->activateWindow();
}
