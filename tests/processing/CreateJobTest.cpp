#include "EngineFixture.h"

namespace kavora::test {
namespace {

using CreateJobTest = EngineTest;

TEST_F(CreateJobTest, NumbersFoundFilesAndReportsSkippedOneToTheByte)
{
    write("Music/A.mp3", "a");
    write("Music/C.mp3", "c");
    writePlaylist("Lists/mix.m3u", {"C:\\Music\\A.mp3", "C:\\Music\\B.mp3", "C:\\Music\\C.mp3"});
    state.PlaylistDirectory = "C:\\Lists";
    dialog.script = {{{Act::Skip}}};

    runJob("Create", "C:\\Lists\\mix.m3u");

    EXPECT_EQ(
        window.report,
        reportOf("C:\\Lists\\mix.m3u",
                 {"Renamed C:\\Music\\001 A.mp3", "Error - File not found - C:\\Music\\B.mp3",
                  "Renamed C:\\Music\\002 C.mp3", "", "<<<  Processing completed with 1 ERRORS DETECTED  >>>",
                  "", "2 out of a possible 3 files successfully added to new playlist: ",
                  "C:\\Lists\\mix.kvr", "", kNote}));
    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 C.mp3\r\n");
    EXPECT_EQ(read("Music/001 A.mp3"), "a");
    EXPECT_EQ(read("Music/002 C.mp3"), "c");
    ASSERT_EQ(dialog.showings.size(), 1U);
    EXPECT_EQ(dialog.showings[0].caption, "File not found - C:\\Music\\B.mp3");

    // The done state, and the order of Create's closing steps: bar and status
    // before the summary.
    EXPECT_FALSE(window.nextVisible || window.backVisible || window.progressVisible);
    EXPECT_TRUE(window.nextEnabled && window.backEnabled && window.doneVisible);
    EXPECT_EQ(window.statusText, "Operation complete");
    EXPECT_EQ(window.explanation, "");
    const std::vector<std::string> closing(window.events.end() - 6, window.events.end());
    EXPECT_EQ(closing, (std::vector<std::string>{"hide-bar", "status:Operation complete", "refresh", "append",
                                                 "append", "refresh"}));
}

TEST_F(CreateJobTest, EmptyAndAllMissingPlaylistsEndWithTheRemedy)
{
    writePlaylist("Lists/empty.m3u", {});
    runJob("Create", "C:\\Lists\\empty.m3u");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\empty.m3u",
                       {"", "0 out of a possible 0 files encountered errors during processing.", kRemedy}));
    EXPECT_TRUE(exists("Lists/empty.kvr"));
    EXPECT_EQ(read("Lists/empty.kvr"), "");

    // Ignore Errors at the first dialog: no further dialog, flag false again.
    writePlaylist("Lists/gone.m3u", {"C:\\Music\\X.mp3", "#EXTM3U", "Y.mp3"});
    dialog.script = {{{Act::Ignore}}};
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

TEST_F(CreateJobTest, PlaylistDirectoryIsJoinedWithoutBackslash)
{
    write("Lists/Song.mp3", "s");
    write("ListsTrack.mp3", "t");
    writePlaylist("Lists/mix.m3u", {"Song.mp3", "Track.mp3"});

    // "C:\Lists" + "Song.mp3" names nothing: the entry goes to the dialog as it
    // was; "C:\Lists" + "Track.mp3" names the file at C:\ListsTrack.mp3.
    state.PlaylistDirectory = "C:\\Lists";
    dialog.script = {{{Act::Skip}}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    ASSERT_EQ(dialog.showings.size(), 1U);
    EXPECT_EQ(dialog.showings[0].caption, "File not found - Song.mp3");
    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\001 ListsTrack.mp3\r\n");

    state.PlaylistDirectory = "C:\\Lists\\";
    writePlaylist("Lists/two.m3u", {"Song.mp3"});
    runJob("Create", "C:\\Lists\\two.m3u");
    EXPECT_EQ(read("Lists/two.kvr"), "C:\\Lists\\001 Song.mp3\r\n");
    EXPECT_EQ(dialog.showings.size(), 1U);
}

TEST_F(CreateJobTest, EntriesAreTakenLiterally)
{
    write("Here/Song.mp3", "relative");
    write("Music/001 Old.mp3", "old");
    write("Music/.hidden.mp3", "hidden");
    writePlaylist("Lists/mix.m3u",
                  {"Song.mp3", "C:\\Music\\001 Old.mp3", "C:\\Music\\.hidden.mp3", "C:\\Music\\001 Old.mp3"});
    dialog.script = {{{Act::Skip}}};

    runJob("Create", "C:\\Lists\\mix.m3u");

    // Relative to the current directory; a second prefix on a numbered name; a
    // hidden file passes the existence test (no dialog) but not the match; a
    // repeated entry is gone after its first rename.
    EXPECT_EQ(read("Here/001 Song.mp3"), "relative");
    EXPECT_EQ(read("Music/002 001 Old.mp3"), "old");
    EXPECT_EQ(read("Music/.hidden.mp3"), "hidden");
    EXPECT_EQ(read("Lists/mix.kvr"), "001 Song.mp3\r\nC:\\Music\\002 001 Old.mp3\r\n");
    EXPECT_NE(window.report.find("\r\nError - File not found - C:\\Music\\.hidden.mp3\r\n"),
              std::string::npos);
    EXPECT_EQ(dialog.showings.size(), 1U);
    EXPECT_EQ(dialog.showings[0].caption, "File not found - C:\\Music\\001 Old.mp3");
}

TEST_F(CreateJobTest, DirectoryForAllCarriesOverToLaterEntries)
{
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    writePlaylist("Lists/mix.m3u", {"A.mp3", "B.mp3", "Z.mp3"});
    dialog.script = {{{Act::Type, "C:\\Music\\"}, {Act::Tick}, {Act::Ok}}, {{Act::Skip}}};

    runJob("Create", "C:\\Lists\\mix.m3u");

    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 B.mp3\r\n");
    // The missing Z.mp3 reaches the dialog already prefixed, and the dialog
    // opens in its design state with the carried directory in Text1.
    ASSERT_EQ(dialog.showings.size(), 2U);
    EXPECT_EQ(dialog.showings[1].caption, "File not found - C:\\Music\\Z.mp3");
    EXPECT_EQ(dialog.showings[1].text1, "C:\\Music\\");
    EXPECT_TRUE(dialog.showings[1].okEnabled);
    EXPECT_EQ(state.UseDirectoryForAll, kTrue16);
    EXPECT_EQ(state.MissingFileDirectory, "");

    // The flag outlives the job: the next job prefixes the empty directory and
    // so skips the playlist-directory join.
    write("Lists/C.mp3", "c");
    writePlaylist("Lists/next.m3u", {"C.mp3"});
    state.PlaylistDirectory = "C:\\Lists\\";
    dialog.script.push_back({{Act::Skip}});
    runJob("Create", "C:\\Lists\\next.m3u");
    EXPECT_EQ(dialog.showings.size(), 3U);
    EXPECT_EQ(dialog.showings[2].caption, "File not found - C.mp3");
}

TEST_F(CreateJobTest, ProgressBarFollowsTheFirstHundredEntries)
{
    std::vector<std::string> entries(150, "C:\\Music\\none.mp3");
    writePlaylist("Lists/long.m3u", entries);
    dialog.script = {{{Act::Ignore}}};
    runJob("Create", "C:\\Lists\\long.m3u");
    std::vector<int> expected{0};
    for (int value = 1; value <= 100; ++value) {
        expected.push_back(value);
    }
    EXPECT_EQ(window.progressValues, expected);
}

} // namespace
} // namespace kavora::test
