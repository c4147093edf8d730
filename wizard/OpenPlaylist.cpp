#include "wizard/OpenPlaylist.h"

#include "platform/DriveMap.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "processing/AppState.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/PlaylistTypes.h"
#include "wizard/PreviewPlaylist.h"

#include <algorithm>
#include <cctype>

ChosenPlaylist choosePlaylist(const kavora::platform::DriveMap& drives, std::string_view path)
{
    namespace platform = kavora::platform;
    std::string windows;
    if (platform::formOf(path) == platform::PathForm::HostAbsolute)
        windows = drives.windowsPath(path);
    if (windows.empty()) {
        windows = platform::lexicallyNormal(std::string(path));
        std::replace(windows.begin(), windows.end(), '/', '\\');
        // The drive list names its drives in capitals.
        if (!platform::drivePart(windows).empty())
            windows[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(windows[0])));
    }
    const std::string_view name = platform::fileNamePart(windows);
    const std::string_view folder = platform::directoryPart(windows);

    ChosenPlaylist chosen;
    chosen.operationMode = isKavoraPlaylistName(name) ? "Remove" : "Create";
    if (folder.empty()) {
        // "C:mix.m3u" names no folder that a directory list could show.
        chosen.inputPlaylistPath = windows;
        return chosen;
    }
    chosen.playlistDirectory = platform::listedDirectory(folder);
    // One backslash whatever the folder ends in: at a drive's root the path
    // carries two in a row, as a file picked there does.
    chosen.inputPlaylistPath = chosen.playlistDirectory + "\\" + std::string(name);
    return chosen;
}

void OpenPlaylist(KVRFrmStart& mainWindow, std::string_view path)
{
    const ChosenPlaylist chosen = choosePlaylist(mainWindow.fileSystem().drives(), path);
    kavora::AppState& state = mainWindow.appState();
    // As the road through "&Done" and an Actions item would leave it: "&Done"
    // hidden, "Ready" in the status bar.
    mainWindow.setDoneVisible(false);
    state.OperationMode = chosen.operationMode;
    mainWindow.setStatusText("Ready");
    state.InputPlaylistPath = chosen.inputPlaylistPath;
    PreviewPlaylist(mainWindow, chosen.playlistDirectory);
}
