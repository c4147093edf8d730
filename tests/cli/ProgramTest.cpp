// The built program on the command line, as a script runs it: no display, no
// window system, the report on standard output and the outcome in the status.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string readAll(int descriptor)
{
    std::string bytes;
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(descriptor, chunk, sizeof chunk)) > 0 || (count < 0 && errno == EINTR))
        bytes.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    return bytes;
}

// A fresh HOME with the test's files; every run in it, with no display and no
// window system named.
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
    std::string read(const std::string& relative) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(m_home / relative, std::ios::binary).rdbuf();
        return bytes.str();
    }
    std::map<std::string, std::string> tree() const
    {
        std::map<std::string, std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(m_home))
            files[fs::relative(item.path(), m_home)] = item.is_regular_file() ? read(fs::relative(item.path(), m_home)) : "/";
        return files;
    }

    // Runs the program in HOME with standard output on a pipe, or into a file.
    Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
            bool outputToFile = false) const
    {
        int out[2], err[2];
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
        const std::string outFile = (m_home / "stdout.txt").string();
        const pid_t child = ::fork();
        if (child == 0) {
            ::chdir(m_home.c_str());
            ::setenv("HOME", m_home.c_str(), 1);
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                ::unsetenv(name);
            for (const std::string& setting : environment)
                ::putenv(const_cast<char*>(setting.c_str()));
            if (outputToFile)
                ::close(out[1]), out[1] = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(KAVORA_PROGRAM)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(KAVORA_PROGRAM, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        Outcome result;
        result.err = readAll(err[0]);
        result.out = readAll(out[0]);
        ::close(out[0]);
        ::close(err[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (outputToFile) {
            result.out = read("stdout.txt");
            fs::remove(m_home / "stdout.txt");
        }
        return result;
    }

    fs::path m_home;
};

const std::string kNote = "NOTE: Use this new playlist to burn your CD and when complete use this new playlist "
                          "as input to the Kavora REMOVE function to rename the files and remove the numerics "
                          "from the file names.";

// The report as the report area shows it, LF-ended on a pipe, as the job
// wrote it (CR LF) into a file; the status says how it went.
TEST_F(ProgramTest, JobsReportOnStandardOutputAndSayHowTheyWentInTheStatus)
{
    write("Music/A.mp3", "a");
    write("Music/Caf\xC3\xA9.mp3", "c");
    write("Lists/all.m3u", "#EXTM3U\r\n../Music/A.mp3\r\n../Music/Caf\xE9.mp3\r\n");
    write("Lists/some.m3u", "/nowhere/Gone.mp3\nhttp://radio/x\n../Music/A.mp3\n");
    const Outcome all = run({"--create", "Lists/all.m3u"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, "\nProcessing input file... Lists/all.m3u\n\nRenamed Music/001 A.mp3\n"
                       "Renamed Music/002 Caf\xC3\xA9.mp3\n\n2 out of a possible 2 files successfully added to "
                       "new playlist: \nLists/all.kvr\n\n" + kNote + "\n");
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(read("Lists/all.kvr"), "#EXTM3U\r\n../Music/001 A.mp3\r\n../Music/002 Caf\xC3\xA9.mp3\r\n");

    const Outcome back = run({"--remove", "Lists/all.kvr"}, {}, true);
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(back.out, "\r\nProcessing input file... Lists/all.kvr\r\n\r\nRenamed Music/A.mp3\r\nRenamed "
                        "Music/Caf\xC3\xA9.mp3\r\n\r\n2 out of a possible 2 files successfully renamed to original "
                        "file names.\r\n");
    EXPECT_EQ(read("Music/A.mp3") + read("Music/Caf\xC3\xA9.mp3"), "ac");

    const Outcome some = run({"--create", "Lists/some.m3u"});
    EXPECT_EQ(some.status, 1);
    EXPECT_NE(some.out.find("\n\nError - File not found - /nowhere/Gone.mp3\nError - Not a local file - "
                            "http://radio/x\nRenamed Music/001 A.mp3\n\n<<<  Processing completed with 2 ERRORS"),
              std::string::npos)
        << some.out;
}

// Status 2 when the job cannot run at all; nothing is touched then.
TEST_F(ProgramTest, JobsThatCannotRunEndWithStatusTwo)
{
    write("Music/A.mp3", "a");
    write("Lists/mix.m3u", "../Music/A.mp3\n");
    write("Lists/mix.kvr", "../Music/001 A.mp3\r\n");
    const auto before = tree();
    const std::string hint = "\nTry 'kavora --help' for more information.\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--create", "Lists/gone.m3u"}, ""},
        {{"--create", "Lists/mix.m3u"}, ""},
        {{"--create", "Lists/mix.m3u", "--missing-dir", "Music/A.mp3"}, "kavora: 'Music/A.mp3' is not a folder" + hint},
        {{"--creat", "Lists/mix.m3u"}, "kavora: unrecognized option '--creat'" + hint},
        {{"--remove"}, "kavora: option '--remove' requires an argument" + hint}};
    for (const auto& [arguments, error] : cases) {
        const Outcome refused = run(arguments);
        EXPECT_EQ(refused.status, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(refused.err, error);
    }
    EXPECT_EQ(tree(), before);
    EXPECT_NE(run({"--create", "Lists/mix.m3u"}).out.find("Error - New playlist already exists; run Remove with it first"),
              std::string::npos);

    const Outcome help = run({"--help"}), version = run({"--version"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: kavora [PLAYLIST]\n")) << help.out;
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("kavora (Kavora) 1.0\nCopyright (C) 2026 Kavora developers.\n"));
}

// --missing-dir: a full path's file by its name in the folder, a relative
// entry below it; what the folder does not hold is reported, never asked.
TEST_F(ProgramTest, MissingFilesAreLookedForInTheFolderGiven)
{
    write("Backup/B.mp3", "b");
    write("Backup/Sub/C.mp3", "c");
    write("Lists/mix.m3u", "Q:\\Old\\B.mp3\r\nSub\\C.mp3\r\nQ:\\Old\\Gone.mp3\r\n");
    const Outcome found = run({"--create", "Lists/mix.m3u", "--missing-dir", "Backup"});
    EXPECT_EQ(found.status, 1) << found.out;
    // A relative folder is taken where the user stands, as the shell gave it.
    const std::string backup = (m_home / "Backup").string();
    EXPECT_EQ(read("Lists/mix.kvr"), backup + "/001 B.mp3\r\n" + backup + "/Sub\\002 C.mp3\r\n");
    EXPECT_NE(found.out.find("\nError - File not found - " + backup + "/Gone.mp3\n"), std::string::npos) << found.out;
    EXPECT_EQ(found.err, "");
}

// A dry run leaves every name and byte as it was and creates nothing; the
// real run that follows gives each file the number the dry run named. No
// window system is loaded: a platform that does not exist changes nothing.
TEST_F(ProgramTest, DryRunTouchesNothingAndTheRealRunAgrees)
{
    for (const char* name : {"A.mp3", "B.mp3", "C.mp3"})
        write(std::string("Music/") + name, name);
    write("Music/001 C.mp3", "taken");
    write("Lists/mix.m3u", "#EXTM3U\n../Music/C.mp3\n../Music/Gone.mp3\n../Music/A.mp3\n../Music/B.mp3\n");
    const auto before = tree();
    const Outcome dry = run({"--dry-run", "--create", "Lists/mix.m3u"}, {"QT_QPA_PLATFORM=no-such-platform"});
    EXPECT_EQ(tree(), before);
    const Outcome real = run({"--create", "Lists/mix.m3u"});
    EXPECT_EQ(dry.status, real.status);
    const auto renames = [](const std::string& report, const std::string& start) {
        std::vector<std::string> numbered;
        for (std::size_t at = report.find(start); at != std::string::npos; at = report.find(start, at + 1))
        {
            const std::size_t end = report.find('\n', at + 1), space = report.rfind(' ', end);
            numbered.push_back(report.substr(space - 3, end - space + 3));
        }
        return numbered;
    };
    EXPECT_EQ(renames(dry.out, "\nWould rename "), renames(real.out, "\nRenamed "));
    EXPECT_EQ(renames(real.out, "\nRenamed "), (std::vector<std::string>{"001 A.mp3", "002 B.mp3"}));
    const auto errors = [](const std::string& report) {
        std::string lines;
        for (std::size_t at = report.find("\nError - "); at != std::string::npos; at = report.find("\nError - ", at + 1))
            lines += report.substr(at, report.find('\n', at + 1) - at);
        return lines + report.substr(report.find("\n<<<"));
    };
    EXPECT_EQ(errors(dry.out), errors(real.out));
    EXPECT_NE(errors(real.out).find("Error - File cannot be renamed to 001 C.mp3 (target exists)"), std::string::npos);
    const Outcome dryBack = run({"--remove", "Lists/mix.kvr", "--dry-run"});
    EXPECT_EQ(dryBack.status, 0);
    EXPECT_NE(dryBack.out.find("\nWould rename Music/001 A.mp3 to Music/A.mp3\n"), std::string::npos);
}

} // namespace
