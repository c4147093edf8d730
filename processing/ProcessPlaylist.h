#pragma once

namespace kavora {

struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;

// Runs the Create or Remove job over the playlist named in the state, reports
// into the window and leaves it in its done state.
void ProcessPlaylist(AppState& state, JobWindow& window, MissingFileDialog& dialog,
                     MessageBoxes& messages);

} // namespace kavora
