#include "platform/qt/SingleInstance.h"

#include "platform/qt/InstanceLock.h"
#include "platform/qt/InstanceRequest.h"
#include "platform/qt/LocalSocket.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::platform {
namespace {

using namespace std::string_literals; // "..."s keeps the NULs inside a message
using Kind = InstanceRequest::Kind;

const QString kTitle = QStringLiteral("Kavora 1.0");

std::string encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string reasonOf(const FsStatus& status)
{
    return status.ok() ? "" : status.failure().reason;
}

// A connection to `socketPath` made in a child process; -1 when it failed.
int connectTo(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
        return -1;
    return descriptor;
}

// True when the other end closes `descriptor` within `timeoutMs`.
bool closedByPeer(int descriptor, int timeoutMs)
{
    pollfd waiting{descriptor, POLLIN, 0};
    char byte = 0;
    return ::poll(&waiting, 1, timeoutMs) == 1 && ::read(descriptor, &byte, 1) <= 0;
}

long openDescriptors()
{
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return std::distance(std::filesystem::begin(entries), std::filesystem::end(entries));
}

// The exit status of a child, waited for while the event loop runs.
int exitStatusOf(pid_t child, int timeoutMs)
{
    int status = -1;
    if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, timeoutMs)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a second start sends, and which messages the running copy takes: only
// a known kind with exactly as many bytes as its length says, and for a
// playlist a path without NUL of at most 32,767 bytes.
TEST(InstanceRequest, OnlyWellFormedRequestsAreRead)
{
    const std::string longest(kLongestPlaylistPath, 'a');
    const std::pair<InstanceRequest, std::string> wellFormed[] = {
        {{}, "\x01\0\0\0\0"s},
        {{Kind::OpenPlaylist, "/home/u/mix.m3u"}, "\x02\0\0\0\x0f/home/u/mix.m3u"s},
        {{Kind::OpenPlaylist, longest}, "\x02\0\0\x7f\xff"s + longest},
    };
    for (const auto& [request, message] : wellFormed) {
        EXPECT_EQ(encodeRequest(request), message) << request.playlist.size();
        const std::optional<InstanceRequest> read = decodeRequest(message);
        ASSERT_TRUE(read.has_value()) << request.playlist.size();
        EXPECT_EQ(std::pair(read->kind, read->playlist), std::pair(request.kind, request.playlist));
    }
    const std::pair<const char*, std::string> malformed[] = {
        {"nothing", ""},
        {"header cut short", "\x01\0\0\0"s},
        {"kind 0", "\0\0\0\0\0"s},
        {"kind 3", "\x03\0\0\0\x01x"s},
        {"the old request line", "restore-and-foreground\n"},
        {"restore with bytes", "\x01\0\0\0\x01x"s},
        {"length larger than the bytes", "\x02\0\0\0\x10/home/u/mix.m3u"s},
        {"length smaller than the bytes", "\x02\0\0\0\x0e/home/u/mix.m3u"s},
        {"length of four gigabytes", "\x02\xff\xff\xff\xff/x"s},
        {"empty path", "\x02\0\0\0\0"s},
        {"NUL in the path", "\x02\0\0\0\3a\0b"s},
        {"oversized path", "\x02\0\0\x80\0"s + longest + "a"},
    };
    for (const auto& [what, message] : malformed)
        EXPECT_FALSE(decodeRequest(message).has_value()) << what;

    // What would be dropped is not sent.
    for (const std::string& path : {""s, longest + "a", "a\0b"s})
        EXPECT_EQ(encodeRequest({Kind::OpenPlaylist, path}), "") << path.size();
    // A restore request carries no path, whatever the record holds.
    EXPECT_EQ(encodeRequest({Kind::RestoreAndForeground, "/x"}), "\x01\0\0\0\0"s);
}

// A fresh HOME with a private runtime folder, and a temporary folder of the
// test's own.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_run) && QDir().mkpath(m_temporary));
        ASSERT_EQ(::chmod(encoded(m_run).c_str(), 0700), 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_run));
        qputenv("TMPDIR", QFile::encodeName(m_temporary));
    }
    void TearDown() override { qunsetenv("TMPDIR"); }

    QTemporaryDir m_home;
    const QString m_run = m_home.filePath(QStringLiteral("run"));
    const QString m_temporary = m_home.filePath(QStringLiteral("tmp"));
    const unsigned m_user = static_cast<unsigned>(::getuid());
    const QString m_fallback = m_temporary + QStringLiteral("/kavora-%1").arg(m_user);
};

// Two copies started at the same moment: the second one's lookup is held back
// until the first has claimed the title, and then finds it promptly. A holder
// that dies (here between lookup and claim) frees the lock at once.
TEST_F(SingleInstanceTest, SimultaneousStartsAreSerializedAndADeadHolderBlocksNobody)
{
    const QString path = instanceSocketPath(kTitle);
    SingleInstance first(path);
    SingleInstance second(path);
    EXPECT_FALSE(first.findRunningCopy());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(second.findRunningCopy({}, 200));
    EXPECT_GE(timer.elapsed(), 200) << "the second lookup did not wait for the first claim";
    ASSERT_TRUE(first.claim());
    // Promptly: a claim that kept the lock would hold the lookup to its timeout.
    timer.restart();
    EXPECT_TRUE(second.findRunningCopy({}, 2000));
    EXPECT_LT(timer.elapsed(), 500) << "the first copy still held the lock after claiming";

    InstanceLock lock(encoded(path + ".dead"));
    const pid_t holder = ::fork();
    if (holder == 0) { // holds the lock until killed
        if (lock.tryLock(5000))
            ::pause();
        ::_exit(0);
    }
    const auto heldElsewhere = [&] {
        const bool taken = lock.tryLock(0);
        lock.unlock();
        return !taken;
    };
    EXPECT_TRUE(QTest::qWaitFor(heldElsewhere, 5000));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(lock.tryLock(0));
}

// Without a runtime folder private to the user, the socket lives in a folder
// of the user's own in the temporary folder, made 0700, never at the shared
// name it once had, where anyone may listen. A folder there that is a link,
// no folder or open to others is refused: nobody is found, nothing claimed.
TEST_F(SingleInstanceTest, TheSocketLivesOnlyInAFolderPrivateToTheUser)
{
    LocalListener squatter;
    ASSERT_TRUE(squatter.listen(encoded(instanceSocketPath(kTitle, m_temporary, m_user))));
    const struct {
        const char* what;
        std::function<void()> make;
        std::string refusal; // empty: claimed
    } places[] = {
        {"runtime folder open to others", [&] { ::chmod(encoded(m_run).c_str(), 0755); }, ""},
        {"no runtime folder", [] { qunsetenv("XDG_RUNTIME_DIR"); }, ""},
        {"folder open to others", [&] { ::mkdir(encoded(m_fallback).c_str(), 0755); }, "open to other users"},
        {"link to a private folder", [&] { QFile::link(m_run, m_fallback); }, "a link, not a folder"},
        {"file", [&] { std::ofstream(encoded(m_fallback)) << "x"; }, "not a folder"},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.what);
        place.make();
        const QString path = instanceSocketPath(kTitle);
        EXPECT_EQ(QFileInfo(path).path(), m_fallback);
        {
            SingleInstance instance(path);
            EXPECT_FALSE(instance.findRunningCopy({}, 200));
            EXPECT_EQ(instance.claim(), place.refusal.empty());
            EXPECT_EQ(reasonOf(instance.placeStatus()), place.refusal);
            struct stat folder {};
            EXPECT_EQ(::lstat(encoded(m_fallback).c_str(), &folder) == 0 && (folder.st_mode & 07777) == 0700,
                      place.refusal.empty());
        }
        std::filesystem::remove_all(encoded(m_fallback));
    }
    EXPECT_EQ(squatter.acceptConnection(), LocalListener::kNoneWaiting) << "the squatter was asked";
}

// As root, acting as another user: a folder of that user's is refused, and a
// peer of that user that reaches the socket (through folders opened up for
// it) is cut off before its request is read; this user's requests come
// through.
TEST_F(SingleInstanceTest, AnotherUsersFolderAndPeerAreRefused)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    constexpr uid_t kOther = 65534;
    ASSERT_EQ(::mkdir(encoded(m_fallback).c_str(), 0700), 0);
    ASSERT_EQ(::chown(encoded(m_fallback).c_str(), kOther, kOther), 0);
    SingleInstance foreign(instanceSocketPath(kTitle, m_fallback, m_user));
    EXPECT_FALSE(foreign.findRunningCopy({}, 200));
    EXPECT_FALSE(foreign.claim());
    EXPECT_EQ(reasonOf(foreign.placeStatus()), "owned by another user");

    SingleInstance running(instanceSocketPath(kTitle));
    ASSERT_TRUE(running.claim());
    QSignalSpy restored(&running, &SingleInstance::restoreAndForegroundRequested);
    QSignalSpy opened(&running, &SingleInstance::openPlaylistRequested);
    const std::string socket = encoded(running.socketPath());
    ASSERT_EQ(::chmod(encoded(m_home.path()).c_str(), 0711), 0);
    ASSERT_EQ(::chmod(encoded(m_run).c_str(), 0711), 0);
    ASSERT_EQ(::chmod(socket.c_str(), 0666), 0);
    const std::string request = encodeRequest({Kind::OpenPlaylist, "/tmp/mix.m3u"});
    const pid_t peer = ::fork();
    if (peer == 0) {
        if (::setgid(kOther) != 0 || ::setuid(kOther) != 0)
            ::_exit(2);
        const int connection = connectTo(socket);
        if (connection < 0)
            ::_exit(3);
        // Whole and sent: only the credentials can keep it from being taken.
        (void)::send(connection, request.data(), request.size(), MSG_NOSIGNAL);
        ::shutdown(connection, SHUT_WR);
        ::_exit(closedByPeer(connection, 5000) ? 0 : 4);
    }
    EXPECT_EQ(exitStatusOf(peer, 10000), 0) << "2: no other user, 3: no connection, 4: not cut off";
    EXPECT_EQ(opened.count() + restored.count(), 0);
    ASSERT_TRUE(sendToLocalListener(socket, request, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.count() == 1; }, 5000));
}

// A client holding 1,100 connections that send nothing, more than this copy
// has descriptors: a few are served at a time and the idle ones are closed,
// the event loop does not spin, and a request sent behind them comes through.
TEST_F(SingleInstanceTest, AFloodOfIdleConnectionsNeitherSpinsNorBlocks)
{
    constexpr int kFlood = 1100;
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    if (old.rlim_max < kFlood + 100)
        GTEST_SKIP() << "the client needs a limit of more than 1,100 descriptors";
    const rlimit limited{1024, old.rlim_max}, raised{kFlood + 100, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limited), 0);
    SingleInstance running(instanceSocketPath(kTitle));
    ASSERT_TRUE(running.claim());
    QSignalSpy restored(&running, &SingleInstance::restoreAndForegroundRequested);
    const std::string socket = encoded(running.socketPath());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t client = ::fork();
    if (client == 0) {
        int connections[kFlood];
        if (::setrlimit(RLIMIT_NOFILE, &raised) != 0)
            ::_exit(2);
        for (int& connection : connections)
            if ((connection = connectTo(socket)) < 0)
                ::_exit(2);
        (void)::write(ready[1], "+", 1);
        for (const int connection : connections)
            if (!closedByPeer(connection, 10000))
                ::_exit(3);
        ::_exit(0);
    }
    const long descriptorsBefore = openDescriptors();
    long mostDescriptors = 0;
    const auto waitWatching = [&](const std::function<bool()>& done, int timeoutMs) {
        return QTest::qWaitFor(
            [&] {
                mostDescriptors = std::max(mostDescriptors, openDescriptors());
                return done();
            },
            timeoutMs);
    };
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    pollfd connected{ready[0], POLLIN, 0};
    EXPECT_TRUE(waitWatching([&] { return ::poll(&connected, 1, 0) == 1; }, 10000));
    EXPECT_TRUE(sendToLocalListener(socket, encodeRequest({}), 2000));
    EXPECT_TRUE(waitWatching([&] { return restored.count() == 1; }, 5000));
    EXPECT_LE(mostDescriptors - descriptorsBefore, 8) << "connections open at once";
    EXPECT_EQ(exitStatusOf(client, 15000), 0) << "2: no connection, 3: an idle one left open";
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const auto cpuMs = [](const rusage& usage) {
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    };
    EXPECT_LT(cpuMs(after) - cpuMs(before), wall.elapsed() / 2) << "ms of CPU in " << wall.elapsed();
    ::setrlimit(RLIMIT_NOFILE, &old);
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace kavora::platform
