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
// fifo, symbolic links, a UTF-8 name (composed, and one decomposed as macOS
// writes it) and one stored in Windows-1252 bytes.
class PathMapping : public TempTree {
protected:
    void SetUp() override
    {
        TempTree::SetUp();
        for (const char* name :
             {"Music/Song.mp3", "Music/.hidden.mp3", "Music/Twin.mp3", "Music/TWIN.mp3", "Music/a.mp3",
              "Music/B.mp3", "Music/Caf\xC3\xA9.mp3", "Music/Album/Track.mp3", "Music/.cache/x",
              "Old/Caf\xE9.mp3", "Twin/a.mp3", "TWIN/b.mp3", "Mac/Cafe\xCC\x81.mp3"})
            write(name);
        makeFifo("Music/pipe");
        std::filesystem::create_symlink("Song.mp3", at("Music/link.mp3"));
        std::filesystem::create_symlink("gone.mp3", at("Music/dangling.mp3"));
        std::filesystem::create_symlink("Album", at("Music/dirlink"));
    }
};

// Drive letters, host paths, relative paths, both separators, trailing dots and
// spaces, dot components, case-insensitive names never guessed when several
// match, composed and decomposed letters alike (the name on disk is the one
// found), Windows-1252 texts that find their UTF-8 names; which names are files
// (anything but a directory) and normal files, and their attribute words. Asked
// live and of a snapshot, which answers all but its first question from memory.
TEST_F(PathMapping, EntriesMapOntoTheHostAsWindowsWouldFindThem)
{
    const std::string song = at("Music/Song.mp3");
    std::string backslashed = song;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    const std::string driveZ = "Z:" + backslashed;
    std::filesystem::current_path(home());
    DriveMap drives = DriveMap::fromEnvironment();
    drives.setCurrentDirectory("C:\\Music");
    const FileSystem live(drives);
    const FileSystem cached(drives, FileSystem::View::Snapshot);
    struct Case {
        std::string path;
        std::string host;
        std::string firstMatch;
        std::uint32_t attributes; // 0: the query fails
        std::optional<FsError> failure = std::nullopt;
    };
    std::vector<Case> cases = {
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
        {"C:\\Music\\cafe\xCC\x81.MP3", at("Music/Caf\xC3\xA9.mp3"), "Caf\xC3\xA9.mp3", Archive},
        {"C:\\Mac\\CAF\xC3\x89.mp3", at("Mac/Cafe\xCC\x81.mp3"), "Cafe\xCC\x81.mp3", Archive},
        {"C:\\Music\\Twin.mp3", at("Music/Twin.mp3"), "Twin.mp3", Archive},
        {"C:\\Twin\\a.mp3", at("Twin/a.mp3"), "a.mp3", Archive},
        {"C:\\Music\\twin.mp3", "", "", 0, FsError::Ambiguous},
        {"C:\\twin\\a.mp3", "", "", 0, FsError::Ambiguous},
        {"C:\\Missing\\New.kvr", "", "", 0, FsError::NotFound},
        {"Q:\\", "", "", 0, FsError::NotFound},
        {std::string("C:\\a\0b", 6), "", "", 0, FsError::InvalidPath}};
    // Every spelling of the one file Music\Song.mp3: drive, host and relative paths.
    for (const std::string& path : std::initializer_list<std::string>{
             "C:\\Music\\Song.mp3", "C:/Music\\Song.mp3", "C:\\\\Music\\\\Song.mp3",
             "C:\\Music. \\Song.mp3 . ", "C:\\Music\\.\\Album\\..\\Song.mp3", "C:\\..\\..\\Music\\Song.mp3",
             song, driveZ, backslashed, "Music\\Song.mp3", "..\\home\\music\\song.mp3", "C:Song.mp3"})
        cases.push_back({path, song, "Song.mp3", Archive});
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
// that is not a normal file says what it is instead of "not found". One file
// by two names, or through a link, is one identity and one file.
TEST_F(PathMapping, FindFileSaysWhatIsThere)
{
    ASSERT_EQ(::link(at("Music/Song.mp3").c_str(), at("Music/Hard.mp3").c_str()), 0);
    const FileSystem cached(FileSystem::View::Snapshot);
    using Found = std::variant<std::string, FsError>; // the name on disk, or the failure
    const std::pair<std::string, Found> cases[] = {
        {"C:\\MUSIC\\song.MP3", "Song.mp3"},
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
        {"C:\\Music\\.cache\\x", FsError::Hidden},
        {"C:\\Music\\Album", FsError::IsDirectory},
        {"C:\\Music\\", FsError::IsDirectory},
        {"C:\\Music\\pipe", FsError::NotRegular},
        {"C:\\Music\\" + std::string(256, 'n'), FsError::NameTooLong},
        {"/proc/self/status", FsError::VirtualFiles},
        {"Z:\\sys\\kernel\\notes", FsError::VirtualFiles}};
    for (const FileSystem* fileSystem : {&fs(), &cached}) {
        for (const auto& [path, expected] : cases) {
            const FsResult<FoundFile> found = fileSystem->findFile(path);
            EXPECT_EQ(found ? Found(found.value().name) : Found(found.failure().code), expected) << path;
        }
        EXPECT_EQ(fileSystem->findFile("C:\\Music\\Hard.mp3").value().identity,
                  fileSystem->findFile("C:\\Music\\link.mp3").value().identity);
        EXPECT_NE(fileSystem->findFile("C:\\Music\\a.mp3").value().identity,
                  fileSystem->findFile("C:\\Music\\Song.mp3").value().identity);
    }
    EXPECT_TRUE(fs().sameFile("C:\\MUSIC\\SONG.MP3", at("Music/Hard.mp3")));
    EXPECT_FALSE(fs().sameFile("C:\\Music\\Song.mp3", "C:\\Music\\a.mp3"));
    EXPECT_FALSE(fs().sameFile("C:\\Music\\missing.kvr", "C:\\Music\\missing.kvr"));
}

// Each drive keeps a current directory of its own. The way back from the
// host: the drive whose root holds the path most closely, Z: for the rest.
TEST_F(PathMapping, DrivesKeepTheirCurrentDirectoryAndShowHostPathsOnTheClosestDrive)
{
    DriveMap drives({Drive{'c', "/home/u", "c: [home]"}, Drive{'D', "/home/u/usb", "d: [usb]"},
                     Drive{'E', "/media/cd/", "e: [cd]"}, Drive{'Z', "/", "z: [/]"}});
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\");
    for (const char* directory : {"c:\\Music\\Lists\\", "C:relative", "Q:\\nowhere", "Z:\\tmp"})
        drives.setCurrentDirectory(directory);
    EXPECT_EQ(drives.currentDirectory('C'), "C:\\Music\\Lists");
    EXPECT_EQ(drives.currentDirectory('Z'), "Z:\\tmp");
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/Lists/mix.m3u", "C:\\Lists\\mix.m3u"},
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
        {"C:\\Lists\\mix.m3u", ""}};
    for (const auto& [host, windows] : cases)
        EXPECT_EQ(drives.windowsPath(host), windows) << host;
    EXPECT_EQ(DriveMap({Drive{'C', "/home/u", "c: [home]"}}).windowsPath("/etc/mix.m3u"), "");

    // C: is HOME, and EntriesMapOntoTheHostAsWindowsWouldFindThem maps the path back.
    EXPECT_EQ(fs().drives().windowsPath(at("Music/Song.mp3")), "C:\\Music\\Song.mp3");
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

using Names = std::vector<std::string>;

class Listing : public TempTree {};

// Only ordinary files are listed, and every folder, in case-insensitive
// order; a link counts as what it points to, several patterns give one list.
TEST_F(Listing, OrdinaryFilesAndSubdirectoriesInCaseInsensitiveOrder)
{
    for (const char* name :
         {"b.m3u", "A.M3U", "C.m3u", "c.kvr", "B.M3U8", ".hidden.m3u8", "Dir/x", "alpha/x", ".config/x"})
        write(std::string("Lists/") + name);
    makeFifo("Lists/pipe.m3u");
    std::filesystem::create_symlink("b.m3u", at("Lists/link.m3u"));
    std::filesystem::create_symlink("nowhere", at("Lists/dangling.m3u"));
    std::filesystem::create_symlink("Dir", at("Lists/linked"));
    EXPECT_EQ(fs().matchingFiles("C:\\lists", "*.m3u").value(),
              (Names{"A.M3U", "b.m3u", "C.m3u", "link.m3u"}));
    EXPECT_EQ(fs().matchingFiles("C:\\Lists\\", "*.*").value(),
              (Names{"A.M3U", "b.m3u", "B.M3U8", "c.kvr", "C.m3u", "link.m3u"}));
    // A name that matches two of the patterns is listed once.
    const std::string_view playlists[] = {"*.m3u8", "*.m3u", "b*"};
    EXPECT_EQ(fs().matchingFiles("C:\\Lists", playlists).value(),
              (Names{"A.M3U", "b.m3u", "B.M3U8", "C.m3u", "link.m3u"}));
    EXPECT_EQ(fs().subdirectories("C:\\Lists").value(), (Names{".config", "alpha", "Dir", "linked"}));
    EXPECT_EQ(failureOf(fs().matchingFiles("C:\\Missing", "*.*")), FsError::NotFound);
    EXPECT_EQ(failureOf(fs().matchingFiles("C:\\Lists\\b.m3u", "*.*")), FsError::NotADirectory);
    EXPECT_EQ(failureOf(fs().subdirectories("")), FsError::InvalidPath);
}

} // namespace
} // namespace kavora::platform::test
