#include "TempTree.h"

#include <algorithm>

namespace kavora::platform::test {
namespace {

std::string backslashed(std::string hostPath)
{
    std::replace(hostPath.begin(), hostPath.end(), '/', '\\');
    return hostPath;
}

class PathMapping : public TempTree {};

TEST_F(PathMapping, DrivesHostPathsAndSeparatorsReachTheSameFile)
{
    const std::string song = write("Music/Song.mp3");
    const struct {
        std::string path;
        const char* why;
    } cases[] = {
        {"C:\\Music\\Song.mp3", "drive C is HOME"},
        {"c:\\music\\SONG.mp3", "letters of drive and names in any case"},
        {"C:/Music/Song.mp3", "slash is a separator"},
        {"C:\\Music/Song.mp3", "mixed separators"},
        {"C:\\\\Music\\\\Song.mp3", "doubled separators, as a drive root joined with a name gives"},
        {"C:\\Music. \\Song.mp3 . ", "trailing dots and spaces are no part of a name"},
        {"C:\\Music\\.\\Other\\..\\Song.mp3", "dot components"},
        {"C:\\..\\..\\Music\\Song.mp3", "dot-dot stops at the drive root"},
        {song, "a host path as it stands"},
        {"Z:" + backslashed(song), "drive Z is the host root"},
        {backslashed(song), "a leading backslash starts at the host root"},
    };
    for (const auto& c : cases) {
        const FsResult<std::string> host = fs().hostPath(c.path);
        ASSERT_TRUE(host.ok()) << c.why << ": " << c.path << ": " << host.failure().reason;
        EXPECT_EQ(host.value(), song) << c.why;
        EXPECT_TRUE(fs().fileExists(c.path)) << c.why;
    }
}

TEST_F(PathMapping, RelativePathsUseTheProcessCurrentDirectory)
{
    const std::string song = write("Music/Song.mp3");
    std::filesystem::current_path(home());
    EXPECT_EQ(fs().hostPath("Music\\Song.mp3").value(), song);
    EXPECT_EQ(fs().hostPath("..\\home\\music\\song.mp3").value(), song);
    EXPECT_TRUE(fs().fileExists("Music/Song.mp3"));
}

TEST_F(PathMapping, DriveRelativePathsUseTheDriveCurrentDirectory)
{
    const std::string song = write("Music/Song.mp3");
    DriveMap drives = DriveMap::fromEnvironment();
    drives.setCurrentDirectory("C:\\Music");
    const FileSystem withCurrent(drives);
    EXPECT_EQ(withCurrent.hostPath("C:Song.mp3").value(), song);
    EXPECT_EQ(withCurrent.hostPath("C:").value(), home() + "/Music");
}

TEST_F(PathMapping, NewNamesMapWhereTheyWouldBeCreated)
{
    makeDir("Music");
    EXPECT_EQ(fs().hostPath("C:\\music\\New.kvr").value(), home() + "/Music/New.kvr");
    EXPECT_EQ(fs().hostPath("C:\\Missing\\New.kvr").failure().code, FsError::NotFound);
    EXPECT_FALSE(fs().fileExists("C:\\music\\New.kvr"));
}

TEST_F(PathMapping, TextsThatAreNoPathFail)
{
    EXPECT_EQ(fs().hostPath("").failure().code, FsError::InvalidPath);
    EXPECT_EQ(fs().hostPath("Q:\\Music").failure().code, FsError::InvalidPath);
    EXPECT_EQ(fs().hostPath(std::string("C:\\a\0b", 6)).failure().code, FsError::InvalidPath);
    EXPECT_FALSE(fs().fileExists(""));
    EXPECT_EQ(fs().firstMatch(""), "");
}

TEST_F(PathMapping, SeveralCaseMatchesAreNeverGuessed)
{
    const std::string lower = write("Dup/song.mp3", "lower");
    write("Dup/SONG.mp3", "upper");
    write("Twin/a.mp3");
    write("TWIN/b.mp3");

    EXPECT_EQ(fs().hostPath("C:\\Dup\\Song.mp3").failure().code, FsError::Ambiguous);
    EXPECT_FALSE(fs().fileExists("C:\\Dup\\Song.mp3"));
    EXPECT_EQ(fs().firstMatch("C:\\Dup\\Song.mp3"), "");
    EXPECT_EQ(fs().attributes("C:\\Dup\\Song.mp3").failure().code, FsError::Ambiguous);
    EXPECT_EQ(fs().renameNoReplace("C:\\Dup\\Song.mp3", "C:\\Dup\\001 Song.mp3").failure().code,
              FsError::Ambiguous);
    EXPECT_EQ(fs().hostPath("C:\\twin\\a.mp3").failure().code, FsError::Ambiguous);

    // The exact name still wins.
    EXPECT_EQ(fs().hostPath("C:\\Dup\\song.mp3").value(), lower);
    EXPECT_EQ(fs().hostPath("C:\\Twin\\a.mp3").value(), home() + "/Twin/a.mp3");
}

TEST_F(PathMapping, Windows1252EntriesFindTheirUtf8Files)
{
    const std::string utf8 = write("Music/Caf\xC3\xA9.mp3");
    EXPECT_TRUE(fs().fileExists("C:\\Music\\Caf\xE9.mp3"));
    EXPECT_EQ(fs().hostPath("C:\\Music\\Caf\xE9.mp3").value(), utf8);
    EXPECT_EQ(fs().hostPath("C:\\MUSIC\\CAF\xC9.MP3").value(), utf8);
    EXPECT_EQ(fs().firstMatch("C:\\Music\\Caf\xE9.mp3"), "Caf\xC3\xA9.mp3");

    // A name stored in the legacy bytes themselves is found byte for byte.
    const std::string legacy = write("Old/Caf\xE9.mp3");
    EXPECT_EQ(fs().hostPath("C:\\Old\\Caf\xE9.mp3").value(), legacy);

    // A new name written in Windows-1252 is created in its UTF-8 reading.
    EXPECT_EQ(fs().hostPath("C:\\Music\\Na\xEFve.kvr").value(), home() + "/Music/Na\xC3\xAFve.kvr");
}

TEST(DriveMapping, EnvironmentGivesHomeAsCAndRootAsZ)
{
    const char* savedHome = std::getenv("HOME");
    const std::string saved = savedHome ? savedHome : "";
    ::setenv("HOME", "/var/tmp/", 1);
    DriveMap drives = DriveMap::fromEnvironment();
    ::setenv("HOME", saved.c_str(), 1);

    ASSERT_NE(drives.find('c'), nullptr);
    EXPECT_EQ(drives.find('C')->hostRoot, "/var/tmp");
    EXPECT_EQ(drives.find('C')->label, "c: [home]");
    ASSERT_NE(drives.find('Z'), nullptr);
    EXPECT_EQ(drives.find('z')->hostRoot, "/");
    EXPECT_EQ(drives.drives().front().letter, 'C');
    EXPECT_EQ(drives.drives().back().letter, 'Z');
    EXPECT_EQ(drives.find('Q'), nullptr);
}

TEST(DriveMapping, EachDriveKeepsItsOwnCurrentDirectory)
{
    DriveMap drives({Drive{'c', "/home/me/", "c: [home]"}, Drive{'Z', "/", "z: [/]"}});
    EXPECT_EQ(drives.find('C')->hostRoot, "/home/me");
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\");
    EXPECT_EQ(drives.currentDirectory('Z'), "Z:\\");

    drives.setCurrentDirectory("c:\\Music\\Lists\\");
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\Music\\Lists");
    EXPECT_EQ(drives.currentDirectory('Z'), "Z:\\");

    drives.setCurrentDirectory("Z:\\tmp");
    drives.setCurrentDirectory("C:relative");
    drives.setCurrentDirectory("Q:\\nowhere");
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\Music\\Lists");
    EXPECT_EQ(drives.currentDirectory('Z'), "Z:\\tmp");

    drives.setCurrentDirectory("C:\\");
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\");
}

} // namespace
} // namespace kavora::platform::test
