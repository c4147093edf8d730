#include "processing/ResolveMissingFile.h"

#include "platform/FileSystem.h"
#include "processing/AppState.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"

#include <memory>
#include <string>

namespace kavora {

void ResolveMissingFile(AppState& state, MissingFileDialog& dialog, MessageBoxes& messages)
{
    for (;;) {
        // A fresh object per pass sees the drives and directories as they are
        // now; the user may have inserted a medium or moved files while the
        // dialog was open.
        state.FileSystem = std::make_shared<const platform::FileSystem>(platform::FileSystem::View::Snapshot);

        if (state.UseDirectoryForAll != kFalse16) {
            std::string joined = state.MissingFileDirectory + state.CurrentEntry;
            if (state.FileSystem->fileExists(joined)) {
                state.CurrentEntry = std::move(joined);
                return;
            }
        }

        MissingFileHandlers handlers(state, messages);
        state.SkipFile = false;
        dialog.showModal("File not found - " + state.CurrentEntry, state.MissingFileDirectory, handlers);

        if (state.SkipFile) {
            return;
        }
        std::string candidate = state.MissingFileDirectory + state.CurrentEntry;
        if (state.FileSystem->fileExists(candidate) || state.IgnoreErrors) {
            state.CurrentEntry = std::move(candidate);
            return;
        }
        messages.show(candidate + " not found", kApplicationTitle, MessageIcon::None);
    }
}

} // namespace kavora
