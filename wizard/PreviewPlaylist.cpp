#include "wizard/PreviewPlaylist.h"

#include "processing/AppState.h"
#include "processing/MessageBoxes.h"
#include "processing/playlist/PlaylistPreview.h"
#include "wizard/KVRFrmStart.h"

#include <string>

namespace {

constexpr std::string_view kFirstLine = "You have selected a playlist that contains the following files...";
constexpr std::string_view kCreateLine =
    "The files will be renamed and prefixed with numerics and a new Playlist will be created.";
constexpr std::string_view kRemoveLine =
    "The prefixed numerics will be removed and the files will be renamed backed to their original filenames.";

} // namespace

void PreviewPlaylist(KVRFrmStart& mainWindow, const std::string& playlistDirectory)
{
    kavora::AppState& state = mainWindow.appState();
    state.PlaylistDirectory = playlistDirectory;

    // The selection window is gone before the main window changes; its
    // deletion is deferred because this runs inside its own click handler.
    mainWindow.closePlaylistPicker();

    mainWindow.setActionsMenuEnabled(false);

    std::string caption(kFirstLine);
    caption += "\r\n";
    if (state.OperationMode == "Create")
        caption += kCreateLine;
    else if (state.OperationMode == "Remove")
        caption += kRemoveLine;
    mainWindow.setExplanation(caption);
    mainWindow.setExplanationVisible(true);

    const auto loaded = kavora::playlist::previewPlaylist(mainWindow.fileSystem(), state.InputPlaylistPath);
    mainWindow.replaceReport(loaded ? loaded.value().text : std::string());
    mainWindow.setReportVisible(true);
    mainWindow.setNextVisible(true);
    mainWindow.setBackVisible(true);

    if (!loaded) {
        const kavora::platform::FsFailure& failure = loaded.failure();
        // What is no playlist is said as the job would say it.
        std::string prompt =
            failure.code == kavora::platform::FsError::NotAPlaylist
                ? "Playlist cannot be read: " + failure.reason + ".\r\n" + state.InputPlaylistPath
                : "The playlist " + state.InputPlaylistPath + " cannot be shown: " + failure.reason + ".";
        prompt += "\r\nUse \"Back\" to choose another playlist.";
        mainWindow.messageBoxes().show(prompt, kavora::kApplicationTitle, kavora::MessageIcon::Warning);
    }
}
