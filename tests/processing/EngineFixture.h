#pragma once

#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"
#include "processing/PathNotation.h"
#include "processing/ProcessPlaylist.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace kavora::test {

namespace fs = std::filesystem;

// Records the window operations in order as "control=value " pieces; the
// report text and the progress values are kept apart.
class FakeJobWindow final : public JobWindow {
public:
    std::string report, trace;
    std::vector<int> progressValues;
    std::chrono::microseconds appendDelay{0};         // lets a kill land at many points of a job
    std::function<void(int)> onProgress = [](int) {}; // runs between an entry's check and its rename

    void setExplanation(std::string_view caption) override { note("Label1=", caption); }
    void setNextEnabled(bool enabled) override { note("BtnOK.Enabled=", enabled ? "1" : "0"); }
    void setNextVisible(bool visible) override { note("BtnOK.Visible=", visible ? "1" : "0"); }
    void setBackEnabled(bool enabled) override { note("BtnCancel.Enabled=", enabled ? "1" : "0"); }
    void setBackVisible(bool visible) override { note("BtnCancel.Visible=", visible ? "1" : "0"); }
    void setDoneVisible(bool visible) override { note("BtnDone.Visible=", visible ? "1" : "0"); }
    int progressValue() const override { return progressValues.empty() ? 0 : progressValues.back(); }
    void setProgressValue(int value) override
    {
        progressValues.push_back(value);
        onProgress(value);
    }
    void setProgressVisible(bool visible) override { note("Bar.Visible=", visible ? "1" : "0"); }
    void setStatusText(std::string_view text) override { note("Status=", text); }
    void replaceReport(std::string_view text) override { report = text; }
    void appendToReport(std::string_view addition) override
    {
        std::this_thread::sleep_for(appendDelay);
        report.append(addition);
        note("append", "");
    }
    void refresh() override { note("refresh", ""); }
    const PathNotation& pathNotation() const override { return m_notation; }

private:
    const WindowsNotation m_notation;
    void note(std::string_view what, std::string_view value) { ((trace += what) += value) += ' '; }
};

// The user: plays scripted answers through the real dialog handlers, one list
// per showing ("type TEXT", "tick", "untick", "ok", "skip", "ignore", and
// "meanwhile", which runs whileOpen). Logs each showing as "caption [Text1]", plus " OK" when OK
// starts enabled, and each message box as "title|icon|prompt". A list that ends
// without closing the dialog closes it through the frame.
class ScriptedUser final : public MissingFileDialog, public MessageBoxes {
public:
    std::vector<std::vector<std::string>> script;
    std::function<void()> whileOpen = [] {};
    std::vector<std::string> log;
    std::size_t showings = 0;

    void show(std::string_view prompt, std::string_view title, MessageIcon icon) override
    {
        log.push_back(std::string(title) + "|" + std::to_string(static_cast<int>(icon)) + "|" +
                      std::string(prompt));
    }

    void showModal(std::string_view caption, std::string_view text1, MissingFileHandlers& handlers) override
    {
        std::string text(text1);
        bool okEnabled = MissingFileHandlers::Text1Change(text);
        log.push_back(std::string(caption) + " [" + text + "]" + (okEnabled ? " OK" : ""));
        EXPECT_LE(++showings, script.size()) << "unscripted dialog for " << caption;
        script.resize(std::max(script.size(), showings), {"skip"});
        for (const std::string& act : script[showings - 1]) {
            if (act.starts_with("type "))
                okEnabled = MissingFileHandlers::Text1Change(text = act.substr(5));
            else if (act == "meanwhile")
                whileOpen();
            else if (act.ends_with("tick"))
                handlers.Check1Click(act == "tick");
            else if ((act == "skip"              ? handlers.Command2Click()
                      : act == "ignore"          ? handlers.Command3Click()
                      : act == "ok" && okEnabled ? handlers.Command1Click(text)
                                                 : DialogAction::StayOpen) == DialogAction::Close)
                return;
        }
    }
};

// A fresh HOME (drive C:) and current directory (C:\Here) per test.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kavora-engine-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_home = pattern;
        setenv("HOME", m_home.c_str(), 1);
        fs::create_directories(m_home / "Here");
        fs::current_path(m_home / "Here");
    }
    void TearDown() override
    {
        fs::current_path(m_home.parent_path());
        fs::remove_all(m_home);
    }

    fs::path host(const std::string& relative) const { return m_home / relative; }
    // Whether the report holds `piece`; a failure shows the whole report.
    ::testing::AssertionResult reported(const std::string& piece) const
    {
        if (window.report.find(piece) != std::string::npos)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "not in the report:\n" << window.report;
    }
    void write(const std::string& relative, const std::string& bytes) const
    {
        fs::create_directories(host(relative).parent_path());
        std::ofstream(host(relative), std::ios::binary) << bytes;
    }
    void write(const std::map<std::string, std::string>& files) const
    {
        for (const auto& [relative, bytes] : files)
            write(relative, bytes);
    }
    std::string read(const std::string& relative) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(host(relative), std::ios::binary).rdbuf();
        return bytes.str();
    }
    // Every regular file under HOME, by relative path, with its bytes.
    std::map<std::string, std::string> snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(m_home))
            if (const std::string relative = fs::relative(item.path(), m_home); item.is_regular_file())
                files[relative] = read(relative);
        return files;
    }
    // Remove with the new playlist (relative to HOME) gives back every file as
    // `before` held it, and leaves that playlist in place.
    void expectRemoveRestores(const std::map<std::string, std::string>& before, const std::string& kvr)
    {
        std::string path = "C:\\" + kvr;
        std::replace(path.begin(), path.end(), '/', '\\');
        runJob("Remove", path);
        auto after = snapshot();
        EXPECT_EQ(after.erase(kvr), 1U);
        EXPECT_EQ(after, before);
    }
    JobResult runJob(const std::string& mode, const std::string& playlistPath)
    {
        state.OperationMode = mode;
        state.InputPlaylistPath = playlistPath;
        return runPlaylistJob(state, window, user, user, JobOptions{});
    }

    AppState state;
    FakeJobWindow window;
    ScriptedUser user;

private:
    fs::path m_home;
};

// Runs `action` with the file size limited to `bytes`; SIGXFSZ is ignored
// meanwhile, so a write past the limit fails instead of killing the test.
template <typename Action> auto withFileSizeLimit(rlim_t bytes, Action&& action)
{
    rlimit saved{};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{bytes, saved.rlim_max};
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto result = action();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

// Runs `cleanUp` when it goes out of scope: unmounts, removals outside HOME.
struct AtScopeExit {
    std::function<void()> cleanUp;
    ~AtScopeExit() { cleanUp(); }
};

// Each entry followed by CRLF, as playlists are written.
inline std::string lines(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += entry + "\r\n";
    return text;
}

// The whole report of a job with the given entry lines.
inline std::string reportOf(const std::string& playlistPath, const std::vector<std::string>& entryLines)
{
    return "\r\nProcessing input file... " + playlistPath + "\r\n\r\n" + lines(entryLines);
}

inline const std::string kNote = "NOTE: Use this new playlist to burn your CD and when complete use this "
                                 "new playlist as input to the Kavora REMOVE function to rename the files "
                                 "and remove the numerics from the file names.";

} // namespace kavora::test
