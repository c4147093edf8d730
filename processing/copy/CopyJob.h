#pragma once

#include "processing/ProcessPlaylist.h"
#include "processing/copy/CopyExecutor.h"
#include "processing/copy/CopyPlan.h"

#include <atomic>

namespace kavora {
struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;
} // namespace kavora

// The copy as a job of the main window, in four steps:
//   1. makeCopyPlan (CopyPlan.h), on the user-interface thread: it may show
//      the missing-file dialog;
//   2. startCopyJob, on that thread: the window's running state, the report's
//      header and the plan's line; true when step 3 is to run;
//   3. executeCopyPlan (CopyExecutor.h), on a worker thread, its progress
//      taken back to the window (each CopyProgress::reportLines appended to
//      the report in order, see copyProgressShown);
//   4. finishCopyJob, on the user-interface thread: the summary, the done state.
// runCopyJob runs all four on one thread, for the command line and tests.
namespace kavora::copy {

bool startCopyJob(const CopyPlan& plan, JobWindow& window);

// What the window shows of a progress report: its report lines appended,
// the bar at the share of the bytes, the status bar "Copying 12 of 140, ...".
void copyProgressShown(const CopyProgress& progress, JobWindow& window);

// `outcome` is null when step 3 did not run (a refused plan, a dry run).
JobResult finishCopyJob(AppState& state, const CopyPlan& plan, const CopyOutcome* outcome, JobWindow& window);

JobResult runCopyJob(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages,
                     JobOptions options, const std::atomic<bool>& stopRequested);

} // namespace kavora::copy
