#include "TempTree.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform::test {
namespace {

class Attributes : public TempTree {};

TEST_F(Attributes, WordCarriesThePublishedBits)
{
    write("Music/Song.mp3");
    write("Music/.hidden.mp3");
    makeDir("Music/Album");
    makeDir("Music/.cache");
    ASSERT_EQ(::mkfifo((home() + "/Music/pipe").c_str(), 0644), 0);

    const struct {
        const char* path;
        std::uint32_t word;
    } cases[] = {
        {"C:\\Music\\Song.mp3", Archive},
        {"C:\\Music\\.hidden.mp3", Archive | Hidden},
        {"C:\\Music\\Album", Directory},
        {"C:\\Music\\Album\\", Directory},
        {"C:\\Music\\.cache", Directory | Hidden},
        {"C:\\Music\\pipe", System},
        {"C:\\", Directory},
    };
    for (const auto& c : cases) {
        const FsResult<std::uint32_t> word = fs().attributes(c.path);
        ASSERT_TRUE(word.ok()) << c.path << ": " << word.failure().reason;
        EXPECT_EQ(word.value(), c.word) << c.path;
    }
}

TEST_F(Attributes, PathNamingNothingFails)
{
    makeDir("Music");
    EXPECT_EQ(fs().attributes("C:\\Music\\Missing.mp3").failure().code, FsError::NotFound);
    EXPECT_EQ(fs().attributes("C:\\Missing\\Song.mp3").failure().code, FsError::NotFound);
    EXPECT_EQ(fs().attributes("Q:\\").failure().code, FsError::InvalidPath);
}

// Root may write every file whose permission bits say otherwise, so the test
// marks the file immutable where it may (that holds for root too) and falls
// back to clearing the write bits for an ordinary user.
TEST_F(Attributes, FileTheUserCannotWriteIsReadOnly)
{
    const std::string path = write("Locked.mp3");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable && ::geteuid() == 0) {
        ::close(fd);
        GTEST_SKIP() << "running as root without the right to mark a file immutable";
    }
    if (!immutable) {
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    }

    const FsResult<std::uint32_t> word = fs().attributes("C:\\Locked.mp3");
    if (immutable) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
    ASSERT_TRUE(word.ok());
    EXPECT_EQ(word.value(), ReadOnly | Archive);
}

TEST_F(Attributes, FileExistsOnlyForFiles)
{
    write("Music/Song.mp3");
    ASSERT_EQ(::mkfifo((home() + "/Music/pipe").c_str(), 0644), 0);
    EXPECT_TRUE(fs().fileExists("C:\\Music\\Song.mp3"));
    EXPECT_TRUE(fs().fileExists("C:\\Music\\pipe"));
    EXPECT_FALSE(fs().fileExists("C:\\Music"));
    EXPECT_FALSE(fs().fileExists("C:\\Music\\"));
    EXPECT_FALSE(fs().fileExists("C:\\Music\\Other.mp3"));
}

TEST_F(Attributes, FirstMatchGivesOnlyNormalFiles)
{
    write("Music/Song.mp3");
    write("Music/.Hidden.mp3");
    makeDir("Music/Folder.mp3");
    ASSERT_EQ(::mkfifo((home() + "/Music/Pipe.mp3").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("Song.mp3", (home() + "/Music/Link.mp3").c_str()), 0);

    const struct {
        const char* path;
        const char* match;
    } cases[] = {
        {"C:\\Music\\Song.mp3", "Song.mp3"},
        {"C:\\music\\SONG.MP3", "Song.mp3"},
        {"C:\\Music\\Link.mp3", "Link.mp3"},
        {"C:\\Music\\.Hidden.mp3", ""},
        {"C:\\Music\\Folder.mp3", ""},
        {"C:\\Music\\Pipe.mp3", ""},
        {"C:\\Music\\Missing.mp3", ""},
        {"C:\\Music", ""},
        {"C:\\Music\\*", "Link.mp3"},
        {"C:\\Music\\s*", "Song.mp3"},
        {"C:\\Music\\?ipe.mp3", ""},
        {"C:\\Missing\\*", ""},
        {"C:\\Music\\*.m3u", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fs().firstMatch(c.path), c.match) << c.path;
}

TEST_F(Attributes, FirstMatchTakesTheFirstInListingOrder)
{
    write("Lists/b.m3u");
    write("Lists/C.m3u");
    write("Lists/A.m3u");
    write("Lists/.0.m3u");
    EXPECT_EQ(fs().firstMatch("C:\\Lists\\*"), "A.m3u");
    EXPECT_EQ(fs().firstMatch("C:\\Lists\\*.M3U"), "A.m3u");
    EXPECT_EQ(fs().firstMatch("C:\\Lists\\?.m3u"), "A.m3u");
    EXPECT_EQ(fs().firstMatch("C:\\Lists\\[bc]*"), "");
}

TEST_F(Attributes, SameFileRecognisesOneFileUnderTwoSpellings)
{
    write("Lists/mix.kvr");
    write("Lists/other.kvr");
    ASSERT_EQ(::link((home() + "/Lists/mix.kvr").c_str(), (home() + "/Lists/hard.kvr").c_str()), 0);
    EXPECT_TRUE(fs().sameFile("C:\\Lists\\MIX.KVR", "C:\\Lists\\mix.kvr"));
    EXPECT_TRUE(fs().sameFile("C:\\Lists\\mix.kvr", home() + "/Lists/hard.kvr"));
    EXPECT_FALSE(fs().sameFile("C:\\Lists\\mix.kvr", "C:\\Lists\\other.kvr"));
    EXPECT_FALSE(fs().sameFile("C:\\Lists\\mix.kvr", "C:\\Lists\\missing.kvr"));
    EXPECT_FALSE(fs().sameFile("C:\\Lists\\missing.kvr", "C:\\Lists\\missing.kvr"));
}

} // namespace
} // namespace kavora::platform::test
