#include "EngineFixture.h"

#include <numeric>

namespace kavora::test {
namespace {

using JobTest = EngineTest;

TEST_F(JobTest, CreateThenRemoveWriteTheirReportsToTheByte)
{
    const std::string running = "Label1= BtnOK.Enabled=0 BtnCancel.Enabled=0 refresh Bar.Visible=1 "
                                "Status=Processing... refresh append append ";
    const std::string closing = "Bar.Visible=0 Status=Operation complete refresh ";
    write("Music/A.mp3", "a");
    write("Music/C.mp3", "c");
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3", "C:\\Music\\C.mp3"}));
    dialog.script = {{"skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");

    EXPECT_EQ(
        window.report,
        reportOf("C:\\Lists\\mix.m3u",
                 {"Renamed C:\\Music\\001 A.mp3", "Error - File not found - C:\\Music\\B.mp3",
                  "Renamed C:\\Music\\002 C.mp3", "", "<<<  Processing completed with 1 ERRORS DETECTED  >>>",
                  "", "2 out of a possible 3 files successfully added to new playlist: ",
                  "C:\\Lists\\mix.kvr", "", kNote}));
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Music\\002 C.mp3"}));
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/002 C.mp3"), "ac");
    EXPECT_EQ(dialog.showings, std::vector<std::string>{"File not found - C:\\Music\\B.mp3 []"});
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
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Music\\002 C.mp3"}));
    EXPECT_TRUE(state.IgnoreErrors) << "Remove leaves the flag as it was";
    EXPECT_EQ(window.trace, running + "append " + closing + kDoneTrace);
}

TEST_F(JobTest, EmptyAndAllMissingPlaylistsEndWithTheRemedy)
{
    write("Lists/empty.m3u", "");
    runJob("Create", "C:\\Lists\\empty.m3u");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\empty.m3u",
                       {"", "0 out of a possible 0 files encountered errors during processing.", kRemedy}));
    EXPECT_TRUE(exists("Lists/empty.kvr"));

    // Ignore Errors at the first dialog: no further dialog, flag false again.
    write("Lists/gone.m3u", lines({"C:\\Music\\X.mp3", "#EXTM3U", "Y.mp3"}));
    dialog.script = {{"ignore"}};
    runJob("Create", "C:\\Lists\\gone.m3u");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\gone.m3u",
                       {"Error - File not found - C:\\Music\\X.mp3", "Error - File not found - #EXTM3U",
                        "Error - File not found - Y.mp3", "",
                        "<<<  Processing completed with 3 ERRORS DETECTED  >>>", "",
                        "3 out of a possible 3 files encountered errors during processing.", kRemedy}));
    EXPECT_EQ(dialog.showings.size(), 1U);
    EXPECT_FALSE(state.IgnoreErrors);
    EXPECT_EQ(read("Lists/gone.kvr"), "");
}

TEST_F(JobTest, EntriesAreTakenLiterallyAndJoinedWithoutBackslash)
{
    write("Here/Song.mp3", "relative");
    write("Music/001 Old.mp3", "old");
    write("Music/.hidden.mp3", "hidden");
    write("ListsTrack.mp3", "t");
    write("Lists/mix.m3u", lines({"Song.mp3", "C:\\Music\\001 Old.mp3", "C:\\Music\\.hidden.mp3",
                                  "C:\\Music\\001 Old.mp3", "Track.mp3"}));
    state.PlaylistDirectory = "C:\\Lists";
    dialog.script = {{"skip"}};
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
    EXPECT_EQ(dialog.showings, std::vector<std::string>{"File not found - C:\\Music\\001 Old.mp3 []"});
}

TEST_F(JobTest, DirectoryForAllCarriesOverToLaterEntriesAndJobs)
{
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    write("Lists/mix.m3u", lines({"A.mp3", "B.mp3", "Z.mp3"}));
    dialog.script = {{"type C:\\Music\\", "tick", "ok"}, {"skip"}, {"skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Music\\002 B.mp3"}));
    EXPECT_EQ(state.MissingFileDirectory, "");

    // The flag outlives the job: the next job prefixes the empty directory and
    // so skips the playlist-directory join.
    write("Lists/C.mp3", "c");
    write("Lists/next.m3u", lines({"C.mp3"}));
    state.PlaylistDirectory = "C:\\Lists\\";
    runJob("Create", "C:\\Lists\\next.m3u");
    EXPECT_EQ(dialog.showings, (std::vector<std::string>{"File not found - A.mp3 []",
                                                         "File not found - C:\\Music\\Z.mp3 [C:\\Music\\] OK",
                                                         "File not found - C.mp3 []"}));
}

TEST_F(JobTest, ProgressBarStopsAtTheHundredthEntry)
{
    std::vector<int> expected(101);
    std::iota(expected.begin(), expected.end(), 0);
    write("Lists/long.m3u", lines(std::vector<std::string>(150, "C:\\Music\\none.mp3")));
    for (const std::string mode : {"Create", "Remove"}) {
        dialog.script = {{"ignore"}};
        dialog.showings.clear();
        window.progressValues.clear();
        runJob(mode, "C:\\Lists\\long.m3u");
        EXPECT_EQ(window.progressValues, expected) << mode;
    }
}

} // namespace
} // namespace kavora::test
