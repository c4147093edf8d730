// The jobs' reports, the missing-file dialog and the failures of the file
// operations, on real files.
#include "EngineFixture.h"

#include <numeric>
#include <sys/stat.h>

namespace kavora::test {
namespace {

// The last window operations of every job: the done state.
const std::string kDoneTrace =
    "BtnOK.Enabled=1 BtnOK.Visible=0 BtnCancel.Enabled=1 BtnCancel.Visible=0 BtnDone.Visible=1 refresh ";

using JobTest = EngineTest;
using FailureTest = EngineTest;

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
    // Create hides the bar and sets the status before its summary, Remove after.
    EXPECT_EQ(window.trace, running + "append " + closing + "append append " + kDoneTrace);

    window.trace.clear();
    runJob("Remove", "C:\\Lists\\mix.kvr");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\mix.kvr",
                       {"Renamed C:\\Music\\A.mp3", "Renamed C:\\Music\\C.mp3", "",
                        "2 out of a possible 2 files successfully renamed to original file names."}));
    EXPECT_EQ(window.trace, running + "append " + closing + kDoneTrace);

    // The new playlist lists no numbered file now: the next Create replaces it.
    fs::remove(host("Music/C.mp3"));
    user.script.push_back({"ignore"});
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3"}));
}

// Relative entries lie beside the playlist, never in the current directory;
// "\" starts at the playlist drive's root; both separators split alike. The
// new playlist keeps each entry's form, with the name as it is on disk
// whatever case and encoding the playlist spells it in. Remove gives back
// every name and byte, and a second Remove shortens nothing twice. A file
// that is no music by its name is left as it is, unasked.
TEST_F(JobTest, EntriesAreFoundWherePlayersMeanThemAndComeBackByteForByte)
{
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0'); // every byte value, CR and LF among them
    for (const std::string file :
         {"Here/Song.mp3", "Lists/Song.mp3", "Lists/Sub/Deep.mp3", "Other/Up.mp3", "Root.mp3",
          "Music/Forward.mp3", "Music/Host.mp3", "Music/Case.mp3", "Music/001 Old.mp3", "Music/Dot.mp3",
          "Music/Caf\xC3\xA9 \xC2\xAB\x31\xC2\xBB.mp3", "Music/Legacy \xE9t\xE9.mp3", "Music/#1.mp3",
          "Music/two  spaces .ogg", "Music/x"})
        write(file, file + bytes);
    write("Lists/mix.m3u",
          lines({"Song.mp3", "Sub/Deep.mp3", "..\\Other\\Up.mp3", "\\Root.mp3", "C:/Music/Forward.mp3",
                 host("Music/Host.mp3").string(), "c:\\MUSIC\\case.MP3", "C:\\Music\\001 Old.mp3",
                 "C:\\Music\\foo/../Dot.mp3", "C:\\Music\\Caf\xE9 \xAB\x31\xBB.mp3",
                 "c:/music/LEGACY \xE9T\xE9.MP3", "C:\\Music\\#1.mp3", "C:\\Music\\two  spaces .ogg",
                 "C:\\Music\\missing.mp3", "C:\\Music\\x"}));
    state.PlaylistDirectory = "C:\\Here"; // where the selection window happened to stand
    user.script = {{"skip"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(
        read("Lists/mix.kvr"),
        lines({"001 Song.mp3", "Sub/002 Deep.mp3", "..\\Other\\003 Up.mp3", "\\004 Root.mp3",
               "C:/Music/005 Forward.mp3", host("Music/006 Host.mp3").string(), "c:\\MUSIC\\007 Case.mp3",
               "C:\\Music\\008 001 Old.mp3", "C:\\Music\\foo/../009 Dot.mp3",
               "C:\\Music\\010 Caf\xC3\xA9 \xC2\xAB\x31\xC2\xBB.mp3", "c:/music/011 Legacy \xE9t\xE9.mp3",
               "C:\\Music\\012 #1.mp3", "C:\\Music\\013 two  spaces .ogg"}));
    EXPECT_TRUE(fs::exists(host("Lists/001 Song.mp3")) && fs::exists(host("Music/007 Case.mp3")) &&
                fs::exists(host("Music/011 Legacy \xE9t\xE9.mp3")));
    for (const char* line :
         {"Renamed C:\\Lists\\001 Song.mp3", "Renamed C:\\004 Root.mp3", "Renamed c:\\MUSIC\\007 Case.mp3",
          "Error - Not a music file; file left as it is - C:\\Music\\x"})
        EXPECT_TRUE(reported("\r\n" + std::string(line) + "\r\n"));
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\missing.mp3 []"});
    expectRemoveRestores(before, "Lists/mix.kvr");
    expectRemoveRestores(before, "Lists/mix.kvr"); // finds no numbered name
}

// A full path's folder is replaced by the directory given (the music moved);
// a relative entry goes below it; "use for all" serves later entries unasked
// and outlives the job, the directory does not. A directory typed without its
// closing backslash is joined with one. After Skip File a later entry's
// directory is still taken.
TEST_F(JobTest, DirectoryGivenForMissingFilesTakesTheirPlace)
{
    write({{"Music/A.mp3", "a"}, {"Backup/B.mp3", "b"}, {"Backup/C.mp3", "c"}, {"Backup/Sub/R.mp3", "r"}});
    write({{"Other/S.mp3", "s"},
           {"Other/T.mp3", "t"},
           {"Lists/next.m3u", lines({"Q:\\Gone\\S.mp3", "T.mp3"})}});
    write("Lists/mix.m3u", lines({"Q:\\Old\\Z.mp3", "C:\\Music\\A.mp3", "Q:\\Old\\B.mp3", "Q:\\Old\\C.mp3",
                                  "Sub\\R.mp3", "Y.mp3"}));
    user.script = {{"skip"},
                   {"type C:\\Backup", "tick", "ok"},
                   {"skip"},
                   {"type C:\\Other", "tick", "untick", "ok"},
                   {"skip"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3", "C:\\Backup\\002 B.mp3",
                                            "C:\\Backup\\003 C.mp3", "C:\\Backup\\Sub\\004 R.mp3"}));
    EXPECT_EQ(state.MissingFileDirectory, "");
    EXPECT_EQ(state.UseDirectoryForAll, kTrue16);
    // Y.mp3 is not in C:\Backup: asked with the directory in front of it; the
    // next job's first dialog opens empty, and its answer is taken. Unticked
    // again, the directory serves no later entry.
    runJob("Create", "C:\\Lists\\next.m3u");
    EXPECT_EQ(read("Lists/next.kvr"), lines({"C:\\Other\\001 S.mp3"}));
    EXPECT_EQ(user.log, (std::vector<std::string>{
                            "File not found - Q:\\Old\\Z.mp3 []", "File not found - Q:\\Old\\B.mp3 []",
                            "File not found - C:\\Backup\\Y.mp3 [C:\\Backup] OK",
                            "File not found - Q:\\Gone\\S.mp3 []", "File not found - T.mp3 []"}));
}

// A text naming nothing: OK does nothing. A file: the attribute message. A
// directory without the file: a retry pass that starts with it; closing the
// frame retries too. The answer is checked against the disk as it is: a
// folder made while the dialog is open, after it was looked for, is found in
// any letter case, a relative one in the playlist's folder.
TEST_F(JobTest, MissingFilePassesRepeatUntilTheDirectoryHoldsTheFile)
{
    write({{"Music/file.txt", "f"}, {"Other/x", "x"}, {"Lists/mix.m3u", lines({"song.mp3"})}});
    user.whileOpen = [&] { write("Lists/New/song.mp3", "s"); };
    user.script = {{"type C:\\Nowhere\\", "ok", "type C:\\Music\\file.txt", "ok", "type C:\\Other", "ok"},
                   {},
                   {"type new", "ok", "meanwhile", "ok"}};
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"new\\001 song.mp3"}));
    // Message boxes as title|icon|prompt; icon 1 is Information, 0 none.
    const std::string notFound = "KVR|0|C:\\Other\\song.mp3 not found",
                      retry = "File not found - song.mp3 [C:\\Other] OK";
    EXPECT_EQ(user.log, (std::vector<std::string>{
                            "File not found - song.mp3 []",
                            "Invalid Directory Name|1|Directory name error... C:\\Music\\file.txt "
                            "32\r\nPlease specify only the directory path of the file.",
                            notFound, retry, notFound, retry}));
}

// Nothing is touched when the input cannot be read or the new playlist cannot
// be made: a playlist that Create wrote is never replaced, nothing is opened
// through a link, and a device or a pipe is refused at once.
TEST_F(FailureTest, PlaylistsThatCannotBeReadOrWrittenTouchNothing)
{
    // An earlier new playlist stays while a file it lists is numbered, or may be.
    write({{"Music/A.mp3", "a"}, {"Music/001 Old.mp3", "o"}, {"Lists/target.txt", "t"}});
    write({{"Lists/old.kvr", lines({"C:\\Music\\002 Gone.mp3", "C:\\Music\\001 Old.mp3"})},
           {"Lists/away.kvr", lines({"Q:\\Stick\\001 A.mp3"})}});
    for (const std::string input : {"dir.m3u", "link.m3u", "pipe.m3u", "old.m3u", "away.m3u", "mix.kvr"})
        write("Lists/" + input, lines({"C:\\Music\\A.mp3"}));
    fs::create_directories(host("Lists/dir.kvr"));
    fs::create_symlink(host("Lists/target.txt"), host("Lists/link.kvr"));
    ASSERT_EQ(::mkfifo(host("Lists/pipe.kvr").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(host("Lists/fifo.m3u").c_str(), 0644), 0);
    // The new path of "MIX.KVR" is "MIX.kvr": another text, the same file.
    const std::string intoInput =
        "Error - New playlist would replace the input playlist; no file was touched - ";
    const std::string notCreated = "Error - New playlist cannot be created; no file was renamed (";
    const std::string notOpened = "Error - Input playlist cannot be opened; no file was touched (";
    const std::string device = notOpened + "not a regular file but a device, pipe or socket) - ";
    const auto before = snapshot();
    const auto started = std::chrono::steady_clock::now();
    for (const auto& [mode, playlist, reportLine] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"Remove", "C:\\Lists\\gone.kvr", notOpened + "file not found) - C:\\Lists\\gone.kvr\r\n"},
             {"Remove", "Z:\\dev\\zero", device},
             {"Create", "C:\\Lists\\fifo.m3u", device},
             {"Create", "C:\\Lists", notOpened + "is a folder) - C:\\Lists\r\n"},
             {"Create", "C:\\Lists\\dir.m3u", notCreated + "is a folder) - C:\\Lists\\dir.kvr\r\n"},
             {"Create", "C:\\Lists\\link.m3u", notCreated + "is a symbolic link) - C:\\Lists\\link.kvr\r\n"},
             {"Create", "C:\\Lists\\pipe.m3u", notCreated + "not a regular file) - C:\\Lists\\pipe.kvr\r\n"},
             {"Create", "C:\\Lists\\old.m3u",
              "Error - New playlist still lists the numbered file C:\\Music\\001 Old.mp3; run Remove with "
              "it first, or move it away - C:\\Lists\\old.kvr\r\n"},
             {"Create", "C:\\Lists\\away.m3u",
              "Error - New playlist lists Q:\\Stick\\001 A.mp3, whose folder cannot be looked at now; run "
              "Remove with it first, or move it away - C:\\Lists\\away.kvr\r\n"},
             {"Create", "C:\\Lists\\mix.kvr", intoInput + "C:\\Lists\\mix.kvr\r\n"},
             {"Create", "C:\\Lists\\MIX.KVR", intoInput + "C:\\Lists\\MIX.KVR\r\n"}}) {
        EXPECT_FALSE(runJob(mode, playlist).ran) << playlist;
        EXPECT_EQ(snapshot(), before) << playlist;
        EXPECT_TRUE(reported("\r\n\r\n" + reportLine));
        EXPECT_TRUE(reported("0 out of a possible 0 files"));
        EXPECT_TRUE(window.trace.ends_with(kDoneTrace)) << playlist;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    // An empty one, left by a run that renamed nothing, is replaced.
    write({{"Lists/empty.kvr", ""}, {"Lists/empty.m3u", lines({"C:\\Music\\A.mp3"})}});
    EXPECT_TRUE(runJob("Create", "C:\\Lists\\empty.m3u").ran);
    EXPECT_EQ(read("Lists/empty.kvr"), lines({"C:\\Music\\001 A.mp3"}));
}

// A failed rename uses no number, and its line, written ahead, is taken back
// with its title. Remove onto an existing shorter name keeps both files.
TEST_F(FailureTest, FailedRenameIsReportedAndUsesNoNumber)
{
    // The title of the file left as it is goes with its line, in both kinds of input.
    const std::pair<std::string, std::string> inputs[] = {
        {"mix.m3u", "#EXTM3U\r\n#EXTINF:1,A\r\nC:\\Music\\A.mp3\r\n#EXTINF:2,B\r\nC:\\Music\\B.mp3\r\n"},
        {"mix.xspf",
         "<playlist><trackList><track><location>C:\\Music\\A.mp3</location><title>A</title></track>"
         "<track><location>C:\\Music\\B.mp3</location><title>B</title></track></trackList></playlist>"}};
    for (const auto& [name, text] : inputs) {
        SCOPED_TRACE(name);
        fs::remove(host("Lists/mix.kvr"));
        write({{"Music/A.mp3", "new a"}, {"Music/001 A.mp3", "older a"}, {"Music/B.mp3", "b"}});
        fs::remove(host("Music/001 B.mp3"));
        write("Lists/" + name, text);
        window.report.clear();
        runJob("Create", "C:\\Lists\\" + name);
        EXPECT_EQ(read("Lists/mix.kvr"), name == "mix.m3u"
                                             ? "#EXTM3U\r\n#EXTINF:2,B\r\nC:\\Music\\001 B.mp3\r\n"
                                             : "#EXTM3U\r\n#EXTINF:-1,B\r\nC:\\Music\\001 B.mp3\r\n");
        EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/001 B.mp3"), "older anew ab");
        EXPECT_TRUE(reported(
            "\r\nError - File cannot be renamed to 001 A.mp3 (target exists) - C:\\Music\\A.mp3\r\n"));
        EXPECT_TRUE(reported("1 ERRORS DETECTED  >>>\r\n\r\n1 out of a possible 2 files successfully added"));
    }

    write("Lists/back.kvr", lines({"C:\\Music\\001 A.mp3"}));
    runJob("Remove", "C:\\Lists\\back.kvr");
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/A.mp3") + read("Music/001 B.mp3"), "older anew ab");
    EXPECT_TRUE(
        reported("\r\nError - File cannot be renamed to A.mp3 (target exists) - C:\\Music\\001 A.mp3\r\n"));
    EXPECT_TRUE(reported("\r\n\r\n<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n0 out of"));
}

// The new playlist runs full: the file whose line cannot be written is not
// renamed, the job stops, and no line is left half-written.
TEST_F(FailureTest, NewPlaylistThatCannotBeWrittenStopsBeforeTheRename)
{
    write({{"Music/A.mp3", "a"}, {"Music/B.mp3", "b"}, {"Music/C.mp3", "c"}});
    write("Lists/mix.m3u", lines({"C:\\Music\\A.mp3", "C:\\Music\\B.mp3", "C:\\Music\\C.mp3"}));
    // Room for the first line and half the second.
    withFileSizeLimit(30, [&] { return runJob("Create", "C:\\Lists\\mix.m3u"); });
    EXPECT_EQ(read("Lists/mix.kvr"), lines({"C:\\Music\\001 A.mp3"}));
    EXPECT_EQ(read("Music/001 A.mp3") + read("Music/B.mp3") + read("Music/C.mp3"), "abc");
    EXPECT_TRUE(reported("\r\nError - New playlist cannot be written; file left as it is and job stopped ("));
    EXPECT_TRUE(
        window.report.ends_with("<<<  Processing completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of a "
                                "possible 2 files successfully added to new playlist: \r\nC:\\Lists\\mix.kvr"
                                "\r\n\r\n" +
                                kNote + "\r\n"));
}

// Numbers used count, not entries read: a missing entry uses none. Also the
// progress bar: it follows the first hundred entries and stays at 100.
TEST_F(FailureTest, ThousandthFileIsLeftUnnumbered)
{
    std::vector<std::string> entries{"C:\\Music\\gone.mp3"}, listed;
    for (int index = 0; index < 1000; ++index) {
        const std::string name = "f" + std::to_string(index) + ".mp3", number = std::to_string(index + 1);
        write("Music/" + name, name);
        entries.push_back("C:\\Music\\" + name);
        if (index < 999)
            listed.push_back("C:\\Music\\" + std::string(3 - number.size(), '0') + number + " " + name);
    }
    std::vector<int> progress(101);
    std::iota(progress.begin(), progress.end(), 0);
    write("Lists/big.m3u", lines(entries));
    user.script = {{"skip"}};
    runJob("Create", "C:\\Lists\\big.m3u");
    EXPECT_EQ(read("Lists/big.kvr"), lines(listed));
    EXPECT_EQ(read("Music/f999.mp3"), "f999.mp3");
    EXPECT_TRUE(reported("\r\nError - More than 999 files; file left unnumbered - C:\\Music\\f999.mp3"));
    EXPECT_TRUE(reported("2 ERRORS DETECTED  >>>\r\n\r\n999 out of a possible 1001 files"));
    EXPECT_EQ(window.progressValues, progress);

    window.progressValues.clear();
    runJob("Remove", "C:\\Lists\\big.kvr");
    EXPECT_EQ(window.progressValues, progress);
    EXPECT_TRUE(reported("\r\n999 out of a possible 999 files successfully renamed"));
}

// Remove takes off only the number of the entry's place, and none that
// would leave a hidden name; blank lines and directives are no entries in
// either job.
TEST_F(FailureTest, RemoveTakesOffOnlyThePlaylistsOwnNumber)
{
    write({{"Music/a.ra", "4"}, {"Music/Track01.mp3", "t"}, {"Here/Song.mp3", "cwd"}});
    write({{"Music/004 .mp3", "x"}, {"Music/101 Intro.flac", "i"}, {"Music/006 Song.mp3", "s"}});
    write("Lists/mix.kvr",
          lines({"#EXTM3U", "C:\\Music\\a.ra", "", "  ", "C:\\Music\\", "C:\\Music\\Track01.mp3",
                 "C:\\Music\\004 .mp3", "C:\\Music\\101 Intro.flac", "C:\\Music\\006 Song.mp3"}));
    runJob("Remove", "C:\\Lists\\mix.kvr");
    const std::string notOurs =
        "Error - File name does not carry this playlist's number; file left as it is - C:\\Music\\";
    EXPECT_EQ(
        window.report,
        reportOf("C:\\Lists\\mix.kvr",
                 {notOurs + "a.ra", "Error - Not a music file; file left as it is - C:\\Music\\",
                  notOurs + "Track01.mp3", notOurs + "004 .mp3", notOurs + "101 Intro.flac",
                  "Renamed C:\\Music\\Song.mp3", "", "<<<  Processing completed with 5 ERRORS DETECTED  >>>",
                  "", "1 out of a possible 6 files successfully renamed to original file names."}));
    // In Create, after Ignore Errors no dialog follows, and the flag lasts one job.
    write("Lists/ignore.m3u", lines({"", "#EXTM3U", "X.mp3", "Y.mp3"}));
    user.script = {{"ignore"}};
    runJob("Create", "C:\\Lists\\ignore.m3u");
    EXPECT_EQ(window.report,
              reportOf("C:\\Lists\\ignore.m3u",
                       {"Error - File not found - X.mp3", "Error - File not found - Y.mp3", "",
                        "<<<  Processing completed with 2 ERRORS DETECTED  >>>", "",
                        "2 out of a possible 2 files encountered errors during processing.",
                        "Remedy the errors listed above before rerunning the program to create your new "
                        "playlist file."}));
    EXPECT_EQ(read("Lists/ignore.kvr"), lines({"", "#EXTM3U"}));
    EXPECT_EQ(user.log.size(), 1U);
    EXPECT_FALSE(state.IgnoreErrors);
    EXPECT_EQ(read("Music/a.ra") + read("Music/Track01.mp3") + read("Here/Song.mp3") +
                  read("Music/004 .mp3") + read("Music/101 Intro.flac"),
              "4tcwdxi");
}

} // namespace
} // namespace kavora::test
