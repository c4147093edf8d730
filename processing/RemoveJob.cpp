#include "processing/RemoveJob.h"

#include "processing/AppState.h"
#include "processing/Job.h"
#include "processing/JobWindow.h"
#include "processing/PathText.h"
#include "processing/ReportText.h"

#include <string>

namespace kavora {

namespace {

void removeNumber(Job& job)
{
    const std::string& entry = job.state.CurrentEntry;
    const std::string_view fileName = fileNamePart(entry);
    // An empty name matches a whole directory in the directory match.
    if (fileName.empty() || job.fileSystem().firstMatch(entry).empty()) {
        job.reportEntryError(report::fileNotFound(entry));
        return;
    }
    if (fileName.size() <= kPrefixLength) {
        job.reportEntryError(report::nameTooShort(entry));
        return;
    }
    const std::string newName = unnumberedName(entry);
    if (const platform::FsStatus renamed = job.fileSystem().renameNoReplace(entry, newName); !renamed) {
        job.reportEntryError(report::cannotRename(renamed.failure(), newName, entry));
        return;
    }
    ++job.RenamedCount;
    job.reportLine(report::renamed(newName));
}

} // namespace

void runRemoveJob(Job& job)
{
    AppState& state = job.state;
    if (job.input) {
        while (!job.input->atEnd()) {
            state.CurrentEntry = job.input->readLine();
            ++job.EntryCount;
            if (job.window.progressValue() < 100) {
                job.window.setProgressValue(job.window.progressValue() + 1);
            }
            removeNumber(job);
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
