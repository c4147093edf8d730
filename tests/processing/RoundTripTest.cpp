#include "EngineFixture.h"
#include "processing/ProcessPlaylist.h"

#include <chrono>
#include <csignal>
#include <random>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kavora::test {
namespace {

namespace fs = std::filesystem;

using RoundTripTest = EngineTest;

TEST_F(RoundTripTest, CreateThenRemoveRestoresEveryNameAndByte)
{
    // The disk names are UTF-8; the playlist names "Café «1».mp3" in Windows-1252.
    const std::vector<std::string> names{"Song.mp3",
                                         "Caf\xc3\xa9 \xc2\xab"
                                         "1\xc2\xbb.mp3",
                                         "#1.mp3",
                                         "two  spaces .ogg",
                                         "001 Already.mp3",
                                         "x"};
    std::vector<std::string> entries;
    std::mt19937 random(7);
    for (const std::string& name : names) {
        std::string bytes(64, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random());
        }
        write("Music/Sub/" + name, bytes + "\r\n\r");
        entries.push_back("C:\\Music\\Sub\\" + name);
    }
    entries[1] = "C:\\Music\\Sub\\Caf\xe9 \xab"
                 "1\xbb.mp3";
    entries.insert(entries.begin() + 2, "C:\\Music\\Sub\\missing.mp3");
    writePlaylist("Lists/mix.m3u", entries);
    dialog.script = {{{Act::Skip}}};
    const auto before = snapshot();

    runJob("Create", "C:\\Lists\\mix.m3u");
    EXPECT_NE(snapshot(), before);
    runJob("Remove", "C:\\Lists\\mix.kvr");

    auto after = snapshot();
    EXPECT_EQ(after.erase("Lists/mix.kvr"), 1U);
    EXPECT_EQ(after, before);
    EXPECT_NE(window.report.find("6 out of a possible 6 files successfully renamed"), std::string::npos);
}

// Appends slowly, so that kills land at many points of a job.
class SlowWindow final : public JobWindow {
public:
    void setExplanation(std::string_view) override {}
    void setNextEnabled(bool) override {}
    void setNextVisible(bool) override {}
    void setBackEnabled(bool) override {}
    void setBackVisible(bool) override {}
    void setDoneVisible(bool) override {}
    int progressValue() const override { return 0; }
    void setProgressValue(int) override {}
    void setProgressVisible(bool) override {}
    void setStatusText(std::string_view) override {}
    void replaceReport(std::string_view) override {}
    void appendToReport(std::string_view) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(150));
    }
    void refresh() override {}
};

TEST_F(RoundTripTest, KilledCreateLeavesEveryNumberedFileListedButOne)
{
    constexpr int kFiles = 150;
    const std::regex numbered("[0-9]{3} f[0-9]+\\.mp3");
    auto prepare = [&](const std::string& folder) {
        std::vector<std::string> entries;
        for (int index = 0; index < kFiles; ++index) {
            const std::string name = "f" + std::to_string(index) + ".mp3";
            write(folder + "/" + name, name);
            entries.push_back("C:\\" + folder + "\\" + name);
        }
        writePlaylist(folder + "/list.m3u", entries);
    };
    auto runChild = [&](const std::string& folder) {
        const pid_t child = fork();
        if (child == 0) {
            SlowWindow slow;
            AppState childState;
            childState.OperationMode = "Create";
            childState.InputPlaylistPath = "C:\\" + folder + "\\list.m3u";
            ProcessPlaylist(childState, slow, dialog, messages);
            _exit(0);
        }
        return child;
    };

    prepare("Calibrate");
    const auto start = std::chrono::steady_clock::now();
    const pid_t calibration = runChild("Calibrate");
    ASSERT_GT(calibration, 0);
    int status = 0;
    waitpid(calibration, &status, 0);
    const auto jobTime = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::mt19937 random(std::random_device{}());
    int killedMidway = 0;
    for (int round = 0; round < 12; ++round) {
        const std::string folder = "Run" + std::to_string(round);
        prepare(folder);
        const pid_t child = runChild(folder);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::uniform_real_distribution<double>(0.0, 1.0)(random) * jobTime);
        kill(child, SIGKILL);
        waitpid(child, &status, 0);

        std::set<std::string> listed;
        std::string line;
        for (std::istringstream kvr(read(folder + "/list.kvr")); std::getline(kvr, line);) {
            listed.insert(line.substr(0, line.size() - 1));
        }
        int unlisted = 0;
        for (const auto& item : fs::directory_iterator(host(folder))) {
            const std::string name = item.path().filename().string();
            if (std::regex_match(name, numbered) && !listed.contains("C:\\" + folder + "\\" + name)) {
                ++unlisted;
            }
        }
        EXPECT_LE(unlisted, 1) << folder;
        killedMidway += listed.empty() || listed.size() == kFiles ? 0 : 1;

        // Remove over what was written brings back every listed file.
        if (exists(folder + "/list.kvr")) {
            runJob("Remove", "C:\\" + folder + "\\list.kvr");
        }
        int restored = 0;
        for (int index = 0; index < kFiles; ++index) {
            const std::string name = "f" + std::to_string(index) + ".mp3";
            restored += exists(folder + "/" + name) && read(folder + "/" + name) == name ? 1 : 0;
        }
        EXPECT_GE(restored, kFiles - unlisted) << folder;
    }
    EXPECT_GT(killedMidway, 0) << "no kill landed inside a job";
}

} // namespace
} // namespace kavora::test
