#include "processing/CreateJob.h"

#include "platform/PathText.h"
#include "processing/AppState.h"
#include "processing/EarlierPlaylist.h"
#include "processing/Job.h"
#include "processing/JobWindow.h"
#include "processing/NumberPrefix.h"
#include "processing/ReportText.h"
#include "processing/WriteAheadRenames.h"
#include "processing/playlist/NewPlaylist.h"
#include "processing/playlist/PlaylistLine.h"

#include <optional>
#include <string>

namespace kavora {

namespace {

using platform::FsError;
using platform::FsStatus;
using playlist::PlaylistItem;
using Step = playlist::PlaylistWalk::Step;

enum class Outcome { Continue, Stop };

Outcome stopWriting(Job& job, const FsStatus& written, bool takingBack)
{
    const std::string path = job.reportedPath(playlist::newPlaylistPath(job.state.InputPlaylistPath));
    job.ErrorSeen = true;
    job.reportCutShort(takingBack ? report::cannotTakeBackLine(written.failure(), path)
                                  : report::cannotWriteNewPlaylist(written.failure(), path));
    return Outcome::Stop;
}

Outcome leaveOut(Job& job, WriteAheadRenames& renames, std::string_view reportLine)
{
    job.reportEntryError(reportLine);
    if (const FsStatus written = renames.leaveOut(); !written)
        return stopWriting(job, written, false);
    return Outcome::Continue;
}

// Lists the found file under its next number; the rename follows once the
// line is on the device: a job killed or a power cut between the two leaves
// a line for a file that kept its name (Remove reports it as not found),
// never a numbered file that no playlist lists.
Outcome numberFile(Job& job, const Job::Located& located, const std::string& titleLine,
                   WriteAheadRenames& renames)
{
    const platform::FoundFile& file = located.file.value();
    if (renames.numbersUsed() >= kHighestNumber)
        return leaveOut(job, renames, report::numberLimitReached(job.reportedEntry()));
    if (const std::optional<std::string> refused = job.refusal(file))
        return leaveOut(job, renames, *refused);
    if (const FsStatus listed = renames.list(located, job.reportedEntry(), titleLine); !listed)
        return stopWriting(job, listed, false);
    return Outcome::Continue;
}

// The new playlist of a playlist in another format is an extended M3U: a
// title line goes with each listed entry that has a title, as with the
// entries of a named playlist.
std::string titleLineOf(const Job& job, const Step& step)
{
    const bool ownTitleLines = job.input->format() == playlist::Format::LineList && !step.nested;
    if (ownTitleLines || step.item.title.empty())
        return {};
    return playlist::titleLine(step.item.title);
}

void countEntry(Job& job)
{
    ++job.EntryCount;
    if (job.EntryCount < 101) {
        job.window.setProgressValue(static_cast<int>(job.EntryCount));
    }
}

Outcome processEntry(Job& job, Step& step, WriteAheadRenames& renames)
{
    PlaylistItem& line = step.item;
    if (step.refusal != playlist::Refusal::None) {
        countEntry(job);
        return leaveOut(job, renames, job.refusalLine(step));
    }
    switch (line.kind) {
    case PlaylistItem::Kind::Blank:
    case PlaylistItem::Kind::Directive:
        break;
    case PlaylistItem::Kind::Overlong:
        countEntry(job);
        return leaveOut(job, renames, report::lineTooLong(line.text));
    case PlaylistItem::Kind::Stream:
        countEntry(job);
        return leaveOut(job, renames, report::notLocalFile(line.text));
    case PlaylistItem::Kind::Entry: {
        AppState& state = job.state;
        state.CurrentEntry = job.shownEntry(*line.entry);
        // An entry may name a queued file by its new name, and the dialog
        // shows the report so far: both need the queued renames done.
        if (!renames.empty() && hasNumberPrefix(platform::fileNamePart(state.CurrentEntry))) {
            if (const FsStatus flushed = renames.flush(); !flushed)
                return stopWriting(job, flushed, false);
        }
        Job::Located located = job.locate(std::move(*line.entry));
        if (Job::isMissing(located) && !state.IgnoreErrors && !renames.empty()) {
            if (const FsStatus flushed = renames.flush(); !flushed)
                return stopWriting(job, flushed, false);
        }
        if (Job::isMissing(located)) {
            job.findMissing(located);
        }
        countEntry(job);
        if (!located.file) {
            const platform::FsFailure& failure = located.file.failure();
            return leaveOut(job, renames,
                            failure.code == FsError::NotFound
                                ? report::fileNotFound(job.reportedEntry())
                                : report::fileLeftAsItIs(failure, job.reportedEntry()));
        }
        return numberFile(job, located, titleLineOf(job, step), renames);
    }
    }
    if (const FsStatus written = renames.copy(line.text); !written)
        return stopWriting(job, written, false);
    return Outcome::Continue;
}

void processEntries(Job& job, WriteAheadRenames& renames)
{
    AppState& state = job.state;
    if (job.input->format() != playlist::Format::LineList) {
        if (const FsStatus written = renames.copy("#EXTM3U"); !written) {
            stopWriting(job, written, false);
            return;
        }
    }
    bool nested = false;
    while (std::optional<Step> step = job.nextItem()) {
        // The title of the entry that named a playlist goes.
        const bool enteredNested = step->nested && !nested;
        nested = step->nested;
        if (const FsStatus dropped = enteredNested ? renames.leaveOut() : FsStatus(); !dropped) {
            stopWriting(job, dropped, false);
            return;
        }
        const Outcome outcome = processEntry(job, *step, renames);
        if (state.UseDirectoryForAll == kFalse16) {
            state.MissingFileDirectory.clear();
        }
        if (outcome == Outcome::Stop) {
            return;
        }
        if (renames.due()) {
            if (const FsStatus flushed = renames.flush(); !flushed) {
                stopWriting(job, flushed, false);
                return;
            }
        }
    }
}

// Opens the new playlist unless doing so would touch the input or replace a
// playlist that Remove may still need; reports why not.
std::optional<NewPlaylist> createNewPlaylist(Job& job, const std::string& path)
{
    const std::string& inputPath = job.state.InputPlaylistPath;
    // Compared as files, since "MIX.KVR" and "mix.kvr" name one file.
    if (job.fileSystem().sameFile(inputPath, path)) {
        job.reportCannotRun(report::newPlaylistIsInput(job.reportedPath(inputPath)));
        return std::nullopt;
    }
    // A playlist read as UTF-16 is written in UTF-8, which the mark announces.
    const auto mark = job.input->encoding() == platform::TextEncoding::Utf16
                          ? platform::LineWriter::Mark::Utf8
                          : platform::LineWriter::Mark::None;
    auto created = NewPlaylist::create(job.fileSystem(), path, mark);
    if (!created && created.failure().code == FsError::TargetExists) {
        const EarlierPlaylist earlier = examineEarlierPlaylist(job, path);
        if (!earlier.spent) {
            job.reportCannotRun(earlier.refusal);
            return std::nullopt;
        }
        created = NewPlaylist::create(job.fileSystem(), path, mark, earlier.spent);
    }
    if (!created) {
        const FsError code = created.failure().code;
        const std::string shown = job.reportedPath(path);
        job.reportCannotRun(code == FsError::InUse
                                ? report::playlistInUse(shown)
                                : report::cannotCreateNewPlaylist(created.failure(), shown));
        return std::nullopt;
    }
    job.notePlaylist(created.value().identity());
    return std::move(created).value();
}

} // namespace

void runCreateJob(Job& job)
{
    const std::string newPath = playlist::newPlaylistPath(job.state.InputPlaylistPath);

    if (job.input) {
        if (std::optional<NewPlaylist> newPlaylist = createNewPlaylist(job, newPath)) {
            WriteAheadRenames renames(job, *newPlaylist);
            processEntries(job, renames);
            if (const FsStatus flushed = renames.flush(); !flushed)
                stopWriting(job, flushed, false);
            job.reportReadFailure();
            if (const FsStatus closed = newPlaylist->close(); !closed) {
                job.reportCutShort(
                    report::cannotCloseNewPlaylist(closed.failure(), job.reportedPath(newPath)));
            }
        }
    }
    job.closeInput();

    job.showFinished();

    if (job.ErrorSeen) {
        job.ErrorSeen = false;
        job.window.appendToReport(report::errorCount(job.EntryCount - job.RenamedCount));
    }
    if (job.RenamedCount > 0) {
        job.window.appendToReport(
            report::createSummary(job.RenamedCount, job.EntryCount, job.reportedPath(newPath)));
    } else {
        job.window.appendToReport(report::createNothingRenamed(job.RenamedCount, job.EntryCount));
    }

    job.state.IgnoreErrors = false;
}

} // namespace kavora
