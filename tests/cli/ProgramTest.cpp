// The built program on the command line, as a script runs it: no display, no
// window system, the report on standard output and the outcome in the status.
#include <cstdio>
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

    // Standard output is a pipe unless `arguments` (shell words) send it into
    // a file; standard error is kept beside HOME.
    Outcome run(const std::string& arguments, const std::string& environment = "") const
    {
        const std::string home = "'" + m_home.string() + "'", errors = m_home.string() + ".err";
        const std::string command =
            "cd " + home + " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=" + home + " " +
            environment + " '" KAVORA_PROGRAM "' " + arguments + " 2>'" + errors + "'";
        FILE* const pipe = ::popen(command.c_str(), "r");
        Outcome result;
        char chunk[4096];
        for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            result.out.append(chunk, count);
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = read(errors);
        fs::remove(errors);
        return result;
    }

    fs::path m_home;
};

// The report as the report area shows it, LF-ended on a pipe, as the job
// wrote it (CR LF) into a file; status 0 when every entry was renamed.
TEST_F(ProgramTest, JobsReportOnStandardOutput)
{
    write("Music/A.mp3", "a");
    write("Music/Caf\xC3\xA9.mp3", "c");
    write("Lists/all.m3u", "#EXTM3U\r\n../Music/A.mp3\r\n../Music/Caf\xE9.mp3\r\n");
    const Outcome create = run("--create Lists/all.m3u");
    EXPECT_EQ(create.status, 0) << create.err;
    EXPECT_EQ(create.out,
              "\nProcessing input file... Lists/all.m3u\n\nRenamed Music/001 A.mp3\n"
              "Renamed Music/002 Caf\xC3\xA9.mp3\n\n2 out of a possible 2 files successfully added to "
              "new playlist: \nLists/all.kvr\n\nNOTE: Use this new playlist to burn your CD and when "
              "complete use this new playlist as input to the Kavora REMOVE function to rename the "
              "files and remove the numerics from the file names.\n");
    EXPECT_EQ(create.err, "");
    EXPECT_EQ(read("Lists/all.kvr"), "#EXTM3U\r\n../Music/001 A.mp3\r\n../Music/002 Caf\xC3\xA9.mp3\r\n");

    const Outcome remove = run("--remove Lists/all.kvr >report.txt");
    EXPECT_EQ(remove.status, 0);
    EXPECT_EQ(read("report.txt"),
              "\r\nProcessing input file... Lists/all.kvr\r\n\r\nRenamed Music/A.mp3\r\nRenamed "
              "Music/Caf\xC3\xA9.mp3\r\n\r\n2 out of a possible 2 files successfully renamed to "
              "original file names.\r\n");
    EXPECT_EQ(read("Music/A.mp3") + read("Music/Caf\xC3\xA9.mp3"), "ac");
}

// Status 2 when the job cannot run at all; nothing is touched then.
TEST_F(ProgramTest, JobsThatCannotRunEndWithStatusTwo)
{
    write("Music/A.mp3", "a");
    write("Lists/mix.m3u", "../Music/A.mp3\n");
    write("Lists/mix.kvr", "../Music/001 A.mp3\r\n");
    const auto before = tree();
    const std::string hint = "\nTry 'kavora --help' for more information.\n";
    const struct {
        std::string arguments, error, report = ""; // report: a part of standard output
    } cases[] = {
        {"--create Lists/gone.m3u", "", ""},
        {"--create Lists/mix.m3u", "", "Error - New playlist already exists; run Remove with it first"},
        {"--create Lists/mix.m3u --missing-dir Music/A.mp3", "kavora: 'Music/A.mp3' is not a folder" + hint},
        {"--creat Lists/mix.m3u", "kavora: unrecognized option '--creat'" + hint},
        {"--remove", "kavora: option '--remove' requires an argument" + hint}};
    for (const auto& c : cases) {
        const Outcome refused = run(c.arguments);
        EXPECT_EQ(refused.status, 2) << c.arguments;
        EXPECT_EQ(refused.err, c.error);
        EXPECT_NE(refused.out.find(c.report), std::string::npos) << refused.out;
    }
    EXPECT_EQ(tree(), before);

    const Outcome help = run("--help"), version = run("--version");
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
    char chunk[4096];
    while (std::fread(chunk, 1, sizeof chunk, first) > 0) {
    }
    EXPECT_EQ(WEXITSTATUS(::pclose(first)), 1);
    EXPECT_EQ(read("Lists/mix.kvr"), "../Music/001 A.mp3\r\n../Music/002 B.mp3\r\n");
}

// --missing-dir: a full path's file by its name in the folder, a relative
// entry below it; what the folder does not hold is reported, never asked.
TEST_F(ProgramTest, MissingFilesAreLookedForInTheFolderGiven)
{
    write("Backup/B.mp3", "b");
    write("Backup/Sub/C.mp3", "c");
    write("Lists/mix.m3u", "Q:\\Old\\B.mp3\r\nSub\\C.mp3\r\nQ:\\Old\\Gone.mp3\r\n");
    const Outcome found = run("--create Lists/mix.m3u --missing-dir Backup");
    EXPECT_EQ(found.status, 1) << found.out;
    // A relative folder is taken where the user stands, as the shell gave it.
    const std::string backup = (m_home / "Backup").string();
    EXPECT_EQ(read("Lists/mix.kvr"), backup + "/001 B.mp3\r\n" + backup + "/Sub\\002 C.mp3\r\n");
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
    EXPECT_NE(dry.out.find("\nWould rename Music/A.mp3 to Music/001 A.mp3\n"), std::string::npos) << dry.out;
    EXPECT_EQ(std::regex_replace(dry.out, std::regex("Would rename .* to "), "Renamed "), real.out);
    EXPECT_NE(real.out.find("Error - File cannot be renamed to 001 C.mp3 (target exists)"),
              std::string::npos);
    EXPECT_NE(real.out.find("\nRenamed Music/001 A.mp3\nRenamed Music/002 B.mp3\n"), std::string::npos);
    const Outcome dryBack = run("--remove Lists/mix.kvr --dry-run");
    EXPECT_EQ(dryBack.status, 0);
    EXPECT_NE(dryBack.out.find("\nWould rename Music/001 A.mp3 to Music/A.mp3\n"), std::string::npos);
}

} // namespace
