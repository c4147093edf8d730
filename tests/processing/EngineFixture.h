#pragma once

#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kavora::test {

// The window as the job leaves it, plus the order of the closing operations.
class FakeJobWindow final : public JobWindow {
public:
    std::string report;
    std::vector<std::string> events; // "hide-bar", "status:...", "refresh", "append"
    std::vector<int> progressValues;
    bool nextEnabled = true, nextVisible = true, backEnabled = true, backVisible = true;
    bool doneVisible = false, progressVisible = false;
    int progress = 0;
    std::string statusText, explanation = "explanation";

    void setExplanation(std::string_view caption) override { explanation = caption; }
    void setNextEnabled(bool enabled) override { nextEnabled = enabled; }
    void setNextVisible(bool visible) override { nextVisible = visible; }
    void setBackEnabled(bool enabled) override { backEnabled = enabled; }
    void setBackVisible(bool visible) override { backVisible = visible; }
    void setDoneVisible(bool visible) override { doneVisible = visible; }
    int progressValue() const override { return progress; }
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setStatusText(std::string_view text) override;
    void replaceReport(std::string_view text) override { report = text; }
    void appendToReport(std::string_view addition) override;
    void refresh() override { events.emplace_back("refresh"); }
};

struct Message {
    std::string prompt, title;
    MessageIcon icon;
};

class RecordingMessages final : public MessageBoxes {
public:
    std::vector<Message> shown;
    void show(std::string_view prompt, std::string_view title, MessageIcon icon) override
    {
        shown.push_back({std::string(prompt), std::string(title), icon});
    }
};

// One user action in a showing of the "Processing Error" dialog.
struct Act {
    enum Kind { Type, Tick, Untick, Ok, Skip, Ignore } kind;
    std::string text{};
};

// Plays scripted answers through the real handlers, one list per showing. A
// list that ends without closing the dialog closes it through the frame.
class ScriptedDialog final : public MissingFileDialog {
public:
    struct Showing {
        std::string caption, text1;
        bool okEnabled;
        std::shared_ptr<const platform::FileSystem> fileSystem;
    };
    std::vector<std::vector<Act>> script;
    std::vector<Showing> showings;

    void showModal(std::string_view label1Caption, std::string_view text1,
                   MissingFileHandlers& handlers) override;
    AppState* state = nullptr;
};

// A fresh HOME (drive C:) and current directory per test.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path host(const std::string& relative) const { return m_home / relative; }
    void write(const std::string& relative, const std::string& bytes) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const { return std::filesystem::exists(host(relative)); }
    // Every regular file under HOME, by relative path, with its bytes.
    std::map<std::string, std::string> snapshot() const;
    // Writes a playlist with CRLF line ends under HOME.
    void writePlaylist(const std::string& relative, const std::vector<std::string>& entries) const;

    void runJob(const std::string& mode, const std::string& playlistPath);

    AppState state;
    FakeJobWindow window;
    RecordingMessages messages;
    ScriptedDialog dialog;

private:
    std::filesystem::path m_home, m_savedDirectory;
    std::string m_savedHome;
};

// The whole report of a job with the given entry lines, as CRLF text.
std::string reportOf(const std::string& playlistPath, const std::vector<std::string>& lines);

inline const std::string kNote = "NOTE: Use this new playlist to burn your CD and when complete use this "
                                 "new playlist as input to the Kavora REMOVE function to rename the files "
                                 "and remove the numerics from the file names.";
inline const std::string kRemedy = "Remedy the errors listed above before rerunning the program to "
                                   "create your new playlist file.";

} // namespace kavora::test
