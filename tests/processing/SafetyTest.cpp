// What a careful and a hostile user can do to the jobs: names that must come
// back exactly, files a job must not rename twice or at all, kills at any
// instant, a full medium.
#include "EngineFixture.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <numeric>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::test {
namespace {

using SafetyTest = EngineTest;

// Whatever case and encoding the playlist spells a name in, the number goes
// in front of the name as it is on disk, and Remove gives back those bytes.
TEST_F(SafetyTest, CreateThenRemoveRestoresEveryNameAndByte)
{
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0'); // every byte value, CR and LF among them
    const std::vector<std::pair<std::string, std::string>> files = {
        // on disk, as the playlist spells it
        {"Artist - Song.mp3", "C:\\MUSIC\\artist - song.mp3"},
        {"Caf\xC3\xA9 \xC2\xAB\x31\xC2\xBB.mp3", "C:\\Music\\Caf\xE9 \xAB\x31\xBB.mp3"},
        {"Legacy \xE9t\xE9.mp3", "c:/music/LEGACY \xE9T\xE9.MP3"},
        {"#1.mp3", "C:\\Music\\#1.mp3"},
        {"two  spaces .ogg", "C:\\Music\\two  spaces .ogg"},
        {"001 Already.mp3", "C:\\Music\\001 Already.mp3"},
        {"x", "C:\\Music\\x"}};
    std::vector<std::string> entries;
    for (const auto& [disk, entry] : files) {
        write("Music/" + disk, disk + bytes);
        entries.push_back(entry);
    }
    entries.insert(entries.begin() + 2, "C:\\Music\\missing.mp3");
    write("Lists/mix.m3u", lines(entries));
    user.script = {{"skip"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_TRUE(fs::exists(host("Music/001 Artist - Song.mp3")) &&
                fs::exists(host("Music/003 Legacy \xE9t\xE9.mp3")));
    EXPECT_TRUE(reported("\r\nRenamed C:\\MUSIC\\001 Artist - Song.mp3\r\n"));
    // A second Remove finds no numbered name and shortens nothing twice.
    for (const char* run : {"first", "second"}) {
        runJob("Remove", "C:\\Lists\\mix.kvr");
        auto after = snapshot();
        EXPECT_EQ(after.erase("Lists/mix.kvr"), 1U) << run;
        EXPECT_EQ(after, before) << run;
    }
}

// One rename per file per job: not again by its new name, another spelling or
// a link, and never the job's own playlists.
TEST_F(SafetyTest, AFileIsRenamedOnceAndNeverAPlaylistOfTheJob)
{
    write({{"Music/Song.mp3", "s"}, {"Music/Other.mp3", "o"}, {"Music/X.mp3", "x"}});
    fs::create_hard_link(host("Music/Other.mp3"), host("Music/Hard.mp3"));
    fs::create_directory_symlink(host("Music"), host("Alias"));
    write("Lists/mix.m3u", lines({"C:\\Music\\Song.mp3", "C:\\Music\\001 Song.mp3", "C:\\Music\\Other.mp3",
                                  "C:\\Music\\Hard.mp3", "C:\\Music\\X.mp3", "C:\\Alias\\003 X.mp3",
                                  "C:\\MUSIC\\002 OTHER.MP3", "mix.m3u", "MIX.kvr"}));
    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(read("Lists/mix.kvr"),
              lines({"C:\\Music\\001 Song.mp3", "C:\\Music\\002 Other.mp3", "C:\\Music\\003 X.mp3"}));
    const std::string twice = "Error - File already renamed by this job; file left as it is - ";
    const std::string own = "Error - Entry names a playlist of this job; file left as it is - ";
    for (const std::string& line :
         {twice + "C:\\Music\\001 Song.mp3", twice + "C:\\Music\\Hard.mp3", twice + "C:\\Alias\\003 X.mp3",
          twice + "C:\\MUSIC\\002 OTHER.MP3", own + "mix.m3u", own + "MIX.kvr"})
        EXPECT_TRUE(reported("\r\n" + line + "\r\n")) << line;
    EXPECT_TRUE(fs::exists(host("Lists/mix.m3u")) && fs::exists(host("Music/Hard.mp3")));
}

// Hidden places are off limits, and every refusal says what is there: only
// nothing at all is "not found".
TEST_F(SafetyTest, HiddenPlacesAreOffLimitsAndReasonsAreTrue)
{
    write({{".ssh/authorized_keys", "key"}, {".config/app/x.mp3", "c"}, {"Music/.hidden.mp3", "h"}});
    write({{"Music/Twin.mp3", "1"}, {"Music/TWIN.mp3", "2"}, {"Music/" + std::string(252, 'L'), "l"}});
    const std::string leftAsItIs = "Error - File left as it is (";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"C:\\.ssh\\authorized_keys", leftAsItIs + "hidden file or folder) - "},
        {"C:\\.config\\app\\x.mp3", leftAsItIs + "hidden file or folder) - "},
        {"C:\\Music\\.hidden.mp3", leftAsItIs + "hidden file or folder) - "},
        {"C:\\Music\\twin.mp3", leftAsItIs + "several files match in letter case only) - "},
        {"Z:\\proc\\self\\status", leftAsItIs + "file on a virtual file system) - "},
        {"C:\\Music\\" + std::string(252, 'L'),
         "Error - File cannot be renamed to 001 " + std::string(252, 'L') + " (name too long) - "},
        {"C:\\Music\\" + std::string(300, 'L'), leftAsItIs + "name too long) - "},
        {"C:\\Music\\Gone.mp3", "Error - File not found - "}};
    std::vector<std::string> entries;
    for (const auto& [entry, line] : refused)
        entries.push_back(entry);
    write("Lists/mix.m3u", lines(entries));
    user.script = {{"ignore"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\mix.m3u");
    auto after = snapshot();
    EXPECT_EQ(after.erase("Lists/mix.kvr"), 1U);
    EXPECT_EQ(after, before);
    for (const auto& [entry, line] : refused)
        EXPECT_TRUE(reported("\r\n" + line + entry + "\r\n")) << line;
    EXPECT_EQ(user.log, std::vector<std::string>{"File not found - C:\\Music\\Gone.mp3 []"});
}

// Numbered files that no line of the new playlist lists.
std::size_t unlisted(const fs::path& folder, const std::string& listed)
{
    return static_cast<std::size_t>(
        std::count_if(fs::directory_iterator(folder), {}, [&](const fs::directory_entry& item) {
            const std::string name = item.path().filename().string();
            return name[0] <= '9' && listed.find(name + "\r\n") == std::string::npos;
        }));
}

// Kills a child running a Create job at random instants once the job has
// started: every numbered file is listed, so Remove brings every name back.
TEST_F(SafetyTest, KilledCreateLeavesEveryNumberedFileListed)
{
    std::mt19937 random(std::random_device{}());
    int killedMidway = 0;
    // Until 50 kills have landed inside a job; a loaded machine needs more rounds.
    for (int round = 0; killedMidway < 50 && round < 150; ++round) {
        const std::string folder = "Run" + std::to_string(round), playlist = "C:\\" + folder + "\\list.";
        std::vector<std::string> entries;
        for (int index = 0; index < 100; ++index) {
            write(folder + "/f" + std::to_string(index), "");
            entries.push_back("C:\\" + folder + "\\f" + std::to_string(index));
        }
        write(folder + "/list.m3u", lines(entries));
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t child = fork();
        if (child == 0) {
            window.appendDelay = std::chrono::microseconds(250); // the job takes at least 100 x 250 us
            (void)!::write(started[1], "s", 1);
            runJob("Create", playlist + "m3u");
            _exit(0);
        }
        ASSERT_GT(child, 0);
        char signal = 0;
        ASSERT_EQ(::read(started[0], &signal, 1), 1);
        ::close(started[0]);
        ::close(started[1]);
        // Past the job's start, before its end, whatever the machine's load.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % 18000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const std::string listed = read(folder + "/list.kvr");
        EXPECT_EQ(unlisted(host(folder), listed), 0U) << folder;
        killedMidway +=
            fs::exists(host(folder + "/list.kvr")) && std::count(listed.begin(), listed.end(), '\n') < 100;
        runJob("Remove", playlist + "kvr");
        EXPECT_EQ(unlisted(host(folder), ""), 0U) << folder << ": numbered files left after Remove";
        for (int index = 0; index < 100; ++index)
            EXPECT_TRUE(fs::exists(host(folder + "/f" + std::to_string(index)))) << folder << " f" << index;
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
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } const unmount{host("Small").string()};
    // Long names: the playlist takes three of the four pages, its new one has
    // room for a third of the lines.
    const std::string padding(190, 'x');
    std::vector<std::string> entries;
    for (int index = 0; index < 40; ++index) {
        write("Small/Track " + std::to_string(index) + padding + ".mp3", "");
        entries.push_back("C:\\Small\\Track " + std::to_string(index) + padding + ".mp3");
    }
    write("Small/list.m3u", lines(entries));
    runJob("Create", "C:\\Small\\list.m3u");
    EXPECT_TRUE(reported(
        "\r\nError - New playlist cannot be written; file left as it is and job stopped (disk full)"))
        << window.report;
    const std::string listed = read("Small/list.kvr");
    EXPECT_EQ(unlisted(host("Small"), listed), 0U);
    EXPECT_TRUE(listed.ends_with("\r\n") && std::count(listed.begin(), listed.end(), '\n') > 5);
    runJob("Remove", "C:\\Small\\list.kvr");
    EXPECT_EQ(unlisted(host("Small"), ""), 0U);
}

} // namespace
} // namespace kavora::test
