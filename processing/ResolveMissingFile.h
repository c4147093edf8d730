#pragma once

namespace kavora {

struct AppState;
class MessageBoxes;
class MissingFileDialog;

// Asks the user for a directory to put in front of the missing CurrentEntry,
// pass after pass, until it is resolved, skipped or errors are ignored.
// Precondition: no file exists at CurrentEntry and IgnoreErrors is false.
void ResolveMissingFile(AppState& state, MissingFileDialog& dialog, MessageBoxes& messages);

} // namespace kavora
