#include "EngineFixture.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <numeric>
#include <random>
#include <sys/wait.h>

namespace kavora::test {
namespace {

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

    state.IgnoreErrors = true;
    window.trace.clear();
    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {"Renamed C:\\Music\\A.mp3", "Renamed C:\\Music\\C.mp3", "",
                        "2 out of a possible 2 files successfully renamed to original file names."}));
    EXPECT_EQ(read("Music/A.mp3") + read("Music/C.mp3"), "ac");
    EXPECT_TRUE(state.IgnoreErrors) << "Remove leaves the flag as it was";
    EXPECT_EQ(window.trace, running + "append " + closing + kDoneTrace);
}

TEST_F(JobTest, EntriesAreTakenLiterallyAndJoinedWithoutBackslash)
{
    write({{"Here/Song.mp3", "relative"},
           {"Music/001 Old.mp3", "old"},
           {"Music/.hidden.mp3", "hidden"},
           {"ListsTrack.mp3", "t"}});
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
    EXPECT_EQ(read("Here/001 Song.mp3") + read("Music/002 001 Old.mp3") + read("Music/.hidden.mp3"),
              "relativeoldhidden");
    EXPECT_TRUE(reported("\r\nError - File not found - C:\\Music\\.hidden.mp3\r\n"));
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\001 Old.mp3 []"});
}

TEST_F(JobTest, DirectoryForAllCarriesOverToLaterEntriesAndJobs)
{
    write({{"Music/A.mp3", "a"}, {"Music/B.mp3", "b"}, {"Lists/C.mp3", "c"}});
    write("Lists/mix.m3u", lines({"A.mp3", "B.mp3", "Z.mp3", "Y.mp3"}));
    write("Lists/next.m3u", lines({"C.mp3"}));
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
    write({{"Music/song.mp3", "s"}, {"Music/file.txt", "f"}});
    write("Lists/mix.m3u", lines({"song.mp3"}));
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
    write("Music/other.mp3", "o");
    write("Lists/mix.m3u", lines({"song.mp3"}));
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
    EXPECT_EQ(read("Music/f998.mp3"), "f998.mp3");
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
    EXPECT_EQ(read("Lists/mix.kvr"), "");
    EXPECT_EQ(user.log.size(), 1U);
    EXPECT_FALSE(state.IgnoreErrors);
    EXPECT_EQ(read("Music/abcd") + read("Music/ab") + read("Here/Song.mp3"), "42cwd");
}

TEST_F(RoundTripTest, CreateThenRemoveRestoresEveryNameAndByte)
{
    // The disk name is UTF-8 where the playlist names "Café «1».mp3" in Windows-1252.
    std::vector<std::string> entries{"Song.mp3",
                                     "Caf\xc3\xa9 \xc2\xab"
                                     "1\xc2\xbb.mp3",
                                     "#1.mp3",
                                     "two  spaces .ogg",
                                     "001 Already.mp3",
                                     "x"};
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0'); // every byte value, CR and LF among them
    for (std::string& entry : entries) {
        write("Music/Sub/" + entry, entry + bytes);
        entry.insert(0, "C:\\Music\\Sub\\");
    }
    entries[1] = "C:\\Music\\Sub\\Caf\xe9 \xab"
                 "1\xbb.mp3";
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
    EXPECT_TRUE(reported("0 out of a possible 6 files successfully renamed"));
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

        // Numbered files whose path is not a line of `listed`.
        auto unlisted = [&](const std::string& listed) {
            return std::count_if(
                fs::directory_iterator(host(folder)), {}, [&](const fs::directory_entry& item) {
                    const std::string name = item.path().filename().string();
                    return std::isdigit(name[0]) && listed.find("\\" + name + "\r\n") == std::string::npos;
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
