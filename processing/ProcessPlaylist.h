#pragma once

#include <cstdint>
#include <string>

namespace kavora {

struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;

struct JobOptions {
    // Nothing on disk changes; the report says what the job would do.
    bool dryRun = false;
};

struct JobResult {
    bool ran = false; // the job could start on its files
    std::uint64_t entryCount = 0;
    std::uint64_t renamedCount = 0;
    // The report line of why the job did not run, or did not go through to
    // the end of the playlist; empty when it did.
    std::string problem;
};

// Runs the Create or Remove job over the playlist named in the state, reports
// into the window and leaves it in its done state.
JobResult runPlaylistJob(AppState& state, JobWindow& window, MissingFileDialog& dialog,
                         MessageBoxes& messages, JobOptions options);

// The window's running state at a job's start: buttons disabled, the bar at
// 0, "Processing...", each step shown at once.
void showJobStarted(JobWindow& window);
// The window's done state: "&Done" where "&Next" stood.
void showJobDone(JobWindow& window);

// The job as the main window's "&Next" starts it.
void ProcessPlaylist(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages);

} // namespace kavora
