#include "EngineFixture.h"

#include <csignal>
#include <random>
#include <regex>
#include <set>
#include <sys/wait.h>

namespace kavora::test {
namespace {

using RoundTripTest = EngineTest;

TEST_F(RoundTripTest, CreateThenRemoveRestoresEveryNameAndByte)
{
    // The disk name is UTF-8 where the playlist names "Café «1».mp3" in Windows-1252.
    std::vector<std::string> entries{"Song.mp3",
                                     "Caf\xc3\xa9 \xc2\xab"
                                     "1\xc2\xbb.mp3",
                                     "#1.mp3",
                                     "two  spaces .ogg",
                                     "001 Already.mp3",
                                     "x"};
    std::mt19937 random(7);
    for (std::string& entry : entries) {
        std::string bytes(64, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
        write("Music/Sub/" + entry, bytes + "\r\n\r");
        entry.insert(0, "C:\\Music\\Sub\\");
    }
    entries[1] = "C:\\Music\\Sub\\Caf\xe9 \xab"
                 "1\xbb.mp3";
    entries.insert(entries.begin() + 2, "C:\\Music\\Sub\\missing.mp3");
    write("Lists/mix.m3u", lines(entries));
    dialog.script = {{"skip"}};
    const auto before = snapshot();

    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_NE(snapshot(), before);
    // A second Remove finds no numbered name and shortens nothing twice.
    for (const char* run : {"first", "second"}) {
        runJob("Remove", "C:\\Lists\\mix.kvr");
        auto after = snapshot();
        EXPECT_EQ(after.erase("Lists/mix.kvr"), 1U) << run;
        EXPECT_EQ(after, before) << run;
    }
    EXPECT_TRUE(reported("0 out of a possible 6 files successfully renamed"));
}

// Kill a child running a Create job at random instants: every numbered file but
// at most the one being renamed is listed, so Remove brings them all back.
TEST_F(RoundTripTest, KilledCreateLeavesEveryNumberedFileListedButOne)
{
    constexpr int kFiles = 150; // the appends alone take 150 x 150 us
    std::mt19937 random(std::random_device{}());
    int killedMidway = 0;
    for (int round = 0; round < 12; ++round) {
        const std::string folder = "Run" + std::to_string(round);
        std::vector<std::string> entries;
        for (int index = 0; index < kFiles; ++index) {
            write(folder + "/f" + std::to_string(index) + ".mp3", std::to_string(index));
            entries.push_back("C:\\" + folder + "\\f" + std::to_string(index) + ".mp3");
        }
        write(folder + "/list.m3u", lines(entries));
        const pid_t child = fork();
        if (child == 0) {
            window.appendDelay = std::chrono::microseconds(150);
            runJob("Create", "C:\\" + folder + "\\list.m3u");
            _exit(0);
        }
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 22000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        std::set<std::string> listed;
        std::string line;
        for (std::istringstream kvr(read(folder + "/list.kvr")); std::getline(kvr, line);) {
            listed.insert(line.substr(0, line.size() - 1));
        }
        int unlisted = 0;
        for (const auto& item : fs::directory_iterator(host(folder))) {
            const std::string name = item.path().filename().string();
            unlisted += std::regex_match(name, std::regex("[0-9]{3} f[0-9]+\\.mp3")) &&
                        !listed.contains("C:\\" + folder + "\\" + name);
        }
        EXPECT_LE(unlisted, 1) << folder;
        killedMidway += !listed.empty() && listed.size() < kFiles;

        if (exists(folder + "/list.kvr")) {
            runJob("Remove", "C:\\" + folder + "\\list.kvr");
        }
        int restored = 0;
        for (int index = 0; index < kFiles; ++index) {
            restored += read(folder + "/f" + std::to_string(index) + ".mp3") == std::to_string(index);
        }
        EXPECT_GE(restored, kFiles - unlisted) << folder;
    }
    EXPECT_GT(killedMidway, 0) << "no kill landed inside a job";
}

} // namespace
} // namespace kavora::test
