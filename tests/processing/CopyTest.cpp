// The copy on real files: plan, names, what the target holds afterwards.
#include "EngineFixture.h"
#include "processing/copy/CopyJob.h"
#include "processing/copy/DeviceName.h"

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::test {
namespace {

using copy::deviceFileName;
using copy::numberedCopyName;

TEST(DeviceName, EveryDeviceTakesTheName)
{
    const std::string note = "\xF0\x9F\x8E\xB5"; // U+1F3B5, two UTF-16 units
    const std::string e = "\xC3\xA9";            // U+00E9, one unit, two bytes
    const auto times = [](const std::string& piece, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += piece;
        return text;
    };
    const struct {
        std::string name;
        std::size_t byteLimit;
        std::string device;
    } cases[] = {
        {R"(a<b>c:d"e/f\g|h?i*j.mp3)", 255, "a_b_c_d_e_f_g_h_i_j.mp3"},
        {"a\x01\tb\x7F.mp3", 255, "a__b_.mp3"},
        {"Caf\xE9 \x93Live\x94.mp3", 255, "Caf" + e + " \xE2\x80\x9CLive\xE2\x80\x9D.mp3"},
        {"Song. . ", 255, "Song"},
        {"...", 255, "_"},
        {times("a", 300) + ".mp3", 1024, times("a", 251) + ".mp3"},
        {times(note, 200) + ".mp3", 1024, times(note, 125) + ".mp3"},
        {times(e, 200) + ".flac", 255, times(e, 125) + ".flac"},
        {times("b", 250) + "." + times("x", 40), 1024, times("b", 250) + "." + times("x", 4)},
        {times("c", 254) + " . .mp3x" + times("y", 30), 1024, times("c", 254)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deviceFileName(c.name, c.byteLimit), c.device) << c.name.substr(0, 40);

    EXPECT_EQ(numberedCopyName(7, 999, "x.mp3", 255), "007 x.mp3");
    EXPECT_EQ(numberedCopyName(7, 1000, "x?.mp3", 255), "0007 x_.mp3");
    EXPECT_EQ(numberedCopyName(12345, 12345, "x", 255), "12345 x");
}

struct Times {
    std::int64_t modified = 0, accessed = 0, changed = 0;
    bool operator==(const Times&) const = default;
};

Times timesOf(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    return {ns(info.st_mtim), ns(info.st_atim), ns(info.st_ctim)};
}

class CopyTest : public EngineTest {
protected:
    JobResult copyTo(const std::string& target, bool dryRun = false, const std::atomic<bool>* stop = nullptr)
    {
        window.report.clear();
        state.OperationMode = "Copy";
        state.InputPlaylistPath = "C:\\Lists\\car.m3u";
        state.TargetFolder = target;
        state.IgnoreErrors = true;
        const std::atomic<bool> never{false};
        return copy::runCopyJob(state, window, user, user, JobOptions{dryRun}, stop ? *stop : never);
    }
    // The entry lines of the report, between the header and the summary.
    std::vector<std::string> entryLines() const
    {
        std::vector<std::string> found;
        std::istringstream text(window.report);
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.starts_with("Copied ") || line.starts_with("Would copy ") ||
                line.starts_with("Error - ") || line.starts_with("To copy: "))
                found.push_back(line);
        }
        return found;
    }
    // The names in a folder, sorted; with `deep`, every path below it.
    std::vector<std::string> namesIn(const std::string& folder, bool deep = false) const
    {
        std::vector<std::string> names;
        for (auto item = fs::recursive_directory_iterator(host(folder)); item != fs::end(item); ++item) {
            names.push_back(fs::relative(item->path(), host(folder)));
            if (!deep)
                item.disable_recursion_pending();
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CopyTest, CopiesInOrderUnderDeviceNamesAndLeavesTheSourcesAsTheyWere)
{
    write(
        {{"Music/A.mp3", std::string(300000, 'a')},
         {"Music/Why?.mp3", "c"},
         {"Music/\xE9t\xE9.mp3", "d"},
         {"Lists/car.m3u", lines({"#EXTM3U", "#EXTINF:61,Artist - A", "..\\Music\\A.mp3", "#EXTINF:5,Lost",
                                  "..\\Music\\B.mp3", "..\\Music\\Why?.mp3", "..\\Music\\\xE9t\xE9.mp3"})}});
    fs::create_directory(host("Stick"));
    const auto sources = snapshot();
    std::map<std::string, Times> sourceTimes;
    for (const auto& [relative, bytes] : sources)
        sourceTimes[relative] = timesOf(host(relative));

    const JobResult dry = copyTo("C:\\Stick\\Car", true);
    EXPECT_TRUE(dry.ran) << window.report;
    EXPECT_EQ(snapshot(), sources);
    EXPECT_FALSE(fs::exists(host("Stick/Car")));
    const std::vector<std::string> planned = entryLines();

    const JobResult real = copyTo("C:\\Stick\\Car");
    EXPECT_EQ((std::vector<std::uint64_t>{real.entryCount, real.renamedCount}),
              (std::vector<std::uint64_t>{4, 3}));
    std::vector<std::string> done = entryLines();
    for (std::string& line : done)
        if (line.starts_with("Copied "))
            line.replace(0, 7, "Would copy ");
    // The dry run's room is the free space before the copy.
    done.front() = planned.front();
    EXPECT_EQ(done, planned);
    EXPECT_EQ(planned[2], "Error - File not found - ..\\Music\\B.mp3");
    EXPECT_TRUE(reported("Everything is written to the device; it may be removed now."));

    EXPECT_EQ(namesIn("Stick/Car"), (std::vector<std::string>{"001 A.mp3", "002 Why_.mp3",
                                                              "003 \xC3\xA9t\xC3\xA9.mp3", "car.m3u"}));
    EXPECT_EQ(read("Stick/Car/001 A.mp3"), sources.at("Music/A.mp3"));
    EXPECT_EQ(read("Stick/Car/car.m3u"), lines({"#EXTM3U", "#EXTINF:-1,Artist - A", "001 A.mp3",
                                                "002 Why_.mp3", "003 \xC3\xA9t\xC3\xA9.mp3"}));
    for (const auto& [relative, bytes] : sources) {
        EXPECT_EQ(read(relative), bytes);
        EXPECT_EQ(timesOf(host(relative)), sourceTimes[relative]) << relative;
    }
}

TEST_F(CopyTest, RefusedTargetsGetNothingWritten)
{
    write({{"Music/A.mp3", "a"},
           {"Music/Huge.mp3", ""},
           {"Lists/car.m3u", lines({"..\\Music\\A.mp3", "..\\Music\\Huge.mp3"})},
           {"Full/keep.txt", "k"}});
    fs::resize_file(host("Music/Huge.mp3"), std::uintmax_t{1} << 43); // sparse, 8 TiB
    // Names only: the sparse file is not to be read.
    const auto before = namesIn("", true);
    const std::pair<std::string, std::string> refusals[] = {
        {"C:\\Full", "Error - Target folder is not empty (it holds keep.txt); nothing was copied - C:\\Full"},
        {"C:\\Room", "Error - Not enough free space ("},
        {"C:\\No\\Such", "Error - Target folder cannot be used; nothing was copied"},
    };
    for (const auto& [target, line] : refusals) {
        EXPECT_FALSE(copyTo(target).ran) << target;
        EXPECT_TRUE(reported(line));
        EXPECT_EQ(namesIn("", true), before);
    }
}

// A write the system refuses (here a file size limit) loses that copy only;
// a stop request keeps the copies already on the device. Either way no part of a copy
// stands under a name and the playlist lists exactly what is there.
TEST_F(CopyTest, FailedAndStoppedCopiesLeaveWholeFilesListedExactly)
{
    write({{"Music/A.mp3", std::string(99000, 'a')},
           {"Music/Big.mp3", std::string(300000, 'b')},
           {"Music/C.mp3", std::string(2000, 'c')},
           {"Lists/car.m3u", lines({"..\\Music\\A.mp3", "..\\Music\\Big.mp3", "..\\Music\\C.mp3"})}});
    const JobResult limitedRun = withFileSizeLimit(100000, [&] { return copyTo("C:\\Limited"); });
    EXPECT_EQ(limitedRun.renamedCount, 2U);
    EXPECT_TRUE(reported("Error - File cannot be copied (File too large) - ..\\Music\\Big.mp3"));
    EXPECT_EQ(namesIn("Limited"), (std::vector<std::string>{"001 A.mp3", "003 C.mp3", "car.m3u"}));
    EXPECT_EQ(read("Limited/car.m3u"), lines({"#EXTM3U", "001 A.mp3", "003 C.mp3"}));

    // 66 files of 1000 bytes: the first 64 go to the device together; the
    // stop comes while the 65th waits for its sync, which it does not get.
    std::map<std::string, std::string> files;
    std::vector<std::string> entries, kept{"#EXTM3U"};
    for (std::uint64_t index = 1; index <= 66; ++index) {
        const std::string name = "T" + std::to_string(index) + ".mp3";
        files["Music/" + name] = std::string(1000, 't');
        entries.push_back("..\\Music\\" + name);
        if (index <= 64)
            kept.push_back(copy::copyNumberPrefix(index, 66) + name);
    }
    files["Lists/car.m3u"] = lines(entries);
    write(files);
    std::atomic<bool> stop{false};
    window.onProgress = [&stop](int percent) { stop = stop || percent >= 98; };
    const JobResult stopped = copyTo("C:\\Stopped", false, &stop);
    EXPECT_EQ(stopped.renamedCount, 64U);
    EXPECT_TRUE(reported("Copy stopped; 2 files not copied"));
    EXPECT_EQ(namesIn("Stopped").size(), 65U);
    EXPECT_EQ(read("Stopped/car.m3u"), lines(kept));
}

// On FAT the directory order is what car stereos play by: it must be the
// playlist order, read back from the unmounted image, and the image sound.
TEST_F(CopyTest, FatDirectoryOrderIsThePlaylistOrder)
{
    const auto run = [](const std::string& command) {
        return std::system(("(" + command + ") >/dev/null 2>&1").c_str());
    };
    if (run("command -v mkfs.vfat && command -v fusefat && command -v mdir && command -v fsck.vfat") != 0)
        GTEST_SKIP() << "needs dosfstools, mtools and fusefat (scripts/install-deps.sh)";
    std::vector<std::string> entries;
    std::string expected;
    for (const int track : {5, 3, 9, 1, 7, 2}) {
        const std::string name = "Track " + std::to_string(track) + " of a long name: part?.mp3";
        write("Music/" + name, std::string(static_cast<std::size_t>(track) * 5000, 'x'));
        entries.push_back("..\\Music\\" + name);
    }
    write("Lists/car.m3u", lines(entries));
    const std::string image = host("stick.img"), mount = host("stick");
    fs::create_directory(mount);
    ASSERT_EQ(run("truncate -s 40M '" + image + "' && mkfs.vfat -F 32 '" + image + "'"), 0);
    if (run("fusefat -o rw+ '" + image + "' '" + mount + "'") != 0)
        GTEST_SKIP() << "FUSE cannot mount here (no /dev/fuse, or no permission to use it)";
    const JobResult result = copyTo("C:\\stick\\Car");
    // fusermount may find the mount busy for a moment after the last close.
    for (int attempt = 0; attempt < 50 && run("fusermount -u '" + mount + "'") != 0; ++attempt)
        ::usleep(100000);
    ASSERT_EQ(result.renamedCount, 6U) << window.report;

    const std::string listing = host("listing.txt");
    ASSERT_EQ(std::system(("mdir -b -i '" + image + "' ::/Car > '" + listing + "'").c_str()), 0);
    EXPECT_EQ(read("listing.txt"), "::/Car/001 Track 5 of a long name_ part_.mp3\n"
                                   "::/Car/002 Track 3 of a long name_ part_.mp3\n"
                                   "::/Car/003 Track 9 of a long name_ part_.mp3\n"
                                   "::/Car/004 Track 1 of a long name_ part_.mp3\n"
                                   "::/Car/005 Track 7 of a long name_ part_.mp3\n"
                                   "::/Car/006 Track 2 of a long name_ part_.mp3\n"
                                   "::/Car/car.m3u\n");
    EXPECT_EQ(run("fsck.vfat -n '" + image + "'"), 0);
}

// Killed at any moment, a copy leaves under final names only whole copies.
TEST_F(CopyTest, KilledCopyLeavesOnlyWholeFilesUnderFinalNames)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "Music/" + std::to_string(i) + ".mp3";
        write(name, std::string(std::size_t{6} << 20, static_cast<char>('a' + i)));
        entries.push_back("..\\" + name);
    }
    write("Lists/car.m3u", lines(entries));
    for (const int delayMs : {2, 15, 40, 90, 200}) {
        const std::string target = "Killed" + std::to_string(delayMs);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            (void)copyTo("C:\\" + target);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!fs::exists(host(target)))
            continue;
        for (const auto& item : fs::directory_iterator(host(target))) {
            const std::string name = item.path().filename();
            if (item.is_directory() || name == "car.m3u")
                continue;
            // "00N K.mp3" is a copy of Music/K.mp3.
            EXPECT_EQ(read(target + "/" + name), read("Music/" + name.substr(4))) << target << "/" << name;
        }
    }
}

} // namespace
} // namespace kavora::test
