#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"
#include "processing/ProcessPlaylist.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kavora::test {
namespace {

namespace fs = std::filesystem;

// Records the window operations in order as "control=value " pieces; the
// report text and the progress values are kept apart.
class FakeJobWindow final : public JobWindow {
public:
    std::string report, trace;
    std::vector<int> progressValues;
    std::chrono::microseconds appendDelay{0}; // lets a kill land at many points of a job

    void setExplanation(std::string_view caption) override { note("Label1=", caption); }
    void setNextEnabled(bool enabled) override { note("BtnOK.Enabled=", enabled ? "1" : "0"); }
    void setNextVisible(bool visible) override { note("BtnOK.Visible=", visible ? "1" : "0"); }
    void setBackEnabled(bool enabled) override { note("BtnCancel.Enabled=", enabled ? "1" : "0"); }
    void setBackVisible(bool visible) override { note("BtnCancel.Visible=", visible ? "1" : "0"); }
    void setDoneVisible(bool visible) override { note("BtnDone.Visible=", visible ? "1" : "0"); }
    int progressValue() const override { return progressValues.empty() ? 0 : progressValues.back(); }
    void setProgressValue(int value) override { progressValues.push_back(value); }
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

private:
    void note(std::string_view what, std::string_view value) { ((trace += what) += value) += ' '; }
};

// The user: plays scripted answers through the real dialog handlers, one list
// per showing ("type TEXT", "tick", "untick", "ok", "skip", "ignore"), after
// whileOpen has run. Logs each showing as "caption [Text1]", plus " OK" when OK
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
        whileOpen();
        if (++showings > script.size()) {
            ADD_FAILURE() << "unscripted dialog for " << caption;
            script.push_back({"skip"});
        }
        for (const std::string& act : script[showings - 1]) {
            if (act.starts_with("type ")) {
                okEnabled = MissingFileHandlers::Text1Change(text = act.substr(5));
            } else if (act.ends_with("tick")) {
                handlers.Check1Click(act == "tick");
            } else if ((act == "skip"              ? handlers.Command2Click()
                        : act == "ignore"          ? handlers.Command3Click()
                        : act == "ok" && okEnabled ? handlers.Command1Click(text)
                                                   : DialogAction::StayOpen) == DialogAction::Close) {
                return;
            }
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
    bool reported(const std::string& piece) const { return window.report.find(piece) != std::string::npos; }
    void write(const std::string& relative, const std::string& bytes) const
    {
        fs::create_directories(host(relative).parent_path());
        std::ofstream(host(relative), std::ios::binary) << bytes;
    }
    void write(const std::map<std::string, std::string>& files) const
    {
        for (const auto& [relative, bytes] : files) {
            write(relative, bytes);
        }
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
        for (const auto& item : fs::recursive_directory_iterator(m_home)) {
            if (const std::string relative = fs::relative(item.path(), m_home); item.is_regular_file()) {
                files[relative] = read(relative);
            }
        }
        return files;
    }
    void runJob(const std::string& mode, const std::string& playlistPath)
    {
        state.OperationMode = mode;
        state.InputPlaylistPath = playlistPath;
        ProcessPlaylist(state, window, user, user);
    }

    AppState state;
    FakeJobWindow window;
    ScriptedUser user;

private:
    fs::path m_home;
};

// Each entry followed by CRLF, as playlists are written.
std::string lines(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries) {
        text += entry + "\r\n";
    }
    return text;
}

// The whole report of a job with the given entry lines.
std::string reportOf(const std::string& playlistPath, const std::vector<std::string>& entryLines)
{
    return "\r\nProcessing input file... " + playlistPath + "\r\n\r\n" + lines(entryLines);
}

// The last window operations of every job: the done state.
const std::string kDoneTrace =
    "BtnOK.Enabled=1 BtnOK.Visible=0 BtnCancel.Enabled=1 BtnCancel.Visible=0 BtnDone.Visible=1 refresh ";
const std::string kNote = "NOTE: Use this new playlist to burn your CD and when complete use this "
                          "new playlist as input to the Kavora REMOVE function to rename the files "
                          "and remove the numerics from the file names.";
const std::string kRemedy = "Remedy the errors listed above before rerunning the program to "
                            "create your new playlist file.";

using JobTest = EngineTest;
using FailureTest = EngineTest;
using RoundTripTest = EngineTest;

TEST_F(JobTest, CreateThenRemoveWriteTheirReportsToTheByte)
{
    const std::string running = "Label1= BtnOK.Enabled=0 BtnCancel.Enabled=0 refresh Bar.Visible=1 "
                                "Status=Processing... refresh append append ";
    const std::string closing = "Bar.Visible=0 Status=Operation complete refresh ";
    write({{"Music/A.mp3", "a"}, {"Music/C.mp3", "c"}});
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3", "C:\\Music\\C.mp3"}));
    user.script = {{"skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(
        window.report,
        reportOf("C:\\Lists\\mix.m3u",
                 {"Renamed C:\\Music\\001 A.mp3", "Error - File not found - C:\\Music\\B.mp3",
                  "Renamed C:\\Music\\002 C.mp3", "", "<<<  Processing completed with 1 ERRORS DETECTED  >>>",
                  "", "2 out of a possible 3 files successfully added to new playlist: ",
                  "C:\\Lists\\mix.kvr", "", kNote}));
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Music\\002 C.mp3"}));
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\B.mp3 []"});
    // Create hides the bar and sets the status before its summary, Remove after.
    EXPECT_EQ(window.trace, running + "append " + closing + "append append " + kDoneTrace);

    window.trace.clear();
    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {"Renamed C:\\Music\\A.mp3", "Renamed C:\\Music\\C.mp3", "",
                        "2 out of a possible 2 files successfully renamed to original file names."}));
    EXPECT_EQ(read("Music/A.mp3") + read("Music/C.mp3"), "ac");
    EXPECT_EQ(window.trace, running + "append " + closing + kDoneTrace);
}

TEST_F(JobTest, EntriesAreTakenLiterallyAndJoinedWithoutBackslash)
{
    write({{"Here/Song.mp3", "r"}, {"Music/001 Old.mp3", "o"}});
    write({{"Music/.hidden.mp3", "h"}, {"ListsTrack.mp3", "t"}});
    write("Lists/mix.m3u", lines({"Song.mp3", "C:\\Music\\001 Old.mp3", "C:\\Music\\.hidden.mp3",
                                  "C:\\Music\\001 Old.mp3", "Track.mp3"}));
    state.PlaylistDirectory = "C:\\Lists";
    user.script = {{"skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    // Relative to the current directory; a second prefix on a numbered name; a
    // hidden file passes the existence test (no dialog) but not the match; a
    // repeated entry is gone after its first rename and reaches the dialog
    // without the playlist directory; "C:\Lists" + "Track.mp3" is C:\ListsTrack.mp3.
    EXPECT_EQ(read("Lists/mix.kvr"),
              lines({"001 Song.mp3", "C:\\Music\\002 001 Old.mp3", "C:\\003 ListsTrack.mp3"}));
    EXPECT_EQ(read("Here/001 Song.mp3") + read("Music/002 001 Old.mp3") + read("Music/.hidden.mp3"), "roh");
    EXPECT_TRUE(reported("\r\nError - File not found - C:\\Music\\.hidden.mp3\r\n"));
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\001 Old.mp3 []"});
}

TEST_F(JobTest, DirectoryForAllCarriesOverToLaterEntriesAndJobs)
{
    write(
        {{"Music/A.mp3", "a"}, {"Music/B.mp3", "b"}, {"Lists/C.mp3", "c"}, {"Lists/next.m3u", "C.mp3\r\n"}});
    write("Lists/mix.m3u", lines({"A.mp3", "B.mp3", "Z.mp3", "Y.mp3"}));
    user.script = {{"type C:\\Music\\", "tick", "ok"}, {"skip"}, {"skip"}, {"tick", "untick", "skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Music\\002 B.mp3"}));
    EXPECT_EQ(state.MissingFileDirectory, "");
    // Skip File empties the directory but keeps the flag, which outlives the job:
    // the next job prefixes the empty directory and so skips the playlist-directory
    // join. Unticking clears the flag.
    state.PlaylistDirectory = "C:\\Lists\\";
    runJob("Create", "C:\\Lists\\next.m3u");
    EXPECT_EQ(user.log, (std::vector<std::string>{"File not found - A.mp3 []",
                                                  "File not found - C:\\Music\\Z.mp3 [C:\\Music\\] OK",
                                                  "File not found - Y.mp3 []", "File not found - C.mp3 []"}));
    EXPECT_EQ(state.UseDirectoryForAll, kFalse16);
}

TEST_F(JobTest, MissingFilePassesRepeatUntilTheDirectoryHoldsTheFile)
{
    write({{"Music/song.mp3", "s"}, {"Music/file.txt", "f"}, {"Lists/mix.m3u", lines({"song.mp3"})}});
    // A text naming nothing: OK does nothing. A file: the attribute message. A
    // directory without the file: a retry pass that starts with it; closing the
    // frame retries too.
    user.script = {{"type C:\\Nowhere\\", "ok", "type C:\\Music\\file.txt", "ok", "type C:\\Music", "ok"},
                   {},
                   {"type C:\\Music\\", "ok"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 song.mp3"}));
    // Message boxes as title|icon|prompt; icon 1 is Information, 0 none.
    const std::string notFound = "KVR|0|C:\\Musicsong.mp3 not found",
                      retry = "File not found - song.mp3 [C:\\Music] OK";
    EXPECT_EQ(user.log, (std::vector<std::string>{
                            "File not found - song.mp3 []",
                            "Invalid Directory Name|1|Directory name error... C:\\Music\\file.txt "
                            "32\r\nPlease specify only the directory path of the file.",
                            notFound, retry, notFound, retry}));
}

// The user's answer is checked against the disk as it is, and the job goes on
// with what changed while the dialog was open.
TEST_F(JobTest, FilesMadeWhileTheDialogIsOpenAreFound)
{
    write({{"Music/other.mp3", "o"}, {"Lists/mix.m3u", lines({"song.mp3"})}});
    state.PlaylistDirectory = "C:\\Music\\"; // the job looks there before the dialog opens
    for (const auto& [made, typed] : std::vector<std::pair<std::string, std::string>>{
             {"Music/song.mp3", "C:\\Music\\"}, {"Music/New/song.mp3", "C:\\music\\new\\"}}) {
        user.whileOpen = [&] { write(made, "s"); };
        user.script = {{"type " + typed, "ok"}};
        user.showings = 0;
        runJob("Create", "C:\\Lists\\mix.m3u");
        EXPECT_EQ(read("Lists/mix.kvr"), lines({typed + "001 song.mp3"}));
    }
    EXPECT_EQ(user.log.size(), 2U) << "one showing each, no message";
}

TEST_F(FailureTest, PlaylistsThatCannotBeReadOrWrittenTouchNothing)
{
    write("Music/A.mp3", "a");
    fs::create_directories(host("Lists/dir.kvr"));
    // The new path of "MIX.KVR" is "MIX.kvr": another text, the same file.
    const std::string refused =
        "Error - New playlist would replace the input playlist; no file was touched - ";
    for (const auto& [mode, playlist, reportLine] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"Remove", "gone.kvr", "Error - Input playlist cannot be opened; no file was touched ("},
             {"Create", "dir.m3u", "Error - New playlist cannot be created; no file was renamed ("},
             {"Create", "mix.kvr", refused + "C:\\Lists\\mix.kvr\r\n"},
             {"Create", "MIX.KVR", refused + "C:\\Lists\\MIX.KVR\r\n"}}) {
        if (mode == "Create") {
            write("Lists/" + playlist, lines({"C:\\Music\\A.mp3"}));
        }
        const auto before = snapshot();
        runJob(mode, "C:\\Lists\\" + playlist);
        EXPECT_EQ(snapshot(), before) << playlist;
        EXPECT_TRUE(reported("\r\n\r\n" + reportLine) && reported("0 out of a possible 0 files")) << playlist;
        EXPECT_TRUE(window.trace.ends_with(kDoneTrace)) << playlist;
        fs::remove(host("Lists/" + playlist));
    }
}

TEST_F(FailureTest, FailedRenameIsReportedAndUsesNoNumber)
{
    write({{"Music/A.mp3", "new a"}, {"Music/001 A.mp3", "older a"}, {"Music/B.mp3", "b"}});
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"}));
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 B.mp3"}));
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/001 B.mp3"), "older anew ab");
    EXPECT_TRUE(reported("\r\nError - File cannot be renamed to 001 A.mp3 (") &&
                reported(") - C:\\Music\\A.mp3\r\n"));
    EXPECT_TRUE(reported("1 ERRORS DETECTED  >>>\r\n\r\n1 out of a possible 2 files successfully added"));

    // Remove onto an existing shorter name keeps both files.
    write("Lists/back.kvr", lines({"C:\\Music\\001 A.mp3", "C:\\Music\\001 B.mp3"}));
    runJob("Remove", "C:\\Lists\\back.kvr");
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/B.mp3"), "older anew ab");
    EXPECT_TRUE(reported("\r\nError - File cannot be renamed to A.mp3 ("));
    EXPECT_TRUE(reported("\r\n\r\n<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of"));
}

TEST_F(FailureTest, PlaylistLineThatCannotBeWrittenUndoesTheRenameAndStops)
{
    write({{"Music/A.mp3", "a"}, {"Music/B.mp3", "b"}});
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"}));
    fs::create_symlink("/dev/full", host("Lists/mix.kvr")); // every write fails with "no space"
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Music/A.mp3") + read("Music/B.mp3"), "ab");
    EXPECT_TRUE(reported("\r\nError - New playlist cannot be written; rename undone and job stopped ("));
    EXPECT_TRUE(
        window.report.ends_with("\r\n\r\n<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 "
                                "out of a possible 1 files encountered errors during processing.\r\n" +
                                kRemedy + "\r\n"));
}

// Also the progress bar: it follows the first hundred entries and stays at 100.
TEST_F(FailureTest, ThousandthFileIsLeftUnnumbered)
{
    std::vector<std::string> entries, listed;
    for (int index = 0; index < 1001; ++index) {
        const std::string name = "f" + std::to_string(index) + ".mp3", number = std::to_string(index + 1);
        write("Music/" + name, name);
        entries.push_back("C:\\Music\\" + name);
        if (index < 999) {
            listed.push_back("C:\\Music\\" + std::string(3 - number.size(), '0') + number + " " + name);
        }
    }
    std::vector<int> progress(101);
    std::iota(progress.begin(), progress.end(), 0);
    write("Lists/big.m3u", lines(entries));
    runJob("Create", "C:\\Lists\\big.m3u");
    EXPECT_EQ(read("Lists/big.kvr"), lines(listed));
    EXPECT_EQ(read("Music/f999.mp3") + read("Music/f1000.mp3"), "f999.mp3f1000.mp3");
    EXPECT_TRUE(reported("\r\nError - More than 999 files; file left unnumbered - C:\\Music\\f1000.mp3"));
    EXPECT_TRUE(reported("2 ERRORS DETECTED  >>>\r\n\r\n999 out of a possible 1001 files"));
    EXPECT_EQ(window.progressValues, progress);

    window.progressValues.clear();
    runJob("Remove", "C:\\Lists\\big.kvr");
    EXPECT_EQ(window.progressValues, progress);
}

TEST_F(FailureTest, ShortNamesEmptyLinesAndMissingFilesAreNeverRenamed)
{
    write({{"Music/abcd", "4"}, {"Music/ab", "2"}, {"Here/Song.mp3", "cwd"}});
    write("Lists/mix.kvr", lines({"C:\\Music\\abcd", "", "C:\\Music\\ab", "C:\\Music\\"}));
    runJob("Remove", "C:\\Lists\\mix.kvr");
    const std::string tooShort =
        "Error - File name too short to carry a number; file left as it is - C:\\Music\\";
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {tooShort + "abcd", "Error - File not found - ", tooShort + "ab",
                        "Error - File not found - C:\\Music\\", "",
                        "<<<  Processing completed with 4 ERRORS DETECTED  >>>", "",
                        "0 out of a possible 4 files successfully renamed to original file names."}));
    // In Create an empty line meets the playlist directory and the dialog; after
    // Ignore Errors no dialog follows, and the flag lasts one job.
    state.PlaylistDirectory = "C:\\Music\\";
    write("Lists/mix.m3u", lines({"", "#EXTM3U", "Y.mp3"}));
    user.script = {{"ignore"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.m3u",
                       {"Error - File not found - ", "Error - File not found - #EXTM3U",
                        "Error - File not found - Y.mp3", "",
                        "<<<  Processing completed with 3 ERRORS DETECTED  >>>", "",
                        "3 out of a possible 3 files encountered errors during processing.", kRemedy}));
    EXPECT_EQ(user.log.size(), 1U);
    EXPECT_FALSE(state.IgnoreErrors);
    EXPECT_EQ(read("Music/abcd") + read("Music/ab") + read("Here/Song.mp3"), "42cwd");
}

TEST_F(RoundTripTest, CreateThenRemoveRestoresEveryNameAndByte)
{
    // The disk name is UTF-8 where the playlist names "Café «1».mp3" in Windows-1252.
    std::vector<std::string> entries{"Song.mp3", "#1.mp3", "two  spaces .ogg", "001 Already.mp3", "x"};
    entries.insert(entries.begin() + 1, "Caf\xc3\xa9 \xc2\xab\x31\xc2\xbb.mp3");
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0'); // every byte value, CR and LF among them
    for (std::string& entry : entries) {
        write("Music/Sub/" + entry, entry + bytes);
        entry.insert(0, "C:\\Music\\Sub\\");
    }
    entries[1] = "C:\\Music\\Sub\\Caf\xe9 \xab\x31\xbb.mp3";
    entries.insert(entries.begin() + 2, "C:\\Music\\Sub\\missing.mp3");
    write("Lists/mix.m3u", lines(entries));
    user.script = {{"skip"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_NE(snapshot(), before);
    // A second Remove finds no numbered name and shortens nothing twice.
    for (const char* run : {"first", "second"}) {
        runJob("Remove", "C:\\Lists\\mix.kvr");
        auto after = snapshot();
        EXPECT_EQ(after.erase("Lists/mix.kvr"), 1U) << run;
        EXPECT_EQ(after, before) << run;
    }
}

// Kills a child running a Create job at random instants: every numbered file but
// at most the one being renamed is listed, so Remove brings all the others back.
TEST_F(RoundTripTest, KilledCreateLeavesEveryNumberedFileListedButOne)
{
    std::mt19937 random(std::random_device{}());
    int killedMidway = 0;
    for (int round = 0; round < 12; ++round) {
        const std::string folder = "Run" + std::to_string(round), playlist = "C:\\" + folder + "\\list.";
        std::vector<std::string> entries;
        for (int index = 0; index < 150; ++index) {
            write(folder + "/f" + std::to_string(index), "");
            entries.push_back("C:\\" + folder + "\\f" + std::to_string(index));
        }
        write(folder + "/list.m3u", lines(entries));
        const pid_t child = fork();
        if (child == 0) {
            window.appendDelay = std::chrono::microseconds(150); // the job takes at least 150 x 150 us
            runJob("Create", playlist + "m3u");
            _exit(0);
        }
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 22000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        // Numbered files (their names alone start with a digit) whose path is not a line of `listed`.
        auto unlisted = [&](const std::string& listed) {
            return std::count_if(
                fs::directory_iterator(host(folder)), {}, [&](const fs::directory_entry& item) {
                    const std::string name = item.path().filename().string();
                    return name[0] <= '9' && listed.find("\\" + name + "\r\n") == std::string::npos;
                });
        };
        const std::string listed = read(folder + "/list.kvr");
        const auto lost = unlisted(listed);
        EXPECT_LE(lost, 1) << folder;
        killedMidway += !listed.empty() && std::count(listed.begin(), listed.end(), '\n') < 150;
        runJob("Remove", playlist + "kvr");
        EXPECT_EQ(unlisted(""), lost) << folder << ": numbered files left after Remove";
    }
    EXPECT_GT(killedMidway, 0) << "no kill landed inside a job";
}

} // namespace
} // namespace kavora::test
