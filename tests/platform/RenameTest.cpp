#include "TempTree.h"
#include "platform/LineWriter.h"
#include "platform/internal/HostRename.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::platform::test {
namespace {

using internal::renameNoReplaceIn;
using internal::RenameStrategy;
using Names = std::vector<std::string>;

class Rename : public TempTree {};
class Snapshot : public TempTree {};

// From here on this process's renameat2 fails with `error`, as FUSE and some
// network file systems (EINVAL) or an old kernel (ENOSYS) answer it.
void refuseRenameat2(int error)
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    ASSERT_EQ(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0), 0);
    ASSERT_EQ(::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program), 0);
}

// Each way renames and never replaces: the fallbacks forced here on a file
// system that supports everything, and reached as a real one makes them
// reached, with renameat2 refused (in a child, which the filter cannot leave).
// The first rename changes the case only, as a user may.
TEST_F(Rename, EveryStrategyRenamesAndNeverReplaces)
{
    const struct {
        RenameStrategy strategy;
        int renameat2Error;
    } ways[] = {{RenameStrategy::Automatic, 0},
                {RenameStrategy::LinkThenUnlink, 0},
                {RenameStrategy::CheckThenRename, 0},
                {RenameStrategy::Automatic, EINVAL},
                {RenameStrategy::Automatic, ENOSYS}};
    int index = 0;
    for (const auto& [strategy, renameat2Error] : ways) {
        const std::string dir = "S" + std::to_string(index++);
        SCOPED_TRACE(dir);
        write(dir + "/Song.mp3", "music");
        write(dir + "/Other.mp3", "other");
        const int folder = ::open(at(dir).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const auto renameAll = [&, strategy = strategy, renameat2Error = renameat2Error] {
            if (renameat2Error != 0) {
                refuseRenameat2(renameat2Error);
                EXPECT_NE(::syscall(SYS_renameat2, folder, "Song.mp3", folder, "x", 0), 0);
                EXPECT_EQ(errno, renameat2Error);
            }
            ASSERT_TRUE(renameNoReplaceIn(folder, "Song.mp3", "SONG.mp3", strategy).ok());
            EXPECT_EQ(reasonOf(renameNoReplaceIn(folder, "Other.mp3", "SONG.mp3", strategy)),
                      "target exists");
            EXPECT_EQ(failureOf(renameNoReplaceIn(folder, "Song.mp3", "x.mp3", strategy)), FsError::NotFound);
        };
        if (renameat2Error == 0) {
            renameAll();
        } else {
            const pid_t child = ::fork();
            if (child == 0) {
                renameAll();
                ::_exit(::testing::Test::HasFailure() ? 1 : 0);
            }
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        ::close(folder);
        EXPECT_FALSE(exists(at(dir + "/Song.mp3")));
        EXPECT_EQ(read(at(dir + "/SONG.mp3")) + read(at(dir + "/Other.mp3")), "musicother");
    }
}

// The source is found as a path is; the new name is taken as exact bytes, so a
// name in Windows-1252 bytes on disk keeps them both ways.
TEST_F(Rename, InFolderTakesTheNewNameAsItsBytes)
{
    const std::string song = write("Music/Song.mp3", "music");
    write("Music/Caf\xE9.mp3", "legacy");
    EXPECT_EQ(reasonOf(fs().renameInFolder("C:\\Music\\Gone.mp3", "1 Gone.mp3")), "file not found");
    for (const char* name : {"", ".", "..", "a/b", "a\\b"})
        EXPECT_EQ(failureOf(fs().renameInFolder("C:\\Music\\Song.mp3", name)), FsError::InvalidPath) << name;
    EXPECT_EQ(failureOf(fs().renameInFolder("C:\\Music\\Song.mp3", std::string(300, 'n'))),
              FsError::NameTooLong);
    ASSERT_TRUE(fs().renameInFolder("c:/MUSIC/song.MP3", "012 Song.mp3").ok());
    EXPECT_FALSE(exists(song));
    EXPECT_EQ(read(at("Music/012 Song.mp3")), "music");
    EXPECT_EQ(reasonOf(fs().renameInFolder("C:\\Music\\Caf\xE9.mp3", "012 Song.mp3")), "target exists");
    ASSERT_TRUE(fs().renameInFolder("C:\\Music\\Caf\xE9.mp3", "001 Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/001 Caf\xE9.mp3")), "legacy");
    ASSERT_TRUE(fs().renameInFolder("C:\\Music\\001 Caf\xE9.mp3", "Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/Caf\xE9.mp3")), "legacy");
}

// Two names for one inode that differ in case are what a case-insensitive file
// system shows for a case-only rename; the detour through a temporary name meets
// a real second name here and must put the file back where it was.
TEST_F(Rename, CaseOnlyDetourThatMeetsAnotherNameLeavesEverythingInPlace)
{
    const std::string lower = write("Music/a.mp3", "music");
    ASSERT_EQ(::link(lower.c_str(), at("Music/A.mp3").c_str()), 0);
    const int folder = ::open(at("Music").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(failureOf(renameNoReplaceIn(folder, "a.mp3", "A.mp3")), FsError::TargetExists);
    ::close(folder);
    EXPECT_EQ(read(lower), "music");
    EXPECT_EQ(read(at("Music/A.mp3")), "music");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("Music")), {}), 2);
}

// Its own renames and the files it creates keep the snapshot's case index
// right: a twin that leaves makes the other the unique match, a rename can
// make a twin, and a file created under another spelling is the same file.
TEST_F(Snapshot, OwnChangesAreSeenAndKeepTheCaseIndexRight)
{
    write("Music/Song.mp3", "music");
    write("Music/SONG.MP3", "upper");
    write("Music/Other.mp3", "other");
    const FileSystem cached(FileSystem::View::Snapshot);
    EXPECT_EQ(failureOf(cached.renameInFolder("C:\\Music\\song.mp3", "1 s.mp3")), FsError::Ambiguous);
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
    for (const char* path : {"C:\\Music\\Mix.kvr", "C:\\Music\\Caf\xE9.kvr", "C:\\Music\\MIX.KVR"}) {
        auto writer = LineWriter::create(cached, path);
        ASSERT_TRUE(writer.ok() && writer.value()->close().ok()) << path;
    }
    EXPECT_TRUE(cached.fileExists("C:\\music\\mix.kvr")) << "emptied, not made twice";
    EXPECT_FALSE(exists(at("Music/MIX.KVR")));
    EXPECT_EQ(cached.firstMatch("C:\\Music\\*.kvr"), "Caf\xC3\xA9.kvr");
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
