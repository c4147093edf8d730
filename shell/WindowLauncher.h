#pragma once

#include <string>

namespace kavora::shell {

// Opens the program's window: loads the module that holds the window's code
// (and with it Qt) and runs it with the program's arguments and the playlist
// to open (empty for none). Gives the exit status; a module that cannot be
// loaded is said on standard error.
int openWindow(int argc, char* argv[], const std::string& playlist);

// True when the window can find a display to open on: one that the platform
// named in QT_QPA_PLATFORM needs (X11 for "xcb", Wayland for "wayland"; none
// for "offscreen" and the like), or by default an X11 or Wayland display.
// Told from the environment alone, before Qt is loaded.
bool displayReachable();

// The function the window module offers, by this name; `playlist` is never
// null.
using WindowMain = int (*)(int argc, char* argv[], const char* playlist);
inline constexpr char kWindowMainName[] = "kavora_window_main";

} // namespace kavora::shell
