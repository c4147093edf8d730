#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "processing/playlist/PlaylistReader.h"
#include "processing/playlist/PlaylistWalk.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kavora {

struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;

// What one run of ProcessPlaylist holds between its start and its end: the
// collaborators, the open input playlist, the counters of the report, and the
// files the job has made its own.
class Job final {
public:
    Job(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages);

    AppState& state;
    JobWindow& window;
    MissingFileDialog& dialog;
    MessageBoxes& messages;

    // Null when the input playlist could not be opened; the mode then runs no
    // loop but still closes the job as usual.
    std::unique_ptr<playlist::PlaylistReader> input;

    std::uint64_t EntryCount = 0;
    std::uint64_t RenamedCount = 0;
    bool ErrorSeen = false;
    // False when the job could not start on its files (the input playlist
    // cannot be read, the new playlist cannot be made).
    bool ran = true;
    // The report line that says why the job could not start, or why it ended
    // before the end of the playlist; empty when it went through.
    std::string problem;

    // The file system of the state, which ResolveMissingFile replaces between
    // calls; never keep the reference across such a call.
    const platform::FileSystem& fileSystem() const;
    bool isDryRun() const { return fileSystem().changesNothing(); }

    // The next item of the input playlist, or of a playlist it names, read
    // in that entry's place; nothing at the end.
    std::optional<playlist::PlaylistWalk::Step> nextItem();
    // Where the job looks for the file of an entry path of the playlist that
    // lists the current item; valid until the next call.
    const std::string& lookupPath(std::string_view entry) const;
    // The current item comes from a playlist that the input names.
    bool isNested() const { return m_nested; }
    // An entry as the report and the missing-file dialog show it: as written,
    // or as a full path when a named playlist lists it; valid until the next
    // lookupPath().
    const std::string& shownEntry(const playlist::EntryText& entry) const;
    // The report line of an entry the walk refused.
    std::string refusalLine(const playlist::PlaylistWalk::Step& step) const;

    // The file an entry names, looked for as the line writes it and, when that
    // names nothing, by its %XX-decoded reading.
    struct Located {
        playlist::EntryText form;
        platform::FsResult<platform::FoundFile> file;
    };
    Located locate(playlist::EntryText entry) const;
    // The missing-file steps for an entry not found: the user's folder for
    // all entries, then the dialog. Leaves CurrentEntry as the last path tried.
    void findMissing(Located& located);
    static bool isMissing(const Located& located);

    // The report line for a found file that is not this job's to rename (one
    // it renamed already, by any name or link, or one of its own playlists).
    std::optional<std::string> refusal(const platform::FoundFile& file) const;
    void noteRenamed(const platform::FileIdentity& file);
    void forgetRenamed(const platform::FileIdentity& file);
    void notePlaylist(const platform::FileIdentity& file);

    // Paths as the report writes them, in the notation of the JobWindow
    // (Windows paths in the window, host paths on the command line): one the
    // job was given or made (a playlist's path), and an entry as shownEntry
    // gives it, by default the current one.
    std::string reportedPath(std::string_view path) const;
    std::string reportedEntry(std::string_view entry) const;
    std::string reportedEntry() const;

    // Appends CRLF and the line to the report.
    void reportLine(std::string_view line);
    // While renames wait for the sync of their lines, the report waits with
    // them, so that it keeps playlist order: lines are held from holdReport()
    // to releaseReport(), and a slot keeps the place of a rename's line.
    void holdReport();
    std::size_t reserveReportLine();
    void fillReportLine(std::size_t slot, std::string_view line);
    void releaseReport();
    // Reports an entry that ends without being renamed; it counts as an error.
    void reportEntryError(std::string_view line);
    // "Renamed <new>", or in a dry run "Would rename <old> to <new>", for
    // the file of an entry path, which the job looked up as `oldLookup`,
    // given its new name.
    void reportRenamed(std::string_view entry, std::string_view oldLookup, std::string_view newName);
    std::string renamedLine(std::string_view entry, std::string_view oldLookup,
                            std::string_view newName) const;
    // Reports why the job cannot start on its files; it then runs no loop.
    void reportCannotRun(std::string_view line);
    // Reports why the job ends before the end of the playlist, or may have
    // left its new playlist incomplete.
    void reportCutShort(std::string_view line);
    // Reports a read error that ended the input early, if there was one.
    void reportReadFailure();
    void closeInput();
    // Hides the progress bar and shows the job's end in the status bar.
    void showFinished();

private:
    bool m_holdingReport = false;
    // What is held, in order: runs of lines, and slots of one line each; every
    // line with its CRLF in front, as it is added to the report.
    std::vector<std::string> m_heldReport;
    bool m_heldRunOpen = false; // the last one held is a run that takes more lines
    std::string m_addition;     // the next addition to the report, its room kept for the one after
    // Keeps the job's first file system alive as long as files it opened are.
    std::shared_ptr<const platform::FileSystem> m_jobFileSystem;
    std::unordered_set<platform::FileIdentity> m_renamed;
    std::vector<platform::FileIdentity> m_playlists;
    std::unique_ptr<playlist::PlaylistWalk> m_walk;
    std::string m_listedIn; // the playlist of the current item; empty for the input
    bool m_nested = false;
    // The last path lookupPath() made, and what it was made of.
    struct Lookup {
        std::string listedIn, entry, path;
    };
    mutable Lookup m_lastLookup;
};

} // namespace kavora
