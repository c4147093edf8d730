#include "TempTree.h"
#include "platform/LineWriter.h"

#include <filesystem>
#include <sys/stat.h>

namespace kavora::platform::test {
namespace {

using View = FileSystem::View;

class Snapshot : public TempTree {
protected:
    static FileSystem snapshot() { return FileSystem(View::Snapshot); }
};

struct LookupCase {
    const char* path;
    bool exists;
    const char* firstMatch;
};

// Every lookup rule answered from a cached listing must give what the host
// gives; each question is asked twice so that the second answer comes from
// memory.
TEST_F(Snapshot, AnswersEveryLookupAsTheHostDoes)
{
    write("Music/Song.mp3");
    write("Music/.hidden.mp3");
    write("Music/Twin.mp3");
    write("Music/TWIN.mp3");
    write("Music/a.mp3");
    write("Music/B.mp3");
    write("Music/Caf\xC3\xA9.mp3");
    write("Music/Album/Track.mp3");
    const std::string music = home() + "/Music";
    ASSERT_EQ(::mkfifo((music + "/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("Song.mp3", music + "/link.mp3");
    std::filesystem::create_symlink("gone.mp3", music + "/dangling.mp3");
    std::filesystem::create_symlink("Album", music + "/dirlink");

    const LookupCase cases[] = {
        {"C:\\Music\\Song.mp3", true, "Song.mp3"},
        {"c:/MUSIC/song.MP3", true, "Song.mp3"},
        {"C:\\Music\\Song.mp3. ", true, "Song.mp3"},
        {"C:\\Music\\twin.mp3", false, ""}, // ambiguous: never guessed
        {"C:\\Music\\Twin.mp3", true, "Twin.mp3"},
        {"C:\\Music\\.hidden.mp3", true, ""},
        {"C:\\Music\\Album", false, ""},
        {"C:\\music\\ALBUM\\track.MP3", true, "Track.mp3"},
        {"C:\\Music\\dirlink\\Track.mp3", true, "Track.mp3"},
        {"C:\\Music\\pipe", true, ""},
        {"C:\\Music\\link.mp3", true, "link.mp3"},
        {"C:\\Music\\dangling.mp3", false, ""},
        {"C:\\Music\\Caf\xE9.mp3", true, "Caf\xC3\xA9.mp3"},
        {"C:\\Music\\CAF\xC9.MP3", true, "Caf\xC3\xA9.mp3"},
        {"C:\\Music\\Missing.mp3", false, ""},
        {"C:\\Music\\Song.mp3\\inside", false, ""},
        {"C:\\Nowhere\\Song.mp3", false, ""},
        {"C:\\Music\\*.mp3", false, "a.mp3"},
        {"C:\\Music\\t*", false, "TWIN.mp3"},
        {"C:\\Music\\*.ogg", false, ""},
        {"C:\\", false, ""},
    };
    const FileSystem live;
    const FileSystem cached = snapshot();
    for (int round = 0; round < 2; ++round) {
        for (const LookupCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.path << " round " << round);
            EXPECT_EQ(live.fileExists(c.path), c.exists);
            EXPECT_EQ(cached.fileExists(c.path), c.exists);
            EXPECT_EQ(live.firstMatch(c.path), c.firstMatch);
            EXPECT_EQ(cached.firstMatch(c.path), c.firstMatch);
        }
    }
}

TEST_F(Snapshot, OwnRenameIsSeenByLaterLookups)
{
    write("Music/Song.mp3", "music");
    const FileSystem cached = snapshot();
    ASSERT_TRUE(cached.fileExists("C:\\Music\\Song.mp3"));

    ASSERT_TRUE(cached.renameNoReplace("C:\\Music\\song.MP3", "C:\\Music\\012 Song.mp3").ok());
    EXPECT_FALSE(cached.fileExists("C:\\Music\\Song.mp3"));
    EXPECT_FALSE(cached.fileExists("C:\\Music\\SONG.mp3"));
    EXPECT_EQ(cached.firstMatch("C:\\Music\\Song.mp3"), "");
    EXPECT_TRUE(cached.fileExists("C:\\Music\\012 Song.mp3"));
    EXPECT_EQ(cached.firstMatch("c:\\music\\012 SONG.MP3"), "012 Song.mp3");
    EXPECT_EQ(cached.firstMatch("C:\\Music\\*"), "012 Song.mp3");

    // And back, as Remove does within one job.
    ASSERT_TRUE(cached.renameNoReplace("C:\\Music\\012 song.mp3", "C:\\Music\\Song.mp3").ok());
    EXPECT_TRUE(cached.fileExists("C:\\Music\\song.mp3"));
    EXPECT_FALSE(cached.fileExists("C:\\Music\\012 Song.mp3"));
    EXPECT_EQ(read(home() + "/Music/Song.mp3"), "music");
}

TEST_F(Snapshot, RenameKeepsTheCaseIndexRight)
{
    write("Music/Song.mp3", "lower");
    write("Music/SONG.MP3", "upper");
    write("Music/Other.mp3", "other");
    const FileSystem cached = snapshot();

    const FsStatus ambiguous = cached.renameNoReplace("C:\\Music\\song.mp3", "C:\\Music\\001 song.mp3");
    ASSERT_FALSE(ambiguous.ok());
    EXPECT_EQ(ambiguous.failure().code, FsError::Ambiguous);
    EXPECT_TRUE(exists(home() + "/Music/Song.mp3"));
    EXPECT_TRUE(exists(home() + "/Music/SONG.MP3"));

    // One of the twins leaves: the other is now the unique match.
    ASSERT_TRUE(cached.renameNoReplace("C:\\Music\\SONG.MP3", "C:\\Music\\Upper.mp3").ok());
    EXPECT_EQ(cached.firstMatch("C:\\Music\\song.mp3"), "Song.mp3");

    // A rename that makes a twin makes the lookup ambiguous again.
    ASSERT_TRUE(cached.renameNoReplace("C:\\Music\\Other.mp3", "C:\\Music\\sOnG.mp3").ok());
    EXPECT_FALSE(cached.fileExists("C:\\Music\\song.mp3"));
    EXPECT_EQ(cached.firstMatch("C:\\Music\\SONG.mp3"), "");
    EXPECT_EQ(cached.firstMatch("C:\\Music\\sOnG.mp3"), "sOnG.mp3");
}

TEST_F(Snapshot, FileMadeByOthersAfterReadingIsUnseenUntilAFreshObject)
{
    write("Music/First.mp3");
    const FileSystem cached = snapshot();
    const FileSystem live;
    ASSERT_TRUE(cached.fileExists("C:\\Music\\First.mp3"));
    ASSERT_FALSE(cached.fileExists("C:\\Later\\Song.mp3"));

    write("Music/Second.mp3");
    write("Later/Song.mp3");
    for (const char* path : {"C:\\Music\\Second.mp3", "C:\\music\\second.MP3", "C:\\Later\\Song.mp3"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(cached.fileExists(path));
        EXPECT_EQ(cached.firstMatch(path), "");
        EXPECT_TRUE(snapshot().fileExists(path));
        EXPECT_TRUE(live.fileExists(path));
    }
    EXPECT_EQ(live.view(), View::Live);
    EXPECT_EQ(FileSystem().view(), View::Live);
}

TEST_F(Snapshot, TargetMadeByOthersAfterReadingIsNeverReplaced)
{
    const std::string song = write("Music/Song.mp3", "music");
    const FileSystem cached = snapshot();
    ASSERT_FALSE(cached.fileExists("C:\\Music\\001 Song.mp3"));

    const std::string target = write("Music/001 Song.mp3", "precious");
    const FsStatus status = cached.renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\001 Song.mp3");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.failure().code, FsError::TargetExists);
    EXPECT_EQ(read(target), "precious");
    EXPECT_EQ(read(song), "music");
    // The host's answer corrects the snapshot.
    EXPECT_TRUE(cached.fileExists("C:\\Music\\001 Song.mp3"));
    EXPECT_TRUE(cached.fileExists("C:\\Music\\Song.mp3"));
}

TEST_F(Snapshot, SourceRemovedByOthersFailsAndIsForgotten)
{
    const std::string song = write("Music/Song.mp3");
    const FileSystem cached = snapshot();
    ASSERT_TRUE(cached.fileExists("C:\\Music\\Song.mp3"));

    std::filesystem::remove(song);
    const FsStatus status = cached.renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\001 Song.mp3");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.failure().code, FsError::NotFound);
    EXPECT_FALSE(exists(home() + "/Music/001 Song.mp3"));
    EXPECT_FALSE(cached.fileExists("C:\\Music\\Song.mp3"));
    EXPECT_FALSE(cached.fileExists("C:\\Music\\001 Song.mp3"));
}

TEST_F(Snapshot, FileCreatedThroughTheObjectIsSeen)
{
    makeDir("Lists");
    const FileSystem cached = snapshot();
    ASSERT_FALSE(cached.fileExists("C:\\Lists\\Mix.kvr"));
    ASSERT_FALSE(cached.fileExists("C:\\Lists\\Caf\xE9.kvr"));

    for (const char* path : {"C:\\Lists\\Mix.kvr", "C:\\Lists\\Caf\xE9.kvr"}) {
        auto writer = LineWriter::create(cached, path);
        ASSERT_TRUE(writer.ok()) << path;
        ASSERT_TRUE(writer.value()->close().ok());
    }
    EXPECT_TRUE(cached.fileExists("C:\\lists\\MIX.KVR"));
    EXPECT_EQ(cached.firstMatch("C:\\Lists\\*.kvr"), "Caf\xC3\xA9.kvr");
    EXPECT_EQ(cached.firstMatch("C:\\Lists\\CAF\xC9.KVR"), "Caf\xC3\xA9.kvr");
    EXPECT_TRUE(cached.sameFile("C:\\Lists\\mix.kvr", "C:\\Lists\\Mix.kvr"));

    // Emptying an existing file through the object leaves one entry, not two.
    auto again = LineWriter::create(cached, "C:\\Lists\\MIX.KVR");
    ASSERT_TRUE(again.ok());
    ASSERT_TRUE(again.value()->close().ok());
    EXPECT_TRUE(cached.fileExists("C:\\Lists\\mix.kvr"));
    EXPECT_FALSE(exists(home() + "/Lists/MIX.KVR"));
}

// The selection window lists what is on disk now, whatever the object read before.
TEST_F(Snapshot, ListingsAreReadAfresh)
{
    write("Music/First.mp3");
    const FileSystem cached = snapshot();
    ASSERT_TRUE(cached.fileExists("C:\\Music\\First.mp3"));

    write("Music/Second.mp3");
    makeDir("Music/Album");
    const auto files = cached.matchingFiles("C:\\Music", "*.mp3");
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value(), (std::vector<std::string>{"First.mp3", "Second.mp3"}));
    const auto directories = cached.subdirectories("C:\\Music");
    ASSERT_TRUE(directories.ok());
    EXPECT_EQ(directories.value(), std::vector<std::string>{"Album"});
}

// A directory that may be searched but not read still finds exact names.
TEST_F(Snapshot, UnreadableDirectoryStillFindsExactNames)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every directory";
    write("Locked/Song.mp3");
    const std::string locked = home() + "/Locked";
    ASSERT_EQ(::chmod(locked.c_str(), 0311), 0);
    const FileSystem cached = snapshot();
    EXPECT_TRUE(cached.fileExists("C:\\Locked\\Song.mp3"));
    EXPECT_EQ(cached.firstMatch("C:\\Locked\\Song.mp3"), "Song.mp3");
    EXPECT_FALSE(cached.fileExists("C:\\Locked\\song.mp3"));
    EXPECT_TRUE(cached.renameNoReplace("C:\\Locked\\Song.mp3", "C:\\Locked\\001 Song.mp3").ok());
    ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
    EXPECT_TRUE(exists(locked + "/001 Song.mp3"));
}

} // namespace
} // namespace kavora::platform::test
