// The built program on the command line, as a script runs it: no display, no
// window system, the report on standard output and the outcome in the status.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kNote =
    "NOTE: Use this new playlist to burn your CD and when complete use this new playlist as "
    "input to the Kavora REMOVE function to rename the files and remove the numerics from "
    "the file names.";

struct Outcome {
    int status = -1;
    std::string out, err;
};

// A fresh HOME with the test's files, where the program runs through the
// shell with no display and no window system named.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kavora-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_home = pattern;
    }
    void TearDown() override { fs::remove_all(m_home); }

    void write(const std::string& relative, const std::string& bytes) const
    {
        fs::create_directories((m_home / relative).parent_path());
        std::ofstream(m_home / relative, std::ios::binary) << bytes;
    }
    std::string read(const fs::path& path) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(m_home / path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    // Every name below HOME with its bytes, "/" for a folder.
    std::map<fs::path, std::string> tree() const
    {
        std::map<fs::path, std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(m_home))
            files[item.path()] = item.is_directory() ? "/" : read(item.path());
        return files;
    }

    // Standard output is a pipe into this process, or into `reader` (a shell
    // command whose output this process reads), unless `arguments` (shell
    // words) send it elsewhere; standard error is kept beside HOME. On a
    // `terminal`, both are a terminal's, and it is the pipe's other end.
    Outcome run(const std::string& arguments, const std::string& environment = "",
                const std::string& reader = "", bool terminal = false) const
    {
        const std::string home = "'" + m_home.string() + "'", kept = m_home.string();
        const std::string program = "'" KAVORA_PROGRAM "' " + arguments;
        const std::string command =
            "cd " + home + " && { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=" + home + " " +
            environment + " " + (terminal ? "script -qec \"" + program + "\" /dev/null" : program) + " 2>'" +
            kept + ".err'; echo $? >'" + kept + ".status'; }" + (reader.empty() ? "" : " | " + reader);
        FILE* const pipe = ::popen(command.c_str(), "r");
        Outcome result;
        char chunk[4096];
        for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            result.out.append(chunk, count);
        ::pclose(pipe);
        const std::string status = read(kept + ".status");
        result.status = status.empty() ? -1 : std::stoi(status);
        result.err = read(kept + ".err");
        fs::remove(kept + ".err");
        fs::remove(kept + ".status");
        return result;
    }

    // "~/" stands for HOME.
    std::string atHome(std::string text) const
    {
        for (std::size_t at = 0; (at = text.find("~/", at)) != std::string::npos;)
            text.replace(at, 1, m_home.string());
        return text;
    }

    fs::path m_home;
};

// The report as the report area shows it, LF-ended on a pipe, as the job
// wrote it (CR LF) into a file; status 0 when every entry was renamed. Every
// path is the absolute host path, whichever way the playlist or the shell
// wrote it (relative, on drive C:, a host path).
TEST_F(ProgramTest, JobsReportOnStandardOutput)
{
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    write("Music/Caf\xC3\xA9.mp3", "c");
    write("Lists/all.m3u",
          atHome("#EXTM3U\r\n../Music/A.mp3\r\nC:\\Music\\.\\B.mp3\r\n~/Music/Caf\xE9.mp3\r\n"
                 "c:\\music\\gone.mp3\r\n"));
    const Outcome create = run("--create Lists/all.m3u");
    EXPECT_EQ(create.status, 1) << create.err;
    EXPECT_EQ(create.out,
              atHome("\nProcessing input file... ~/Lists/all.m3u\n\nRenamed ~/Music/001 A.mp3\n"
                     "Renamed ~/Music/002 B.mp3\nRenamed ~/Music/003 Caf\xC3\xA9.mp3\n"
                     "Error - File not found - ~/Music/gone.mp3\n\n<<<  Processing completed with 1 "
                     "ERRORS DETECTED  >>>\n\n3 out of a possible 4 files successfully added to new "
                     "playlist: \n~/Lists/all.kvr\n\n" +
                     kNote + "\n"));
    EXPECT_EQ(create.err, "");
    EXPECT_EQ(read("Lists/all.kvr"), atHome("#EXTM3U\r\n../Music/001 A.mp3\r\nC:\\Music\\.\\002 B.mp3\r\n"
                                            "~/Music/003 Caf\xC3\xA9.mp3\r\n"));

    const Outcome remove = run("--remove Lists/all.kvr >report.txt");
    EXPECT_EQ(remove.status, 0);
    EXPECT_EQ(read("report.txt"),
              atHome("\r\nProcessing input file... ~/Lists/all.kvr\r\n\r\nRenamed ~/Music/A.mp3\r\nRenamed "
                     "~/Music/B.mp3\r\nRenamed ~/Music/Caf\xC3\xA9.mp3\r\n\r\n3 out of a possible 3 files "
                     "successfully renamed to original file names.\r\n"));
    EXPECT_EQ(read("Music/A.mp3") + read("Music/B.mp3") + read("Music/Caf\xC3\xA9.mp3"), "abc");
}

// Status 2 when the job cannot run at all, with the reason on standard error;
// nothing is touched then. Without a display the window is not tried, and
// no Qt is loaded (that would say so on standard error).
TEST_F(ProgramTest, JobsThatCannotRunEndWithStatusTwo)
{
    write("Music/A.mp3", "a");
    write("Music/001 A.mp3", "numbered");
    write("Lists/mix.m3u", "../Music/A.mp3\n");
    write("Lists/mix.kvr", "../Music/001 A.mp3\r\n");
    const auto before = tree();
    const std::string hint = "\nTry 'kavora --help' for more information.\n";
    const std::string noDisplay =
        "kavora: no display to open the window on; run a job with --create or --remove (see --help)\n";
    const struct {
        std::string arguments, error, report = "", environment = ""; // report: a part of standard output
    } cases[] = {
        {"--create Lists/gone.m3u",
         "kavora: Error - Input playlist cannot be opened; no file was touched (file not found) - "
         "~/Lists/gone.m3u\n",
         "Error - Input playlist cannot be opened"},
        {"Lists/mix.m3u --create",
         "kavora: Error - New playlist still lists the numbered file ~/Music/001 A.mp3; run Remove with it "
         "first, or move it away - ~/Lists/mix.kvr\n",
         "Error - New playlist still lists the numbered file "},
        {"--remove /proc/self/mem",
         "kavora: Error - Input playlist could not be read to its end (Input/output error) - "
         "/proc/self/mem\n",
         "\n0 out of a possible 0 files"},
        {"--create Lists/mix.m3u --missing-dir Music/A.mp3", "kavora: 'Music/A.mp3' is not a folder" + hint},
        {"--creat Lists/mix.m3u", "kavora: unrecognized option '--creat'" + hint},
        {"--remove", "kavora: option '--remove' requires an argument" + hint},
        {"", noDisplay},
        {"Lists/mix.m3u", noDisplay, "", "QT_DEBUG_PLUGINS=1 QT_QPA_PLATFORM='wayland;xcb' DISPLAY="}};
    for (const auto& c : cases) {
        const Outcome refused = run(c.arguments, c.environment);
        EXPECT_EQ(refused.status, 2) << c.arguments;
        EXPECT_EQ(refused.err, atHome(c.error));
        // Standard output holds the report when there is one, else nothing.
        EXPECT_TRUE(c.report.empty() ? refused.out.empty() : refused.out.find(c.report) != std::string::npos)
            << refused.out;
    }
    EXPECT_EQ(tree(), before);

    const Outcome help = run("--remove --help"), version = run("--version");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: kavora [PLAYLIST]\n")) << help.out;
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("kavora (Kavora) 1.0\nCopyright (C) 2026 Kavora developers.\n"));
}

// One job per playlist: while a Create holds its new playlist (its report
// stuck in a pipe nobody reads yet), a second Create or a Remove of it is
// refused at once; the first then numbers and lists everything.
TEST_F(ProgramTest, SecondJobOnAPlaylistIsRefused)
{
    std::string entries;
    for (int index = 0; index < 4000; ++index) // far more report than a pipe holds
        entries += "../Music/Missing " + std::to_string(index) + ".mp3\n";
    write("Music/A.mp3", "a");
    write("Music/B.mp3", "b");
    write("Lists/mix.m3u", "../Music/A.mp3\n" + entries + "../Music/B.mp3\n");
    const std::string command = "cd '" + m_home.string() + "' && HOME='" + m_home.string() +
                                "' '" KAVORA_PROGRAM "' --create Lists/mix.m3u";
    FILE* const first = ::popen(command.c_str(), "r");
    ASSERT_NE(first, nullptr);
    while (read("Lists/mix.kvr").empty()) // its lock is held before the first line
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (const char* second : {"--create Lists/mix.m3u", "--remove Lists/mix.kvr"}) {
        const Outcome refused = run(second);
        EXPECT_EQ(refused.status, 2) << second;
        EXPECT_NE(refused.out.find("another job is using this playlist"), std::string::npos) << refused.out;
    }
    while (std::fgetc(first) != EOF) {
    }
    EXPECT_EQ(WEXITSTATUS(::pclose(first)), 1);
    EXPECT_EQ(read("Lists/mix.kvr"), "../Music/001 A.mp3\r\n../Music/002 B.mp3\r\n");
}

// A reader that goes away (SIGPIPE) and closed standard streams stop no job:
// every file is renamed, the new playlist holds the entries and nothing else,
// and a report that did not get out makes status 1.
TEST_F(ProgramTest, NeitherAGoneReaderNorClosedStreamsStopAJob)
{
    const std::string longName(150, 'x');
    std::string entries, numbered;
    for (int file = 1; file <= 999; ++file) {
        const std::string name = std::to_string(file) + longName + ".mp3";
        write("Music/" + name, "");
        entries += "../Music/" + name + "\r\n";
        char number[8];
        std::snprintf(number, sizeof number, "%03d ", file);
        numbered += "../Music/" + (number + name) + "\r\n";
    }
    write("Lists/mix.m3u", entries);
    const Outcome closed = run("--create Lists/mix.m3u <&- >&-");
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_EQ(read("Lists/mix.kvr"), numbered);

    const Outcome cut = run("--remove Lists/mix.kvr", "", "head -3");
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err, "kavora: standard output: Broken pipe\n");
    EXPECT_EQ(cut.out, atHome("\nProcessing input file... ~/Lists/mix.kvr\n\n"));
    std::size_t restored = 0;
    for (const auto& file : fs::directory_iterator(m_home / "Music"))
        restored += file.path().filename().string().find(' ') == std::string::npos;
    EXPECT_EQ(restored, 999U);
}

// On a terminal a name's control characters are shown escaped: a playlist
// cannot move the cursor, erase lines or fake a report.
TEST_F(ProgramTest, ATerminalGetsNoControlCharacters)
{
    write("Music/\x1B[2K\x1B[1AOK\x07.mp3", "a");
    write("Lists/mix.m3u", "../Music/\x1B[2K\x1B[1AOK\x07.mp3\n");
    const Outcome terminal = run("--create Lists/mix.m3u", "", "", true);
    EXPECT_EQ(terminal.status, 0) << terminal.err;
    EXPECT_NE(terminal.out.find(atHome("Renamed ~/Music/001 \\x1B[2K\\x1B[1AOK\\x07.mp3\r\n")),
              std::string::npos)
        << terminal.out;
    EXPECT_EQ(terminal.out.find('\x1B'), std::string::npos);
    EXPECT_TRUE(fs::exists(m_home / "Music" / "001 \x1B[2K\x1B[1AOK\x07.mp3"));
}

// Write-ahead that survives a power cut, seen in the program's system calls:
// each file is renamed only after its line was written and synced. A rename
// that fails (002 B.mp3 is taken) takes its line out, and the next file is
// listed again under the number it left free.
TEST_F(ProgramTest, LinesAreOnTheDeviceBeforeTheirFilesAreRenamed)
{
    for (const char* name : {"A.mp3", "B.mp3", "C.mp3", "002 B.mp3"})
        write(std::string("Music/") + name, name);
    write("Lists/mix.m3u", "../Music/A.mp3\n../Music/B.mp3\n../Music/C.mp3\n");
    if (std::system("strace -o /dev/null true 2>/dev/null") != 0)
        GTEST_SKIP() << "strace cannot trace here";
    const std::string trace = (m_home / "trace").string();
    const Outcome create = run("--create Lists/mix.m3u",
                               "strace -f -e trace=write,fdatasync,renameat2,ftruncate -o '" + trace + "'");
    EXPECT_EQ(create.status, 1) << create.err;
    EXPECT_EQ(read("Lists/mix.kvr"), "../Music/001 A.mp3\r\n../Music/002 C.mp3\r\n");
    std::vector<std::string> calls;
    std::istringstream lines(read(trace));
    for (std::string line; std::getline(lines, line);)
        calls.push_back(line);
    int renamed = 0;
    for (std::size_t call = 0; call < calls.size(); ++call) {
        std::smatch rename;
        if (!std::regex_search(calls[call], rename,
                               std::regex(R"re(renameat2\(.*, "(\d\d\d [^"]+)", .*\) = 0)re")))
            continue;
        ++renamed;
        const std::string line = "/" + rename[1].str() + "\\r\\n\"";
        std::size_t written = call, synced = call;
        while (written > 0 && calls[written].find(line) == std::string::npos)
            --written;
        while (synced > written && calls[synced].find("fdatasync(") == std::string::npos)
            --synced;
        EXPECT_TRUE(calls[written].find(line) != std::string::npos && written < synced)
            << calls[call] << ": its line was not written and synced before";
    }
    EXPECT_EQ(renamed, 2);
}

// --missing-dir: a full path's file by its name in the folder, a relative
// entry below it, for every missing entry; what the folder does not hold is
// reported, never asked.
TEST_F(ProgramTest, MissingFilesAreLookedForInTheFolderGiven)
{
    write("Backup/B.mp3", "b");
    write("Backup/Sub/C.mp3", "c");
    write("Backup/D.mp3", "d");
    write("Lists/mix.m3u", "Q:\\Old\\B.mp3\r\nQ:\\Old\\Gone.mp3\r\nSub\\C.mp3\r\nQ:\\Old\\D.mp3\r\n");
    const Outcome found = run("--create Lists/mix.m3u --missing-dir Backup");
    EXPECT_EQ(found.status, 1) << found.out;
    // A relative folder is taken where the user stands, as the shell gave it.
    const std::string backup = (m_home / "Backup").string();
    EXPECT_EQ(read("Lists/mix.kvr"),
              backup + "/001 B.mp3\r\n" + backup + "/Sub\\002 C.mp3\r\n" + backup + "/003 D.mp3\r\n");
    EXPECT_NE(found.out.find("\nError - File not found - " + backup + "/Gone.mp3\n"), std::string::npos)
        << found.out;
    EXPECT_EQ(found.err, "");
}

// A dry run leaves every name and byte as it was and reports what the real
// run that follows does, each "Renamed <new>" as "Would rename <old> to <new>".
// No window system is loaded: a platform that does not exist changes nothing.
TEST_F(ProgramTest, DryRunTouchesNothingAndTheRealRunAgrees)
{
    for (const char* name : {"A.mp3", "B.mp3", "C.mp3"})
        write(std::string("Music/") + name, name);
    write("Music/001 C.mp3", "taken");
    write("Lists/mix.m3u", "#EXTM3U\n../Music/C.mp3\n../Music/Gone.mp3\n../Music/A.mp3\n../Music/B.mp3\n");
    const auto before = tree();
    const Outcome dry = run("--dry-run --create Lists/mix.m3u", "QT_QPA_PLATFORM=no-such-platform");
    EXPECT_EQ(tree(), before);
    const Outcome real = run("--create Lists/mix.m3u");
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(real.status, 1);
    EXPECT_NE(dry.out.find(atHome("\nWould rename ~/Music/A.mp3 to ~/Music/001 A.mp3\n")), std::string::npos)
        << dry.out;
    EXPECT_EQ(std::regex_replace(dry.out, std::regex("Would rename .* to "), "Renamed "), real.out);
    EXPECT_NE(real.out.find("Error - File cannot be renamed to 001 C.mp3 (target exists)"),
              std::string::npos);
    EXPECT_NE(real.out.find(atHome("\nRenamed ~/Music/001 A.mp3\nRenamed ~/Music/002 B.mp3\n")),
              std::string::npos);
    const Outcome dryBack = run("--remove Lists/mix.kvr --dry-run");
    EXPECT_EQ(dryBack.status, 0);
    EXPECT_NE(dryBack.out.find(atHome("\nWould rename ~/Music/001 A.mp3 to ~/Music/A.mp3\n")),
              std::string::npos);
}

} // namespace
