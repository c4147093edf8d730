#include "processing/ResolveMissingFile.h"

#include "platform/FileSystem.h"
#include "processing/AppState.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"
#include "processing/playlist/EntryPath.h"

#include <memory>
#include <string>

namespace kavora {

void ResolveMissingFile(AppState& state, MissingFileDialog& dialog, MessageBoxes& messages)
{
    using platform::FileSystem;
    // A dry run goes on with its own snapshot: it holds the renames that the
    // run only pretends, which a fresh look at the disk would not show.
    const std::shared_ptr<const FileSystem> dryRun =
        state.FileSystem && state.FileSystem->changesNothing() ? state.FileSystem : nullptr;
    const auto jobView = [&dryRun]() -> std::shared_ptr<const FileSystem> {
        return dryRun ? dryRun : std::make_shared<const FileSystem>(FileSystem::View::Snapshot);
    };
    const auto fileExists = [&state](const std::string& path) {
        return state.FileSystem->fileExists(lookupPath(state.InputPlaylistPath, path));
    };
    for (;;) {
        // A fresh snapshot per pass sees the drives and directories as they are
        // now; the user may have inserted a medium or moved files meanwhile.
        state.FileSystem = jobView();

        if (state.UseDirectoryForAll != kFalse16) {
            std::string joined = completedEntry(state.MissingFileDirectory, state.CurrentEntry);
            if (fileExists(joined)) {
                state.CurrentEntry = std::move(joined);
                return;
            }
        }

        MissingFileHandlers handlers(state, messages);
        state.SkipFile = false;
        // While the dialog is open the user may create the directory they then
        // type, or copy the file into it: the dialog's checks ask the host, and
        // the job goes on with a snapshot taken after it closed.
        state.FileSystem = std::make_shared<const FileSystem>(FileSystem::View::Live);
        dialog.showModal("File not found - " + state.CurrentEntry, state.MissingFileDirectory, handlers);
        state.FileSystem = jobView();

        if (state.SkipFile) {
            return;
        }
        std::string candidate = completedEntry(state.MissingFileDirectory, state.CurrentEntry);
        if (fileExists(candidate) || state.IgnoreErrors) {
            state.CurrentEntry = std::move(candidate);
            return;
        }
        messages.show(candidate + " not found", kApplicationTitle, MessageIcon::None);
    }
}

} // namespace kavora
