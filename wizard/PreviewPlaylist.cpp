#include "wizard/PreviewPlaylist.h"

#include "platform/LineReader.h"
#include "processing/AppState.h"
#include "processing/MessageBoxes.h"
#include "wizard/KVRFrmStart.h"

#include <string>

namespace {

constexpr std::string_view kFirstLine = "You have selected a playlist that contains the following files...";
constexpr std::string_view kCreateLine =
    "The files will be renamed and prefixed with numerics and a new Playlist will be created.";
constexpr std::string_view kRemoveLine =
    "The prefixed numerics will be removed and the files will be renamed backed to their original filenames.";

struct LoadedText {
    std::string text;
    std::string failure; // empty when the whole file was read
};

// The playlist as the report area shows it: its lines, CR LF between them.
LoadedText loadPlaylist(const kavora::platform::FileSystem& fileSystem, std::string_view path)
{
    LoadedText loaded;
    auto reader = kavora::platform::LineReader::open(fileSystem, path);
    if (!reader) {
        loaded.failure = reader.failure().reason;
        if (loaded.failure.empty())
            loaded.failure = "it cannot be opened";
        return loaded;
    }
    bool first = true;
    while (!reader.value()->atEnd()) {
        if (!first)
            loaded.text += "\r\n";
        loaded.text += reader.value()->readLine();
        first = false;
    }
    if (!reader.value()->status().ok()) {
        loaded.failure = reader.value()->status().failure().reason;
        if (loaded.failure.empty())
            loaded.failure = "it could not be read to its end";
    }
    return loaded;
}

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

    const LoadedText loaded = loadPlaylist(mainWindow.fileSystem(), state.InputPlaylistPath);
    mainWindow.replaceReport(loaded.text);
    mainWindow.setReportVisible(true);
    mainWindow.setNextVisible(true);
    mainWindow.setBackVisible(true);

    if (!loaded.failure.empty()) {
        std::string prompt = "The playlist ";
        prompt += state.InputPlaylistPath;
        prompt += " cannot be shown: ";
        prompt += loaded.failure;
        prompt += ".\r\nUse \"Back\" to choose another playlist.";
        mainWindow.messageBoxes().show(prompt, kavora::kApplicationTitle, kavora::MessageIcon::Warning);
    }
}
