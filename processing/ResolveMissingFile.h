#pragma once

namespace kavora {

struct AppState;
class MessageBoxes;
class MissingFileDialog;

// Asks the user for the directory that holds the missing CurrentEntry, pass
// after pass, until it is resolved, skipped or errors are ignored. A relative
// entry is looked for below the directory, a full path by its file name in it.
// Precondition: no file exists at CurrentEntry and IgnoreErrors is false.
void ResolveMissingFile(AppState& state, MissingFileDialog& dialog, MessageBoxes& messages);

} // namespace kavora
