#include "processing/Job.h"

#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/ReportText.h"

#include <string>

namespace kavora {

Job::Job(AppState& state_, JobWindow& window_, MissingFileDialog& dialog_, MessageBoxes& messages_)
    : state(state_), window(window_), dialog(dialog_), messages(messages_), m_jobFileSystem(state_.FileSystem)
{
}

const platform::FileSystem& Job::fileSystem() const
{
    return *state.FileSystem;
}

void Job::reportLine(std::string_view line)
{
    std::string addition;
    addition.reserve(report::kCrlf.size() + line.size());
    addition.append(report::kCrlf);
    addition.append(line);
    window.appendToReport(addition);
}

void Job::reportEntryError(std::string_view line)
{
    ErrorSeen = true;
    reportLine(line);
}

void Job::reportReadFailure()
{
    if (input && !input->status().ok()) {
        reportLine(report::cannotReadInput(input->status().failure(), state.InputPlaylistPath));
    }
}

void Job::closeInput()
{
    input.reset();
}

void Job::showFinished()
{
    window.setProgressVisible(false);
    window.setStatusText("Operation complete");
    window.refresh();
}

} // namespace kavora
