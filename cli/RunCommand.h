#pragma once

namespace kavora::cli {

struct Command;

// Exit statuses of the command line.
inline constexpr int kEveryEntryRenamed = 0;
inline constexpr int kSomeEntriesFailed = 1;
inline constexpr int kCouldNotRun = 2; // bad arguments, unreadable playlist, refused new playlist

// Runs a command that needs no window (any but OpenWindow) and gives the
// exit status. Nothing here loads a window system.
int runCommand(const Command& command);

} // namespace kavora::cli
