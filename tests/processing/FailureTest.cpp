#include "EngineFixture.h"

namespace kavora::test {
namespace {

using FailureTest = EngineTest;

const std::string kNothingRenamed = "0 out of a possible 0 files encountered errors during processing.\r\n";

TEST_F(FailureTest, PlaylistThatCannotBeOpenedTouchesNothing)
{
    for (const std::string mode : {"Create", "Remove"}) {
        runJob(mode, "C:\\Lists\\gone.m3u");
        EXPECT_TRUE(
            window.report.starts_with("\r\nProcessing input file... C:\\Lists\\gone.m3u\r\n\r\nError - "
                                      "Input playlist cannot be opened; no file was touched ("))
            << window.report;
        EXPECT_TRUE(window.trace.ends_with(kDoneTrace) &&
                    window.trace.find("Bar.Visible=0") != std::string::npos);
    }
    EXPECT_TRUE(reported("0 out of a possible 0 files successfully renamed"));
    EXPECT_FALSE(exists("Lists/gone.kvr"));
}

TEST_F(FailureTest, NewPlaylistThatCannotBeCreatedOrWouldReplaceTheInputRenamesNothing)
{
    write("Music/A.mp3", "a");
    fs::create_directories(host("Lists/dir.kvr"));
    // The new path of "MIX.KVR" is "MIX.kvr": another text, the same file.
    const std::string refused =
        "\r\nError - New playlist would replace the input playlist; no file was touched - ";
    for (const auto& [playlist, reportLine] : std::vector<std::pair<std::string, std::string>>{
             {"dir.m3u", "\r\nError - New playlist cannot be created; no file was renamed ("},
             {"mix.kvr", refused + "C:\\Lists\\mix.kvr\r\n"},
             {"MIX.KVR", refused + "C:\\Lists\\MIX.KVR\r\n"}}) {
        write("Lists/" + playlist, lines({"C:\\Music\\A.mp3"}));
        const auto before = snapshot();
        runJob("Create", "C:\\Lists\\" + playlist);
        EXPECT_EQ(snapshot(), before) << playlist;
        EXPECT_TRUE(reported(reportLine) && window.report.ends_with(kNothingRenamed + kRemedy + "\r\n"))
            << playlist;
        fs::remove(host("Lists/" + playlist));
    }
}

TEST_F(FailureTest, FailedRenameIsReportedAndUsesNoNumber)
{
    // A target that exists and, unless root ignores permissions, a read-only directory.
    write("Music/A.mp3", "new a");
    write("Music/001 A.mp3", "older a");
    write("Music/B.mp3", "b");
    std::vector<std::string> entries{"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"};
    const bool readOnlyHolds = geteuid() != 0;
    if (readOnlyHolds) {
        write("Locked/L.mp3", "l");
        fs::permissions(host("Locked"), fs::perms::owner_read | fs::perms::owner_exec);
        entries.insert(entries.begin() + 1, "C:\\Locked\\L.mp3");
    }
    write("Lists/mix.m3u", lines(entries));
    runJob("Create", "C:\\Lists\\mix.m3u");

    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 B.mp3"}));
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/001 B.mp3"), "older anew ab");
    EXPECT_TRUE(reported("\r\nError - File cannot be renamed to 001 A.mp3 ("));
    EXPECT_TRUE(reported(") - C:\\Music\\A.mp3\r\n"));
    EXPECT_TRUE(reported(std::to_string(entries.size() - 1) +
                         " ERRORS DETECTED  >>>\r\n\r\n1 out of a possible " +
                         std::to_string(entries.size()) + " files successfully added"));
    EXPECT_TRUE(!readOnlyHolds || (read("Locked/L.mp3") == "l" && reported(") - C:\\Locked\\L.mp3\r\n")));

    // Remove onto an existing shorter name keeps both files.
    write("Lists/back.kvr", lines({"C:\\Music\\001 A.mp3", "C:\\Music\\001 B.mp3"}));
    runJob("Remove", "C:\\Lists\\back.kvr");
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/B.mp3"), "older anew ab");
    EXPECT_TRUE(reported("\r\nError - File cannot be renamed to A.mp3 ("));
    EXPECT_TRUE(reported("\r\n\r\n<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of"));
}

TEST_F(FailureTest, PlaylistLineThatCannotBeWrittenUndoesTheRenameAndStops)
{
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"}));
    fs::create_symlink("/dev/full", host("Lists/mix.kvr")); // every write fails with "no space"
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Music/A.mp3") + read("Music/B.mp3"), "ab");
    EXPECT_TRUE(reported("\r\nError - New playlist cannot be written; rename undone and job stopped ("));
    EXPECT_TRUE(window.report.ends_with("\r\n\r\n<<<  Processing completed with 1 ERRORS "
                                        "DETECTED  >>>\r\n\r\n1 out of a possible 1 files encountered errors "
                                        "during processing.\r\n" +
                                        kRemedy + "\r\n"));
}

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
    write("Lists/big.m3u", lines(entries));
    runJob("Create", "C:\\Lists\\big.m3u");
    EXPECT_EQ(read("Lists/big.kvr"), lines(listed));
    EXPECT_EQ(read("Music/f999.mp3") + read("Music/f1000.mp3"), "f999.mp3f1000.mp3");
    EXPECT_TRUE(reported("\r\nError - More than 999 files; file left unnumbered - C:\\Music\\f1000.mp3"));
    EXPECT_TRUE(reported("2 ERRORS DETECTED  >>>\r\n\r\n999 out of a possible 1001 files"));
}

TEST_F(FailureTest, ShortNamesAndEmptyLinesAreNeverRenamed)
{
    write("Music/abcd", "4");
    write("Music/ab", "2");
    write("Here/Song.mp3", "cwd");
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

    // In Create an empty line meets the playlist directory and the dialog.
    state.PlaylistDirectory = "C:\\Music\\";
    write("Lists/mix.m3u", lines({""}));
    dialog.script = {{"ignore"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), "");
    EXPECT_TRUE(reported("\r\n\r\nError - File not found - \r\n"));
    EXPECT_EQ(read("Music/abcd") + read("Music/ab") + read("Here/Song.mp3"), "42cwd");
}

} // namespace
} // namespace kavora::test
