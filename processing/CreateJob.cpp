#include "processing/CreateJob.h"

#include "platform/LineWriter.h"
#include "processing/AppState.h"
#include "processing/Job.h"
#include "processing/JobWindow.h"
#include "processing/PathText.h"
#include "processing/ReportText.h"
#include "processing/ResolveMissingFile.h"

#include <memory>
#include <string>

namespace kavora {

namespace {

enum class Outcome { Continue, Stop };

// Puts the playlist directory or the user's directory in front of a missing
// entry and asks the user when that does not find it either. Returns true when
// CurrentEntry is known to name no file, so the directory match can be spared.
bool findMissingEntry(Job& job)
{
    AppState& state = job.state;
    bool missing = false;
    if (state.UseDirectoryForAll != kFalse16) {
        state.CurrentEntry.insert(0, state.MissingFileDirectory);
        missing = !job.fileSystem().fileExists(state.CurrentEntry);
    } else {
        std::string entry = state.CurrentEntry;
        state.CurrentEntry.insert(0, state.PlaylistDirectory);
        missing = !job.fileSystem().fileExists(state.CurrentEntry);
        if (missing) {
            state.CurrentEntry = std::move(entry);
        }
    }
    if (missing && !state.IgnoreErrors) {
        ResolveMissingFile(state, job.dialog, job.messages);
        // The user may have done anything meanwhile; let the match decide.
        return false;
    }
    return missing;
}

bool isFound(const Job& job, bool knownMissing)
{
    const std::string& entry = job.state.CurrentEntry;
    // An empty file-name part would make the match list a whole directory.
    if (fileNamePart(entry).empty()) {
        return false;
    }
    // A literal path that failed the existence test cannot match; skipping the
    // match keeps a run of missing entries from scanning their directories.
    if (knownMissing && !hasWildcard(entry)) {
        return false;
    }
    return !job.fileSystem().firstMatch(entry).empty();
}

// Renames the found CurrentEntry to the next number and lists it. The line is
// written only after the rename succeeded, so a file in the playlist always
// carries its number; if the line cannot be written the rename is undone.
Outcome numberFile(Job& job, platform::LineWriter& newPlaylist)
{
    const std::string& entry = job.state.CurrentEntry;
    if (job.RenamedCount >= kHighestNumber) {
        job.reportEntryError(report::numberLimitReached(entry));
        return Outcome::Continue;
    }
    std::string newName = numberedName(entry, job.RenamedCount + 1);
    if (const platform::FsStatus renamed = job.fileSystem().renameNoReplace(entry, newName); !renamed) {
        job.reportEntryError(report::cannotRename(renamed.failure(), newName, entry));
        return Outcome::Continue;
    }
    if (const platform::FsStatus written = newPlaylist.writeLine(newName); !written) {
        const platform::FsStatus undone = job.fileSystem().renameNoReplace(newName, entry);
        job.reportEntryError(undone
                                 ? report::cannotWriteRenameUndone(written.failure(), entry)
                                 : report::cannotWriteNorUndo(written.failure(), undone.failure(), newName));
        return Outcome::Stop;
    }
    ++job.RenamedCount;
    job.reportLine(report::renamed(newName));
    return Outcome::Continue;
}

void processEntries(Job& job, platform::LineWriter& newPlaylist)
{
    AppState& state = job.state;
    while (!job.input->atEnd()) {
        state.CurrentEntry = job.input->readLine();
        bool knownMissing = false;
        if (!job.fileSystem().fileExists(state.CurrentEntry)) {
            knownMissing = findMissingEntry(job);
        }

        ++job.EntryCount;
        if (job.EntryCount < 101) {
            job.window.setProgressValue(static_cast<int>(job.EntryCount));
        }

        Outcome outcome = Outcome::Continue;
        if (isFound(job, knownMissing)) {
            outcome = numberFile(job, newPlaylist);
        } else {
            job.reportEntryError(report::fileNotFound(state.CurrentEntry));
        }

        if (state.UseDirectoryForAll == kFalse16) {
            state.MissingFileDirectory.clear();
        }
        if (outcome == Outcome::Stop) {
            return;
        }
    }
}

// Opens the new playlist unless doing so would touch the input; reports why not.
std::unique_ptr<platform::LineWriter> createNewPlaylist(Job& job, const std::string& path)
{
    const std::string& inputPath = job.state.InputPlaylistPath;
    // Compared as files, since "MIX.KVR" and "mix.kvr" name one file.
    if (job.fileSystem().sameFile(inputPath, path)) {
        job.reportLine(report::newPlaylistIsInput(inputPath));
        return nullptr;
    }
    auto created = platform::LineWriter::create(job.fileSystem(), path);
    if (!created) {
        job.reportLine(report::cannotCreateNewPlaylist(created.failure(), path));
        return nullptr;
    }
    return std::move(created).value();
}

} // namespace

void runCreateJob(Job& job)
{
    const std::string newPath = newPlaylistPath(job.state.InputPlaylistPath);

    if (job.input) {
        if (auto newPlaylist = createNewPlaylist(job, newPath)) {
            processEntries(job, *newPlaylist);
            job.reportReadFailure();
            if (const platform::FsStatus closed = newPlaylist->close(); !closed) {
                job.reportLine(report::cannotCloseNewPlaylist(closed.failure(), newPath));
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
        job.window.appendToReport(report::createSummary(job.RenamedCount, job.EntryCount, newPath));
    } else {
        job.window.appendToReport(report::createNothingRenamed(job.RenamedCount, job.EntryCount));
    }

    job.state.IgnoreErrors = false;
}

} // namespace kavora
