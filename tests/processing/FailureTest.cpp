#include "EngineFixture.h"

#include <filesystem>
#include <unistd.h>

namespace kavora::test {
namespace {

namespace fs = std::filesystem;

using FailureTest = EngineTest;

std::string::difference_type countOf(const std::string& text, const std::string& piece)
{
    std::string::difference_type count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(FailureTest, PlaylistThatCannotBeOpenedTouchesNothing)
{
    for (const std::string mode : {"Create", "Remove"}) {
        runJob(mode, "C:\\Lists\\gone.m3u");
        EXPECT_EQ(window.report.rfind("\r\nProcessing input file... C:\\Lists\\gone.m3u\r\n\r\nError - Input "
                                      "playlist cannot be opened; no file was touched (",
                                      0),
                  0U)
            << window.report;
        EXPECT_TRUE(window.doneVisible && !window.progressVisible);
        EXPECT_EQ(window.statusText, "Operation complete");
    }
    EXPECT_NE(window.report.find("0 out of a possible 0 files successfully renamed"), std::string::npos);
    EXPECT_FALSE(exists("Lists/gone.kvr"));
}

TEST_F(FailureTest, NewPlaylistThatWouldReplaceTheInputIsRefused)
{
    write("Music/A.mp3", "a");
    // The new path of "MIX.KVR" is "MIX.kvr": another text, the same file.
    for (const std::string name : {"mix.kvr", "MIX.KVR"}) {
        writePlaylist("Lists/" + name, {"C:\\Music\\A.mp3"});
        const auto before = snapshot();
        runJob("Create", "C:\\Lists\\" + name);
        EXPECT_EQ(snapshot(), before) << name;
        EXPECT_NE(window.report.find("\r\nError - New playlist would replace the input playlist; no file was "
                                     "touched - C:\\Lists\\" +
                                     name + "\r\n"),
                  std::string::npos);
        fs::remove(host("Lists/" + name));
    }
}

TEST_F(FailureTest, NewPlaylistThatCannotBeCreatedRenamesNothing)
{
    write("Music/A.mp3", "a");
    writePlaylist("Lists/mix.m3u", {"C:\\Music\\A.mp3"});
    fs::create_directory(host("Lists/mix.kvr"));
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_TRUE(exists("Music/A.mp3"));
    EXPECT_NE(window.report.find("Error - New playlist cannot be created; no file was renamed ("),
              std::string::npos);
    EXPECT_TRUE(window.report.ends_with(
        "0 out of a possible 0 files encountered errors during processing.\r\n" + kRemedy + "\r\n"));
}

TEST_F(FailureTest, FailedRenameIsReportedAndUsesNoNumber)
{
    write("Music/A.mp3", "new a");
    write("Music/001 A.mp3", "older file");
    write("Music/B.mp3", "b");
    write("Music/002 B.mp3", "older b");
    writePlaylist("Lists/mix.m3u", {"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"});
    runJob("Create", "C:\\Lists\\mix.m3u");

    EXPECT_EQ(read("Music/001 A.mp3"), "older file");
    EXPECT_EQ(read("Music/A.mp3"), "new a");
    EXPECT_EQ(read("Music/001 B.mp3"), "b");
    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\Music\\001 B.mp3\r\n");
    EXPECT_NE(window.report.find("\r\nError - File cannot be renamed to 001 A.mp3 ("), std::string::npos);
    EXPECT_NE(window.report.find(") - C:\\Music\\A.mp3\r\n"), std::string::npos);
    EXPECT_NE(window.report.find("1 ERRORS DETECTED"), std::string::npos);
    EXPECT_NE(window.report.find("1 out of a possible 2 files successfully added"), std::string::npos);

    // Remove onto an existing shorter name keeps both files.
    writePlaylist("Lists/back.kvr", {"C:\\Music\\001 A.mp3", "C:\\Music\\001 B.mp3"});
    runJob("Remove", "C:\\Lists\\back.kvr");
    EXPECT_EQ(read("Music/001 A.mp3"), "older file");
    EXPECT_EQ(read("Music/A.mp3"), "new a");
    EXPECT_EQ(read("Music/B.mp3"), "b");
    EXPECT_EQ(countOf(window.report, "\r\nError - "), 1);
    EXPECT_NE(window.report.find("1 ERRORS DETECTED"), std::string::npos);
}

TEST_F(FailureTest, RenameInReadOnlyDirectoryIsReported)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "root renames in read-only directories";
    }
    write("Locked/A.mp3", "a");
    write("Music/B.mp3", "b");
    fs::permissions(host("Locked"), fs::perms::owner_read | fs::perms::owner_exec);
    writePlaylist("Lists/mix.m3u", {"C:\\Locked\\A.mp3", "C:\\Music\\B.mp3"});
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Locked/A.mp3"), "a");
    EXPECT_EQ(read("Lists/mix.kvr"), "C:\\Music\\001 B.mp3\r\n");
    EXPECT_NE(window.report.find("Error - File cannot be renamed to 001 A.mp3 ("), std::string::npos);
}

TEST_F(FailureTest, PlaylistLineThatCannotBeWrittenUndoesTheRenameAndStops)
{
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "needs /dev/full to fill the disk";
    }
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    writePlaylist("Lists/mix.m3u", {"C:\\Music\\A.mp3", "C:\\Music\\B.mp3"});
    fs::create_symlink("/dev/full", host("Lists/mix.kvr"));
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_TRUE(exists("Music/A.mp3") && exists("Music/B.mp3"));
    EXPECT_FALSE(exists("Music/001 A.mp3"));
    EXPECT_NE(
        window.report.find("\r\nError - New playlist cannot be written; rename undone and job stopped ("),
        std::string::npos);
    EXPECT_TRUE(window.report.ends_with(
        "\r\n\r\n<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of a possible 1 files "
        "encountered errors during processing.\r\n" +
        kRemedy + "\r\n"));
    EXPECT_TRUE(window.doneVisible);
}

TEST_F(FailureTest, ThousandthFileIsLeftUnnumbered)
{
    std::vector<std::string> entries;
    for (int index = 0; index < 1001; ++index) {
        const std::string name = "f" + std::to_string(index) + ".mp3";
        write("Music/" + name, name);
        entries.push_back("C:\\Music\\" + name);
    }
    writePlaylist("Lists/big.m3u", entries);
    runJob("Create", "C:\\Lists\\big.m3u");
    EXPECT_EQ(read("Music/999 f998.mp3"), "f998.mp3");
    EXPECT_EQ(read("Music/f999.mp3"), "f999.mp3");
    EXPECT_EQ(read("Music/f1000.mp3"), "f1000.mp3");
    EXPECT_EQ(countOf(read("Lists/big.kvr"), "\r\n"), 999);
    EXPECT_NE(
        window.report.find("\r\nError - More than 999 files; file left unnumbered - C:\\Music\\f1000.mp3"),
        std::string::npos);
    EXPECT_NE(window.report.find("2 ERRORS DETECTED  >>>\r\n\r\n999 out of a possible 1001 files"),
              std::string::npos);
}

TEST_F(FailureTest, ShortNamesAndEmptyLinesAreNeverRenamed)
{
    write("Music/abcd", "4");
    write("Music/ab", "2");
    write("Here/Song.mp3", "cwd");
    writePlaylist("Lists/mix.kvr", {"C:\\Music\\abcd", "", "C:\\Music\\ab", "C:\\Music\\"});
    const auto before = snapshot();
    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {"Error - File name too short to carry a number; file left as it is - C:\\Music\\abcd",
                        "Error - File not found - ",
                        "Error - File name too short to carry a number; file left as it is - C:\\Music\\ab",
                        "Error - File not found - C:\\Music\\", "",
                        "<<<  Processing completed with 4 ERRORS DETECTED  >>>", "",
                        "0 out of a possible 4 files successfully renamed to original file names."}));

    // In Create an empty line meets the playlist directory and the dialog.
    state.PlaylistDirectory = "C:\\Music\\";
    writePlaylist("Lists/mix.m3u", {""});
    dialog.script = {{{Act::Ignore}}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), "");
    EXPECT_NE(window.report.find("\r\n\r\nError - File not found - \r\n"), std::string::npos);
    EXPECT_TRUE(exists("Music/abcd") && exists("Music/ab") && exists("Here/Song.mp3"));
}

} // namespace
} // namespace kavora::test
