#include "processing/Job.h"

#include "processing/AppState.h"
#include "processing/playlist/EntryPath.h"
#include "processing/JobWindow.h"
#include "processing/ReportText.h"

#include <algorithm>
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

std::optional<playlist::PlaylistItem> Job::nextItem()
{
    return input->next([this](std::string_view path) { return fileSystem().fileExists(lookupPath(path)); });
}

std::string Job::lookupPath(std::string_view entry) const
{
    return kavora::lookupPath(state.InputPlaylistPath, entry);
}

Job::Located Job::locate(const playlist::EntryText& entry) const
{
    Located located{entry, fileSystem().findFile(lookupPath(entry.path()))};
    if (located.file || located.file.failure().code != platform::FsError::NotFound)
        return located;
    if (std::optional<playlist::EntryText> decoded = entry.percentDecoded()) {
        platform::FsResult<platform::FoundFile> file = fileSystem().findFile(lookupPath(decoded->path()));
        if (file)
            return Located{std::move(*decoded), std::move(file)};
    }
    return located;
}

std::optional<std::string> Job::refusal(const platform::FoundFile& file, std::string_view entry) const
{
    if (std::find(m_playlists.begin(), m_playlists.end(), file.identity) != m_playlists.end())
        return report::namesOwnPlaylist(entry);
    if (m_renamed.contains(file.identity))
        return report::alreadyRenamedByThisJob(entry);
    return std::nullopt;
}

void Job::noteRenamed(const platform::FileIdentity& file)
{
    m_renamed.insert(file);
}

void Job::notePlaylist(const platform::FileIdentity& file)
{
    m_playlists.push_back(file);
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

void Job::reportRenamed(std::string_view oldPath, std::string_view newPath)
{
    reportLine(isDryRun() ? report::wouldRename(oldPath, newPath) : report::renamed(newPath));
}

void Job::reportCannotRun(std::string_view line)
{
    ran = false;
    reportCutShort(line);
}

void Job::reportCutShort(std::string_view line)
{
    if (problem.empty())
        problem = line;
    reportLine(line);
}

void Job::reportReadFailure()
{
    if (input && !input->status().ok()) {
        reportCutShort(report::cannotReadInput(input->status().failure(), state.InputPlaylistPath));
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
