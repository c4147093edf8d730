#include "TempTree.h"

#include <algorithm>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <variant>

namespace kavora::platform::test {
namespace {

// One tree for every lookup: twins that differ in case only, hidden names, a
// fifo, symbolic links, a UTF-8 name and one stored in Windows-1252 bytes.
class PathMapping : public TempTree {
protected:
    void SetUp() override
    {
        TempTree::SetUp();
        for (const char* name :
             {"Music/Song.mp3", "Music/.hidden.mp3", "Music/Twin.mp3", "Music/TWIN.mp3", "Music/a.mp3",
              "Music/B.mp3", "Music/Caf\xC3\xA9.mp3", "Music/Album/Track.mp3", "Music/.cache/x",
              "Old/Caf\xE9.mp3", "Twin/a.mp3", "TWIN/b.mp3"})
            write(name);
        makeFifo("Music/pipe");
        std::filesystem::create_symlink("Song.mp3", at("Music/link.mp3"));
        std::filesystem::create_symlink("gone.mp3", at("Music/dangling.mp3"));
        std::filesystem::create_symlink("Album", at("Music/dirlink"));
    }
};

// Drive letters, host paths, relative paths, both separators, trailing dots and
// spaces, dot components, case-insensitive names never guessed when several
// match, Windows-1252 texts that find their UTF-8 names; which names are files
// (anything but a directory) and normal files, and their attribute words. Asked
// live and of a snapshot, which answers all but its first question from memory.
TEST_F(PathMapping, EntriesMapOntoTheHostAsWindowsWouldFindThem)
{
    const std::string song = at("Music/Song.mp3");
    std::string backslashed = song;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    std::filesystem::current_path(home());
    DriveMap drives = DriveMap::fromEnvironment();
    drives.setCurrentDirectory("C:\\Music");
    const FileSystem live(drives);
    const FileSystem cached(drives, FileSystem::View::Snapshot);
    const struct {
        std::string path;
        std::string host;
        std::string firstMatch;
        std::uint32_t attributes; // 0: the query fails
        std::optional<FsError> failure = std::nullopt;
    } cases[] = {{"C:\\Music\\Song.mp3", song, "Song.mp3", Archive},
                 {"c:\\music\\SONG.mp3", song, "Song.mp3", Archive},
                 {"C:/Music\\Song.mp3", song, "Song.mp3", Archive},
                 {"C:\\\\Music\\\\Song.mp3", song, "Song.mp3", Archive},
                 {"C:\\Music. \\Song.mp3 . ", song, "Song.mp3", Archive},
                 {"C:\\Music\\.\\Album\\..\\Song.mp3", song, "Song.mp3", Archive},
                 {"C:\\..\\..\\Music\\Song.mp3", song, "Song.mp3", Archive},
                 {song, song, "Song.mp3", Archive},
                 {"Z:" + backslashed, song, "Song.mp3", Archive},
                 {backslashed, song, "Song.mp3", Archive},
                 {"Music\\Song.mp3", song, "Song.mp3", Archive},
                 {"..\\home\\music\\song.mp3", song, "Song.mp3", Archive},
                 {"C:Song.mp3", song, "Song.mp3", Archive},
                 {"C:", at("Music"), "", Directory},
                 {"C:\\Music\\.cache\\", at("Music/.cache"), "", Directory | Hidden},
                 {"C:\\music\\ALBUM\\track.MP3", at("Music/Album/Track.mp3"), "Track.mp3", Archive},
                 {"C:\\Music\\dirlink\\Track.mp3", at("Music/dirlink/Track.mp3"), "Track.mp3", Archive},
                 {"C:\\Music\\.hidden.mp3", at("Music/.hidden.mp3"), "", Archive | Hidden},
                 {"C:\\Music\\pipe", at("Music/pipe"), "", System},
                 {"C:\\Music\\link.mp3", at("Music/link.mp3"), "link.mp3", Archive},
                 {"C:\\Music\\dangling.mp3", at("Music/dangling.mp3"), "", ReadOnly | System},
                 {"C:\\music\\New.kvr", at("Music/New.kvr"), "", 0},
                 {"C:\\MUSIC\\CAF\xC9.MP3", at("Music/Caf\xC3\xA9.mp3"), "Caf\xC3\xA9.mp3", Archive},
                 {"C:\\Old\\Caf\xE9.mp3", at("Old/Caf\xE9.mp3"), "Caf\xE9.mp3", Archive},
                 {"C:\\Music\\Twin.mp3", at("Music/Twin.mp3"), "Twin.mp3", Archive},
                 {"C:\\Twin\\a.mp3", at("Twin/a.mp3"), "a.mp3", Archive},
                 {"C:\\Music\\twin.mp3", "", "", 0, FsError::Ambiguous},
                 {"C:\\twin\\a.mp3", "", "", 0, FsError::Ambiguous},
                 {"C:\\Missing\\New.kvr", "", "", 0, FsError::NotFound},
                 {"Q:\\", "", "", 0, FsError::NotFound},
                 {std::string("C:\\a\0b", 6), "", "", 0, FsError::InvalidPath}};
    for (const FileSystem* fileSystem : {&live, &cached}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.path << (fileSystem == &cached ? " cached" : " live"));
            const FsResult<std::string> host = fileSystem->hostPath(c.path);
            EXPECT_EQ(failureOf(host), c.failure);
            EXPECT_EQ(host.ok() ? host.value() : "", c.host);
            EXPECT_EQ(fileSystem->fileExists(c.path),
                      std::filesystem::exists(c.host) && !std::filesystem::is_directory(c.host));
            EXPECT_EQ(fileSystem->firstMatch(c.path), c.firstMatch);
            const FsResult<std::uint32_t> word = fileSystem->attributes(c.path);
            EXPECT_EQ(word.ok() ? word.value() : 0, c.attributes);
        }
        // The first normal file in case-insensitive order: "a.mp3" before "B.mp3".
        EXPECT_EQ(fileSystem->firstMatch("C:\\Music\\*.mp3"), "a.mp3");
        EXPECT_EQ(fileSystem->firstMatch("C:\\Music\\t?in*"), "TWIN.mp3");
        EXPECT_EQ(fileSystem->firstMatch("C:\\Missing\\*"), "");
    }
    EXPECT_EQ(failureOf(fs().renameInFolder("C:\\Music\\twin.mp3", "1.mp3")), FsError::Ambiguous);
}

// The file a job would rename: found by its exact name on disk; anything
// that is not a normal file says what it is instead of "not found".
TEST_F(PathMapping, FindFileSaysWhatIsThere)
{
    write(".ssh/authorized_keys");
    ASSERT_EQ(::link(at("Music/Song.mp3").c_str(), at("Music/Hard.mp3").c_str()), 0);
    const FileSystem cached(FileSystem::View::Snapshot);
    const struct {
        std::string path;
        std::variant<std::string, FsError> found; // the name on disk, or the failure
    } cases[] = {{"C:\\MUSIC\\song.MP3", "Song.mp3"},
                 {"C:\\Music\\caf\xC9.mp3", "Caf\xC3\xA9.mp3"},
                 {"C:\\old\\caf\xE9.MP3", "Caf\xE9.mp3"},
                 {"C:\\Music\\link.mp3", "link.mp3"},
                 {"C:\\Music\\*.mp3", FsError::NotFound},
                 {"C:\\Music\\Missing.mp3", FsError::NotFound},
                 {"C:\\Music\\Song.mp3\\x.mp3", FsError::NotFound},
                 {"Q:\\Music\\Song.mp3", FsError::NotFound},
                 {"C:\\Music\\dangling.mp3", FsError::NotFound},
                 {"C:\\Music\\twin.mp3", FsError::Ambiguous},
                 {"C:\\Music\\.hidden.mp3", FsError::Hidden},
                 {"C:\\.ssh\\authorized_keys", FsError::Hidden},
                 {"C:\\Music\\.cache\\x", FsError::Hidden},
                 {"C:\\Music\\Album", FsError::IsDirectory},
                 {"C:\\Music\\", FsError::IsDirectory},
                 {"C:\\Music\\pipe", FsError::NotRegular},
                 {"C:\\Music\\" + std::string(256, 'n'), FsError::NameTooLong},
                 {"/proc/self/status", FsError::VirtualFiles},
                 {"Z:\\sys\\kernel\\notes", FsError::VirtualFiles}};
    for (const FileSystem* fileSystem : {&fs(), &cached}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.path.substr(0, 40));
            const FsResult<FoundFile> found = fileSystem->findFile(c.path);
            if (const auto* name = std::get_if<std::string>(&c.found))
                EXPECT_EQ(found.ok() ? found.value().name : reasonOf(found), *name);
            else
                EXPECT_EQ(failureOf(found), std::get<FsError>(c.found));
        }
        // One file by two names, or through a link, is one identity.
        EXPECT_EQ(fileSystem->findFile("C:\\Music\\Hard.mp3").value().identity,
                  fileSystem->findFile("C:\\Music\\link.mp3").value().identity);
        EXPECT_NE(fileSystem->findFile("C:\\Music\\a.mp3").value().identity,
                  fileSystem->findFile("C:\\Music\\Song.mp3").value().identity);
    }
}

TEST_F(PathMapping, EachDriveKeepsItsOwnCurrentDirectory)
{
    DriveMap drives({Drive{'c', "/home/me/", "c: [home]"}, Drive{'Z', "/", "z: [/]"}});
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\");
    for (const char* directory : {"c:\\Music\\Lists\\", "C:relative", "Q:\\nowhere", "Z:\\tmp"})
        drives.setCurrentDirectory(directory);
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\Music\\Lists");
    EXPECT_EQ(drives.currentDirectory('Z'), "Z:\\tmp");
}

// The way back from the host: the drive whose root holds the path most
// closely, Z: for the rest; and what it gives maps onto the same file again.
TEST_F(PathMapping, HostPathsAreShownOnTheDriveThatHoldsThemMostClosely)
{
    const DriveMap drives({Drive{'C', "/home/u", "c: [home]"}, Drive{'D', "/home/u/usb", "d: [usb]"},
                           Drive{'E', "/media/cd/", "e: [cd]"}, Drive{'Z', "/", "z: [/]"}});
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/Lists/mix.m3u", "C:\\Lists\\mix.m3u"},
        {"/home/u/mix.m3u", "C:\\mix.m3u"},
        {"/home/u", "C:\\"},
        {"/home/u/", "C:\\"},
        {"/home/u/usb/Lists/mix.kvr", "D:\\Lists\\mix.kvr"},
        {"/home/u/usbstick/mix.m3u", "C:\\usbstick\\mix.m3u"},
        {"/home/user2/mix.m3u", "Z:\\home\\user2\\mix.m3u"},
        {"/media/cd/mix.m3u", "E:\\mix.m3u"},
        {"/home/u/usb/../Lists/./mix.m3u", "C:\\Lists\\mix.m3u"},
        {"/home/u/../../etc//mix.m3u", "Z:\\etc\\mix.m3u"},
        {"/home/u/Caf\xE9 \xC3\xA9/mix.m3u", "C:\\Caf\xE9 \xC3\xA9\\mix.m3u"},
        {"/", "Z:\\"},
        {"mix.m3u", ""},
        {"C:\\Lists\\mix.m3u", ""},
    };
    for (const auto& [host, windows] : cases)
        EXPECT_EQ(drives.windowsPath(host), windows) << host;
    EXPECT_EQ(DriveMap({Drive{'C', "/home/u", "c: [home]"}}).windowsPath("/etc/mix.m3u"), "");

    const std::string song = write("Music/Album/Song.mp3");
    const std::string windows = fs().drives().windowsPath(song);
    EXPECT_EQ(windows, "C:\\Music\\Album\\Song.mp3");
    const FsResult<std::string> back = fs().hostPath(windows);
    EXPECT_EQ(back.ok() ? back.value() : reasonOf(back), song);
}

TEST_F(PathMapping, FileTheUserCannotWriteIsReadOnly)
{
    const std::string path = write("Locked.mp3");
    ::chmod(path.c_str(), 0444);
    // Root writes whatever the permission bits say; the immutable flag binds root too.
    const int fd = ::open(path.c_str(), O_RDONLY);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    const FsResult<std::uint32_t> word = fs().attributes("C:\\Locked.mp3");
    flags &= ~FS_IMMUTABLE_FL;
    if (immutable)
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    if (!immutable && ::geteuid() == 0)
        GTEST_SKIP() << "running as root without the right to mark a file immutable";
    EXPECT_EQ(word.ok() ? word.value() : 0, ReadOnly | Archive);
}

TEST_F(PathMapping, SameFileRecognisesOneFileUnderTwoSpellings)
{
    ASSERT_EQ(::link(at("Music/a.mp3").c_str(), at("Music/hard.mp3").c_str()), 0);
    EXPECT_TRUE(fs().sameFile("C:\\MUSIC\\SONG.MP3", at("Music/Song.mp3")));
    EXPECT_TRUE(fs().sameFile("C:\\Music\\A.mp3", "C:\\Music\\hard.mp3"));
    EXPECT_FALSE(fs().sameFile("C:\\Music\\Song.mp3", "C:\\Music\\a.mp3"));
    EXPECT_FALSE(fs().sameFile("C:\\Music\\missing.kvr", "C:\\Music\\missing.kvr"));
}

} // namespace
} // namespace kavora::platform::test
