#include "EngineFixture.h"

namespace kavora::test {
namespace {

using RemoveJobTest = EngineTest;

TEST_F(RemoveJobTest, RenamesBackAndReportsToTheByte)
{
    write("Music/001 A.mp3", "a");
    write("Music/002 C.mp3", "c");
    writePlaylist("Lists/mix.kvr", {"C:\\Music\\001 A.mp3", "C:\\Music\\002 C.mp3"});
    state.IgnoreErrors = true;

    runJob("Remove", "C:\\Lists\\mix.kvr");

    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {"Renamed C:\\Music\\A.mp3", "Renamed C:\\Music\\C.mp3", "",
                        "2 out of a possible 2 files successfully renamed to original file names."}));
    EXPECT_EQ(read("Music/A.mp3"), "a");
    EXPECT_EQ(read("Music/C.mp3"), "c");
    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 C.mp3\r\n");
    EXPECT_TRUE(state.IgnoreErrors) << "Remove leaves the flag as it was";
    EXPECT_TRUE(dialog.showings.empty());
    // Remove writes its summary before it hides the bar and sets the status.
    const std::vector<std::string> closing(window.events.end() - 5, window.events.end());
    EXPECT_EQ(closing, (std::vector<std::string>{"append", "hide-bar", "status:Operation complete", "refresh",
                                                 "refresh"}));
    EXPECT_TRUE(window.doneVisible && !window.nextVisible && !window.progressVisible);
}

TEST_F(RemoveJobTest, CutsFourCharactersWhateverTheyAreButNeverTwice)
{
    write("Music/Track01.mp3", "t");
    write("Here/001 Song.mp3", "s");
    writePlaylist("Lists/mix.kvr", {"C:\\Music\\Track01.mp3", "001 Song.mp3"});

    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(read("Music/k01.mp3"), "t");
    EXPECT_EQ(read("Here/Song.mp3"), "s");

    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(
        window.report,
        reportOf("C:\\Lists\\mix.kvr",
                 {"Error - File not found - C:\\Music\\Track01.mp3", "Error - File not found - 001 Song.mp3",
                  "", "<<<  Processing completed with 2 ERRORS DETECTED  >>>", "",
                  "0 out of a possible 2 files successfully renamed to original file names."}));
    EXPECT_TRUE(exists("Music/k01.mp3") && exists("Here/Song.mp3"));
}

TEST_F(RemoveJobTest, ProgressBarStepsFromItsValueAndStopsAtHundred)
{
    writePlaylist("Lists/long.kvr", std::vector<std::string>(120, "C:\\Music\\none.mp3"));
    runJob("Remove", "C:\\Lists\\long.kvr");
    ASSERT_EQ(window.progressValues.size(), 101U);
    EXPECT_EQ(window.progressValues.front(), 0);
    EXPECT_EQ(window.progressValues.back(), 100);
    EXPECT_NE(window.report.find("120 ERRORS DETECTED"), std::string::npos);
}

} // namespace
} // namespace kavora::test
