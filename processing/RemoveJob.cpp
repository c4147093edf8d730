#include "processing/RemoveJob.h"

#include "processing/AppState.h"
#include "processing/FolderCheck.h"
#include "processing/Job.h"
#include "processing/JobWindow.h"
#include "processing/NumberPrefix.h"
#include "processing/ReportText.h"
#include "processing/playlist/PlaylistLine.h"

#include <optional>
#include <string>

namespace kavora {

namespace {

using playlist::PlaylistItem;

void removeNumber(Job& job, playlist::EntryText entryText, FolderCheck& folders)
{
    const Job::Located located = job.locate(std::move(entryText));
    if (!located.file) {
        const platform::FsFailure& failure = located.file.failure();
        job.reportEntryError(failure.code == platform::FsError::NotFound
                                 ? report::fileNotFound(job.reportedEntry())
                                 : report::fileLeftAsItIs(failure, job.reportedEntry()));
        return;
    }
    const platform::FoundFile& file = located.file.value();
    // Only this playlist's own number comes off, the k-th entry's being k as
    // Create numbers: an album's own "101 Intro.flac", in the playlist Create
    // started from chosen by mistake, keeps its name.
    const std::optional<std::string_view> withoutNumber = nameWithoutNumber(file.name, job.EntryCount);
    if (!withoutNumber) {
        job.reportEntryError(report::carriesOtherNumber(job.reportedEntry()));
        return;
    }
    if (const std::optional<std::string> refused = job.refusal(file)) {
        job.reportEntryError(*refused);
        return;
    }
    const std::string newName(*withoutNumber);
    // Found just now: the file is not looked at again.
    platform::FsStatus renamed = folders.beforeRename(job.fileSystem(), file);
    if (renamed)
        renamed = job.fileSystem().renameInFolder(file, newName, platform::FileSystem::Recheck::Nothing);
    if (!renamed) {
        job.reportEntryError(report::cannotRename(renamed.failure(), newName, job.reportedEntry()));
        return;
    }
    ++job.RenamedCount;
    job.noteRenamed(file.identity);
    job.reportRenamed(located.form.path(), job.lookupPath(located.form.path()), newName);
}

} // namespace

void runRemoveJob(Job& job)
{
    AppState& state = job.state;
    // One job per playlist: a Create writing it, or a second Remove, holds it.
    if (job.input && !job.isDryRun()) {
        if (const platform::FsStatus locked = job.input->lockExclusively(); !locked) {
            job.reportCannotRun(
                locked.failure().code == platform::FsError::InUse
                    ? report::playlistInUse(job.reportedPath(state.InputPlaylistPath))
                    : report::cannotOpenInput(locked.failure(), job.reportedPath(state.InputPlaylistPath)));
            job.closeInput();
        }
    }
    if (job.input) {
        FolderCheck folders;
        while (std::optional<playlist::PlaylistWalk::Step> step = job.nextItem()) {
            PlaylistItem& line = step->item;
            if (line.kind == PlaylistItem::Kind::Blank || line.kind == PlaylistItem::Kind::Directive) {
                continue;
            }
            ++job.EntryCount;
            if (job.window.progressValue() < 100) {
                job.window.setProgressValue(job.window.progressValue() + 1);
            }
            if (step->refusal != playlist::Refusal::None) {
                job.reportEntryError(job.refusalLine(*step));
            } else if (line.kind == PlaylistItem::Kind::Overlong) {
                job.reportEntryError(report::lineTooLong(line.text));
            } else if (line.kind == PlaylistItem::Kind::Stream) {
                job.reportEntryError(report::notLocalFile(line.text));
            } else {
                state.CurrentEntry = job.shownEntry(*line.entry);
                removeNumber(job, std::move(*line.entry), folders);
            }
        }
        job.reportReadFailure();
    }

    if (job.ErrorSeen) {
        job.ErrorSeen = false;
        job.window.appendToReport(report::errorCount(job.EntryCount - job.RenamedCount));
    }
    job.window.appendToReport(report::removeSummary(job.RenamedCount, job.EntryCount));

    job.closeInput();

    job.showFinished();
}

} // namespace kavora
