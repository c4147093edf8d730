#include "processing/Job.h"

#include "platform/PathText.h"
#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/PathNotation.h"
#include "processing/ReportText.h"
#include "processing/ResolveMissingFile.h"
#include "processing/playlist/EntryPath.h"

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

std::optional<playlist::PlaylistWalk::Step> Job::nextItem()
{
    if (!m_walk) {
        m_walk = std::make_unique<playlist::PlaylistWalk>(
            *input, state.InputPlaylistPath,
            [this]() -> const platform::FileSystem& { return fileSystem(); });
        for (const platform::FileIdentity& playlist : m_playlists)
            m_walk->markRead(playlist);
    }
    std::optional<playlist::PlaylistWalk::Step> step = m_walk->next();
    m_nested = step && step->nested;
    m_listedIn = m_nested ? step->listedIn : std::string();
    return step;
}

const std::string& Job::lookupPath(std::string_view entry) const
{
    const std::string& listedIn = m_listedIn.empty() ? state.InputPlaylistPath : m_listedIn;
    // The entry in hand is looked up, then named by each report line on it.
    if (entry != m_lastLookup.entry || listedIn != m_lastLookup.listedIn) {
        // `entry` may be the last path made: it is read before that is replaced.
        std::string path = kavora::lookupPath(listedIn, entry);
        m_lastLookup.entry = entry;
        m_lastLookup.listedIn = listedIn;
        m_lastLookup.path = std::move(path);
    }
    return m_lastLookup.path;
}

const std::string& Job::shownEntry(const playlist::EntryText& entry) const
{
    return m_nested ? lookupPath(entry.path()) : entry.path();
}

std::string Job::refusalLine(const playlist::PlaylistWalk::Step& step) const
{
    const std::string entry = step.item.entry ? reportedEntry(shownEntry(*step.item.entry)) : step.item.text;
    switch (step.refusal) {
    case playlist::Refusal::NotMusic:
        return report::notMusicFile(entry);
    case playlist::Refusal::TooDeep:
        return report::playlistTooDeep(entry, playlist::kDeepestNesting);
    case playlist::Refusal::ReadAlready:
        return report::playlistReadAlready(entry);
    case playlist::Refusal::Unreadable:
        return report::cannotReadNamedPlaylist(step.failure, entry);
    case playlist::Refusal::None:
        break;
    }
    return {};
}

Job::Located Job::locate(playlist::EntryText entry) const
{
    platform::FsResult<platform::FoundFile> file = fileSystem().findFile(lookupPath(entry.path()));
    if (!file && file.failure().code == platform::FsError::NotFound) {
        if (std::optional<playlist::EntryText> decoded = entry.percentDecoded()) {
            platform::FsResult<platform::FoundFile> found =
                fileSystem().findFile(lookupPath(decoded->path()));
            if (found)
                return Located{std::move(*decoded), std::move(found)};
        }
    }
    return Located{std::move(entry), std::move(file)};
}

bool Job::isMissing(const Located& located)
{
    return !located.file && located.file.failure().code == platform::FsError::NotFound;
}

// Puts the user's directory in front of a missing entry, or asks the user
// for one. An entry completed by a directory is written as completed; one
// left as it was keeps the form its line writes it in.
void Job::findMissing(Located& located)
{
    if (state.UseDirectoryForAll == kFalse16 && state.IgnoreErrors)
        return;
    const playlist::EntryText asWritten = located.form;
    const auto lookAgain = [&] {
        located = state.CurrentEntry == asWritten.path()
                      ? locate(asWritten)
                      : locate(playlist::EntryText::plainPath(state.CurrentEntry));
    };
    if (state.UseDirectoryForAll != kFalse16) {
        state.CurrentEntry = completedEntry(state.MissingFileDirectory, state.CurrentEntry);
        lookAgain();
    }
    if (isMissing(located) && !state.IgnoreErrors) {
        ResolveMissingFile(state, dialog, messages);
        lookAgain();
    }
}

std::optional<std::string> Job::refusal(const platform::FoundFile& file) const
{
    if (std::find(m_playlists.begin(), m_playlists.end(), file.identity) != m_playlists.end())
        return report::namesOwnPlaylist(reportedEntry());
    if (m_renamed.contains(file.identity))
        return report::alreadyRenamedByThisJob(reportedEntry());
    return std::nullopt;
}

std::string Job::reportedPath(std::string_view path) const
{
    return window.pathNotation().shown(fileSystem(), path, [path] { return std::string(path); });
}

std::string Job::reportedEntry(std::string_view entry) const
{
    return window.pathNotation().shown(fileSystem(), entry, [this, &entry] { return lookupPath(entry); });
}

std::string Job::reportedEntry() const
{
    return reportedEntry(state.CurrentEntry);
}

void Job::noteRenamed(const platform::FileIdentity& file)
{
    m_renamed.insert(file);
}

void Job::notePlaylist(const platform::FileIdentity& file)
{
    m_playlists.push_back(file);
    if (m_walk)
        m_walk->markRead(file);
}

void Job::forgetRenamed(const platform::FileIdentity& file)
{
    m_renamed.erase(file);
}

void Job::holdReport()
{
    m_holdingReport = true;
}

std::size_t Job::reserveReportLine()
{
    m_heldReport.emplace_back(report::kCrlf);
    m_heldRunOpen = false;
    return m_heldReport.size() - 1;
}

void Job::fillReportLine(std::size_t slot, std::string_view line)
{
    m_heldReport[slot].assign(report::kCrlf).append(line);
}

void Job::releaseReport()
{
    m_holdingReport = false;
    m_heldRunOpen = false;
    for (const std::string& lines : m_heldReport)
        window.appendToReport(lines);
    m_heldReport.clear();
}

void Job::reportLine(std::string_view line)
{
    if (m_holdingReport) {
        if (!m_heldRunOpen)
            m_heldReport.emplace_back();
        m_heldRunOpen = true;
        m_heldReport.back().append(report::kCrlf).append(line);
        return;
    }
    m_addition.assign(report::kCrlf).append(line);
    window.appendToReport(m_addition);
}

void Job::reportEntryError(std::string_view line)
{
    ErrorSeen = true;
    reportLine(line);
}

void Job::reportRenamed(std::string_view entry, std::string_view oldLookup, std::string_view newName)
{
    reportLine(renamedLine(entry, oldLookup, newName));
}

std::string Job::renamedLine(std::string_view entry, std::string_view oldLookup,
                             std::string_view newName) const
{
    const std::string newLookup = std::string(platform::directoryPart(oldLookup)) + std::string(newName);
    // A full Windows path as the entry writes it, "." and all; any other by
    // the path it was looked up by, which names its folder.
    const bool asWritten = platform::formOf(entry) == platform::PathForm::DriveAbsolute;
    const PathNotation& notation = window.pathNotation();
    const std::string shownNew = notation.shown(
        fileSystem(),
        asWritten ? std::string(platform::directoryPart(entry)) + std::string(newName) : newLookup,
        [&newLookup] { return newLookup; });
    if (!isDryRun())
        return report::renamed(shownNew);
    return report::wouldRename(notation.shown(fileSystem(), asWritten ? entry : oldLookup,
                                              [oldLookup] { return std::string(oldLookup); }),
                               shownNew);
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
        reportCutShort(
            report::cannotReadInput(input->status().failure(), reportedPath(state.InputPlaylistPath)));
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
