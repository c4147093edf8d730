#include "processing/ProcessPlaylist.h"

#include "processing/AppState.h"
#include "processing/CreateJob.h"
#include "processing/Job.h"
#include "processing/JobWindow.h"
#include "processing/RemoveJob.h"
#include "processing/ReportText.h"

#include <memory>

namespace kavora {

void showJobStarted(JobWindow& window)
{
    window.setExplanation("");
    window.setNextEnabled(false);
    window.setBackEnabled(false);
    window.refresh();

    window.setProgressValue(0);
    window.setProgressVisible(true);

    window.setStatusText("Processing...");
    window.refresh();
}

void showJobDone(JobWindow& window)
{
    window.setNextEnabled(true);
    window.setNextVisible(false);
    window.setBackEnabled(true);
    window.setBackVisible(false);
    window.setDoneVisible(true);
    window.refresh();
}

JobResult runPlaylistJob(AppState& state, JobWindow& window, MissingFileDialog& dialog,
                         MessageBoxes& messages, JobOptions options)
{
    // A snapshot per job: each directory is read once, so a playlist of many
    // entries costs no system call per lookup.
    state.FileSystem = std::make_shared<const platform::FileSystem>(
        options.dryRun ? platform::FileSystem::View::DryRun : platform::FileSystem::View::Snapshot);

    showJobStarted(window);

    Job job(state, window, dialog, messages);
    window.replaceReport(report::header(job.reportedPath(state.InputPlaylistPath)));

    auto opened = playlist::PlaylistReader::open(job.fileSystem(), state.InputPlaylistPath);
    if (opened) {
        job.input = std::move(opened).value();
        job.notePlaylist(job.input->identity());
    } else {
        job.reportCannotRun(
            report::cannotOpenInput(opened.failure(), job.reportedPath(state.InputPlaylistPath)));
    }

    if (state.OperationMode == "Create") {
        runCreateJob(job);
    } else if (state.OperationMode == "Remove") {
        runRemoveJob(job);
    } else {
        // The menus always set a mode before a job can start; without one the
        // job still ends in the done state instead of leaving the window busy.
        job.closeInput();
        job.showFinished();
    }

    showJobDone(window);

    state.MissingFileDirectory.clear();
    return JobResult{job.ran, job.EntryCount, job.RenamedCount, std::move(job.problem)};
}

void ProcessPlaylist(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages)
{
    (void)runPlaylistJob(state, window, dialog, messages, JobOptions{});
}

} // namespace kavora
