// What a careful and a hostile user can do to the jobs: files a job must not
// rename twice or at all, kills at any instant, a full medium.
#include "EngineFixture.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::test {
namespace {

using SafetyTest = EngineTest;

// One rename per file per job: not again by its new name, another spelling or
// a link, and never the job's own playlists. Hidden places, virtual files,
// system folders and other users' files are off limits, judged where links
// lead, and every refusal says what is there: only nothing at all is "not found".
// Whatever was refused is as it was once Remove has run.
TEST_F(SafetyTest, AFileIsRenamedOnceAndRefusalsSayWhy)
{
    const std::string longName = std::string(248, 'L') + ".mp3";
    write({{"Music/Song.mp3", "s"}, {"Music/Other.mp3", "o"}, {"Music/X.mp3", "x"}, {"Music/Twin.mp3", "1"}});
    write({{"Music/TWIN.mp3", "2"}, {"Music/.hidden.mp3", "h"}, {"Music/" + longName, "l"}});
    write({{".ssh/authorized_keys", "key"}, {".ssh/k.mp3", "k"}, {".config/app/x.mp3", "c"}});
    fs::create_hard_link(host("Music/Other.mp3"), host("Music/Hard.mp3"));
    fs::create_directory_symlink(host("Music"), host("Alias"));
    fs::create_directory_symlink("../.ssh", host("Music/keys"));
    // A system folder anyone may write to, reached through a link.
    std::string systemFolder = "/var/tmp/kavora-safety-XXXXXX";
    ASSERT_NE(::mkdtemp(systemFolder.data()), nullptr) << std::strerror(errno);
    const AtScopeExit removeSystemFolder{[&] { fs::remove_all(systemFolder); }};
    std::ofstream(systemFolder + "/Song.mp3") << "v";
    fs::create_directory_symlink(systemFolder, host("Music/system"));
    fs::create_symlink("../.ssh/authorized_keys", host("Music/keys.mp3"));
    write({{"Music/Theirs.mp3", "t"}, {"Music/Plain.mp3", "p"}});
    const bool foreignOwner = ::chown(host("Music/Theirs.mp3").c_str(), 4242, 4242) == 0;
    std::string viaProc = "Z:\\proc\\self\\root" + host("Music/Plain.mp3").string();
    std::replace(viaProc.begin(), viaProc.end(), '/', '\\');
    const std::string twice = "Error - File already renamed by this job; file left as it is - ";
    const std::string own = "Error - Playlist named again; read once only - ";
    const std::string notMusic = "Error - Not a music file; file left as it is - ";
    const std::string leftAsItIs = "Error - File left as it is (",
                      hidden = leftAsItIs + "hidden file or folder) - ";
    // Each entry with the start of its report line; a renamed entry's line names its new name.
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"C:\\Music\\" + longName,
         "Error - File cannot be renamed to 001 " + longName + " (name too long) - "},
        {"C:\\Music\\Song.mp3", "Renamed C:\\Music\\001 Song.mp3"},
        {"C:\\Music\\001 Song.mp3", twice},
        {"C:\\Music\\Other.mp3", "Renamed C:\\Music\\002 Other.mp3"},
        {"C:\\Music\\Hard.mp3", twice},
        {"C:\\Music\\X.mp3", "Renamed C:\\Music\\003 X.mp3"},
        {"C:\\Alias\\003 X.mp3", twice},
        {"C:\\MUSIC\\002 OTHER.MP3", twice},
        {"mix.m3u", own},
        {"MIX.kvr", own},
        {"C:\\.ssh\\authorized_keys", notMusic},
        {"C:\\.config\\app\\x.mp3", hidden},
        {"C:\\Music\\keys\\k.mp3", hidden},
        {"C:\\Music\\keys.mp3", hidden},
        {viaProc, leftAsItIs + "file on a virtual file system) - "},
        {"C:\\Music\\system\\Song.mp3", leftAsItIs + "system folder) - "},
        {"C:\\Music\\Theirs.mp3", foreignOwner ? leftAsItIs + "owned by another user) - " : "Renamed "},
        {"C:\\Music\\.hidden.mp3", hidden},
        {"C:\\Music\\twin.mp3", leftAsItIs + "several files match in letter case only) - "},
        {"C:\\Music\\" + std::string(300, 'L') + ".mp3", leftAsItIs + "name too long) - "},
        {"C:\\Music\\Gone.mp3", "Error - File not found - "}};
    std::vector<std::string> entries;
    for (const auto& [entry, line] : answers)
        entries.push_back(entry);
    write("Lists/mix.m3u", lines(entries));
    user.script = {{"ignore"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_TRUE(read("Lists/mix.kvr")
                    .starts_with(lines(
                        {"C:\\Music\\001 Song.mp3", "C:\\Music\\002 Other.mp3", "C:\\Music\\003 X.mp3"})));
    for (const auto& [entry, line] : answers)
        EXPECT_TRUE(reported("\r\n" + line + (line.starts_with("Renamed") ? "" : entry))) << entry;
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\Gone.mp3 []"});
    expectRemoveRestores(before, "Lists/mix.kvr");
    if (!foreignOwner)
        GTEST_SKIP() << "a file cannot be given to another user here (not root): that row was renamed";
}

// A folder exchanged for a link into a hidden place, or the file exchanged
// for another, after the file was checked and before the rename (renameat2
// RENAME_EXCHANGE, as another user sharing the folder can): the rename fails,
// nothing is renamed anywhere.
TEST_F(SafetyTest, FolderOrFileSwappedBeforeTheRenameRenamesNothing)
{
    const struct {
        std::string swapped, with, reason, first, second, contents; // the two files afterwards, read
    } swaps[] = {
        {"Music/Album", "Music/Swap", "folder", ".ssh/Song.mp3", "Music/Swap/Song.mp3", "keysong"},
        {"Music/Album/Song.mp3", "Music/Album/Other.mp3", "file", "Music/Album/Other.mp3",
         "Music/Album/Song.mp3", "songkey"},
    };
    for (const auto& swap : swaps) {
        SCOPED_TRACE(swap.reason);
        fs::remove_all(host("Music"));
        fs::remove(host("Lists/mix.kvr"));
        write({{"Music/Album/Song.mp3", "song"}, {"Music/Album/Other.mp3", "key"}, {".ssh/Song.mp3", "key"}});
        fs::create_directory_symlink("../.ssh", host("Music/Swap"));
        write("Lists/mix.m3u", lines({"C:\\Music\\Album\\Song.mp3"}));
        window.report.clear();
        window.onProgress = [&](int entries) {
            if (entries == 1) { // the entry is checked, its rename comes next
                ASSERT_EQ(::renameat2(AT_FDCWD, host(swap.swapped).c_str(), AT_FDCWD, host(swap.with).c_str(),
                                      RENAME_EXCHANGE),
                          0);
            }
        };
        runJob("Create", "C:\\Lists\\mix.m3u");
        EXPECT_TRUE(reported("\r\nError - File cannot be renamed to 001 Song.mp3 (" + swap.reason +
                             " was moved or replaced during the job) - C:\\Music\\Album\\Song.mp3\r\n"));
        EXPECT_EQ(read(swap.first) + read(swap.second), swap.contents);
        EXPECT_EQ(read("Lists/mix.kvr"), "");
    }
}

// Kills a child running a Create job at random instants once the job has
// started: every numbered file is listed, so Remove brings every name back.
TEST_F(SafetyTest, KilledCreateLeavesEveryNumberedFileListed)
{
    std::mt19937 random(std::random_device{}());
    std::vector<std::string> entries;
    for (int index = 0; index < 100; ++index)
        entries.push_back("C:\\Run\\f" + std::to_string(index));
    int killedMidway = 0;
    // Until 50 kills have landed inside a job; a loaded machine needs more rounds.
    for (int round = 0; killedMidway < 50 && round < 150; ++round) {
        fs::remove_all(host("Run"));
        for (int index = 0; index < 100; ++index)
            write("Run/f" + std::to_string(index), "");
        write("Run/list.m3u", lines(entries));
        const auto before = snapshot();
        const pid_t child = fork();
        if (child == 0) {
            window.appendDelay = std::chrono::microseconds(250); // the job takes at least 100 x 250 us
            runJob("Create", "C:\\Run\\list.m3u");
            _exit(0);
        }
        ASSERT_GT(child, 0);
        // Past the job's start (its new playlist is there), before its end,
        // whatever the machine's load.
        for (int wait = 0; wait < 10000 && !fs::exists(host("Run/list.kvr")); ++wait)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 18000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const std::string listed = read("Run/list.kvr");
        killedMidway += std::count(listed.begin(), listed.end(), '\n') < 100;
        expectRemoveRestores(before, "Run/list.kvr");
    }
    EXPECT_GE(killedMidway, 50) << "too few kills landed inside a job";
}

// A small file system that runs full while the new playlist grows: the job
// stops, and whatever it renamed is listed.
TEST_F(SafetyTest, FullMediumStrandsNothing)
{
    fs::create_directories(host("Small"));
    if (::mount("kavora-test", host("Small").c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    const AtScopeExit unmount{[&] { ::umount2(host("Small").c_str(), MNT_DETACH); }};
    // Long names: the playlist takes three of the four pages, its new one has
    // room for a third of the lines.
    const std::string padding(190, 'x');
    std::vector<std::string> entries;
    for (int index = 0; index < 40; ++index) {
        write("Small/Track " + std::to_string(index) + padding + ".mp3", "");
        entries.push_back("C:\\Small\\Track " + std::to_string(index) + padding + ".mp3");
    }
    write("Small/list.m3u", lines(entries));
    const auto before = snapshot();
    runJob("Create", "C:\\Small\\list.m3u");
    EXPECT_TRUE(reported(
        "\r\nError - New playlist cannot be written; file left as it is and job stopped (disk full)"));
    const std::string listed = read("Small/list.kvr");
    EXPECT_TRUE(listed.ends_with("\r\n") && std::count(listed.begin(), listed.end(), '\n') > 5);
    expectRemoveRestores(before, "Small/list.kvr");
}

} // namespace
} // namespace kavora::test
