#pragma once

namespace kavora::cli {

struct Command;

// Exit statuses of the command line.
inline constexpr int kEveryEntryRenamed = 0;
inline constexpr int kSomeEntriesFailed = 1;
inline constexpr int kCouldNotRun = 2; // bad arguments, unreadable playlist, refused new playlist

// Runs a command that needs no window and gives the exit status; OpenWindow
// comes here only when there is no display to open the window on, and is
// refused. Every reason for status 2 is said on standard error. Nothing here
// loads a window system.
int runCommand(const Command& command);

} // namespace kavora::cli
