#include "TempTree.h"
#include "platform/LineWriter.h"

namespace kavora::platform::test {
namespace {

using Names = std::vector<std::string>;

class Snapshot : public TempTree {};

TEST_F(Snapshot, OwnRenamesAreSeenAndKeepTheCaseIndexRight)
{
    write("Music/Song.mp3", "music");
    write("Music/SONG.MP3", "upper");
    write("Music/Other.mp3", "other");
    const FileSystem cached(FileSystem::View::Snapshot);
    EXPECT_EQ(failureOf(cached.renameInFolder("C:\\Music\\song.mp3", "1 s.mp3")), FsError::Ambiguous);
    // One of the twins leaves: the other is now the unique match.
    ASSERT_TRUE(cached.renameInFolder("C:\\Music\\SONG.MP3", "Upper.mp3").ok());
    ASSERT_TRUE(cached.renameInFolder("C:\\Music\\song.MP3", "012 Song.mp3").ok());
    EXPECT_FALSE(cached.fileExists("C:\\Music\\SONG.mp3"));
    EXPECT_EQ(cached.firstMatch("c:\\music\\012 SONG.MP3"), "012 Song.mp3");
    // And back, as Remove does within one job; then a rename that makes a twin.
    ASSERT_TRUE(cached.renameInFolder("C:\\Music\\012 song.mp3", "Song.mp3").ok());
    EXPECT_EQ(cached.firstMatch("C:\\Music\\*"), "Other.mp3");
    EXPECT_EQ(cached.firstMatch("C:\\Music\\song.mp3"), "Song.mp3");
    ASSERT_TRUE(cached.renameInFolder("C:\\Music\\Other.mp3", "sOnG.mp3").ok());
    EXPECT_FALSE(cached.fileExists("C:\\Music\\song.mp3"));
    EXPECT_EQ(cached.firstMatch("C:\\Music\\sOnG.mp3"), "sOnG.mp3");
    EXPECT_EQ(read(at("Music/Song.mp3")), "music");
}

TEST_F(Snapshot, ChangesByOthersAreNeverAssumed)
{
    write("Music/First.mp3", "music");
    const std::string gone = write("Music/Gone.mp3");
    const FileSystem cached(FileSystem::View::Snapshot);
    ASSERT_TRUE(cached.fileExists("C:\\Music\\Gone.mp3"));
    ASSERT_FALSE(cached.fileExists("C:\\Later\\Song.mp3"));
    write("Music/Second.mp3");
    write("Later/Song.mp3");
    write("Music/001 First.mp3", "precious");
    std::filesystem::remove(gone);

    for (const char* path : {"C:\\music\\second.MP3", "C:\\Later\\Song.mp3"})
        EXPECT_TRUE(!cached.fileExists(path) && FileSystem(FileSystem::View::Snapshot).fileExists(path))
            << path;
    // A target that appeared is never replaced; the host's answer corrects the snapshot.
    EXPECT_EQ(reasonOf(cached.renameInFolder("C:\\Music\\First.mp3", "001 First.mp3")), "target exists");
    EXPECT_EQ(read(at("Music/001 First.mp3")), "precious");
    EXPECT_EQ(read(at("Music/First.mp3")), "music");
    EXPECT_TRUE(cached.fileExists("C:\\Music\\001 First.mp3"));
    // A source that went fails and is forgotten.
    EXPECT_EQ(failureOf(cached.renameInFolder("C:\\Music\\Gone.mp3", "1 Gone.mp3")), FsError::NotFound);
    EXPECT_FALSE(exists(at("Music/1 Gone.mp3")));
    EXPECT_FALSE(cached.fileExists("C:\\Music\\Gone.mp3"));
    // The selection window lists what is on disk now.
    EXPECT_EQ(cached.matchingFiles("C:\\Music", "S*").value(), Names{"Second.mp3"});
    EXPECT_EQ(cached.subdirectories("C:\\").value(), (Names{"Later", "Music"}));
}

TEST_F(Snapshot, FileCreatedThroughTheObjectIsSeenOnce)
{
    write("Lists/x.m3u");
    const FileSystem cached(FileSystem::View::Snapshot);
    ASSERT_FALSE(cached.fileExists("C:\\Lists\\Caf\xE9.kvr"));
    for (const char* path : {"C:\\Lists\\Mix.kvr", "C:\\Lists\\Caf\xE9.kvr", "C:\\Lists\\MIX.KVR"}) {
        auto writer = LineWriter::create(cached, path);
        ASSERT_TRUE(writer.ok() && writer.value()->close().ok()) << path;
    }
    EXPECT_TRUE(cached.fileExists("C:\\lists\\mix.kvr")) << "emptied, not made twice";
    EXPECT_FALSE(exists(at("Lists/MIX.KVR")));
    EXPECT_EQ(cached.firstMatch("C:\\Lists\\*.kvr"), "Caf\xC3\xA9.kvr");
}

// A dry run sees its own renames, refuses what the host would refuse, and
// changes nothing on disk.
TEST_F(Snapshot, DryRunRenamesInTheSnapshotOnly)
{
    write("Music/Song.mp3", "music");
    write("Music/001 Taken.mp3", "taken");
    write("Music/Taken.mp3", "other");
    const FileSystem dryRun(FileSystem::View::DryRun);
    ASSERT_TRUE(dryRun.renameInFolder("C:\\Music\\song.mp3", "001 Song.mp3").ok());
    EXPECT_EQ(failureOf(dryRun.findFile("C:\\Music\\Song.mp3")), FsError::NotFound);
    const FsResult<FoundFile> renamed = dryRun.findFile("C:\\Music\\001 song.mp3");
    EXPECT_EQ(renamed.ok() ? renamed.value().name : reasonOf(renamed), "001 Song.mp3");
    EXPECT_EQ(reasonOf(dryRun.renameInFolder("C:\\Music\\Taken.mp3", "001 Taken.mp3")), "target exists");
    EXPECT_EQ(failureOf(dryRun.renameInFolder("C:\\Music\\Taken.mp3", std::string(300, 'n'))),
              FsError::NameTooLong);
    ASSERT_TRUE(dryRun.renameInFolder("C:\\Music\\001 Song.mp3", "Song.mp3").ok());
    EXPECT_EQ(read(at("Music/Song.mp3")), "music");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("Music")), {}), 3);
}

} // namespace
} // namespace kavora::platform::test
