#pragma once

#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace kavora {

struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;

// What one run of ProcessPlaylist holds between its start and its end: the
// collaborators, the open input playlist and the counters of the report.
class Job final {
public:
    Job(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages);

    AppState& state;
    JobWindow& window;
    MissingFileDialog& dialog;
    MessageBoxes& messages;

    // Null when the input playlist could not be opened; the mode then runs no
    // loop but still closes the job as usual.
    std::unique_ptr<platform::LineReader> input;

    std::uint64_t EntryCount = 0;
    std::uint64_t RenamedCount = 0;
    bool ErrorSeen = false;

    // The file system of the state, which ResolveMissingFile replaces between
    // calls; never keep the reference across such a call.
    const platform::FileSystem& fileSystem() const;

    // Appends CRLF and the line to the report.
    void reportLine(std::string_view line);
    // Reports an entry that ends without being renamed; it counts as an error.
    void reportEntryError(std::string_view line);
    // Reports a read error that ended the input early, if there was one.
    void reportReadFailure();
    void closeInput();
    // Hides the progress bar and shows the job's end in the status bar.
    void showFinished();

private:
    // Keeps the job's first file system alive as long as files it opened are.
    std::shared_ptr<const platform::FileSystem> m_jobFileSystem;
};

} // namespace kavora
