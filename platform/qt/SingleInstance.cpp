#include "platform/qt/SingleInstance.h"

#include "platform/qt/PrivateFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace kavora::platform {

namespace {

// A second start sends its request at once and hangs up; a connection that
// has not done so by then is let go.
constexpr int kConnectionDeadlineMs = 2000;
// Connections served at a time; a newer one pushes the oldest out.
constexpr std::size_t kConnectionsAtOnce = 4;
// Taken per turn of the event loop, so that a flood of them cannot hold the
// window.
constexpr int kAcceptsPerTurn = 16;
// The wait after an accept failed for want of descriptors: the connection
// still waiting would wake the event loop again at once.
constexpr int kAcceptPauseMs = 200;

std::string encodedPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString instanceSocketPath(const QString& windowTitle, const QString& folder, unsigned userId)
{
    // The title may hold any characters; its digest keeps the name short and
    // safe as a file name (a socket path has room for about 100 bytes).
    const QByteArray digest =
        QCryptographicHash::hash(windowTitle.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString name = QStringLiteral("kavora-%1-%2").arg(userId).arg(QString::fromLatin1(digest));
    return QDir(folder).filePath(name);
}

QString instanceSocketPath(const QString& windowTitle)
{
    const auto userId = static_cast<unsigned>(::getuid());
    // Without a runtime folder of this user's own (su and sudo shells, cron),
    // a folder of its own in the shared temporary folder: a name there
    // anyone could take first, so it is checked before each use.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !checkPrivateFolder(encodedPath(folder)).ok())
        folder = QDir(QDir::tempPath()).filePath(QStringLiteral("kavora-%1").arg(userId));
    return instanceSocketPath(windowTitle, folder, userId);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)),
      m_lock(encodedPath(m_socketPath + QStringLiteral(".lock")))
{
}

SingleInstance::~SingleInstance()
{
    for (const auto& [connection, state] : m_connections)
        closeConnection(connection);
}

bool SingleInstance::placeIsPrivate()
{
    m_placeStatus = makePrivateFolder(encodedPath(QFileInfo(m_socketPath).path()));
    return m_placeStatus.ok();
}

bool SingleInstance::findRunningCopy(const InstanceRequest& request, int timeoutMs)
{
    // A listener in a folder that others can write to may be anyone's.
    if (!placeIsPrivate())
        return false;
    // Without the lock (a full or read-only directory) the lookup still works;
    // only the protection against two simultaneous starts is lost.
    (void)m_lock.tryLock(timeoutMs);
    std::string message = encodeRequest(request);
    if (message.empty())
        message = encodeRequest({});
    return sendToLocalListener(encodedPath(m_socketPath), message, timeoutMs);
}

bool SingleInstance::claim()
{
    // Called after findRunningCopy() found nobody, so a file still at the path
    // is left from a copy that ended without removing it; listen() replaces it.
    const bool listening =
        m_listener.isListening() || (placeIsPrivate() && m_listener.listen(encodedPath(m_socketPath)));
    if (listening && m_listenerNotifier == nullptr) {
        m_listenerNotifier = new QSocketNotifier(m_listener.descriptor(), QSocketNotifier::Read, this);
        connect(m_listenerNotifier, &QSocketNotifier::activated, this,
                [this] { acceptConnections(kAcceptsPerTurn); });
    }
    m_lock.unlock();
    return listening;
}

bool SingleInstance::isListening() const
{
    return m_listener.isListening();
}

void SingleInstance::readWaitingRequests()
{
    std::vector<int> open;
    for (const auto& [connection, state] : m_connections)
        open.push_back(connection);
    for (const int connection : open)
        readRequest(connection, false);
    acceptConnections(-1);
}

void SingleInstance::acceptConnections(int most)
{
    for (int taken = 0; taken != most; ++taken) {
        const int connection = m_listener.acceptConnection();
        if (connection == LocalListener::kAcceptFailed) {
            m_listenerNotifier->setEnabled(false);
            QTimer::singleShot(kAcceptPauseMs, m_listenerNotifier,
                               [notifier = m_listenerNotifier] { notifier->setEnabled(true); });
        }
        if (connection < 0)
            return;
        const std::uint64_t serial = ++m_lastSerial;
        auto* notifier = new QSocketNotifier(connection, QSocketNotifier::Read, this);
        m_connections[connection] = Connection{notifier, {}, serial};
        connect(notifier, &QSocketNotifier::activated, this,
                [this, connection] { readRequest(connection, false); });
        QTimer::singleShot(kConnectionDeadlineMs, this, [this, connection, serial] {
            const auto found = m_connections.find(connection);
            if (found != m_connections.end() && found->second.serial == serial)
                readRequest(connection, true);
        });
        if (m_connections.size() > kConnectionsAtOnce) {
            std::pair oldest(serial, connection);
            for (const auto& [open, state] : m_connections)
                oldest = std::min(oldest, std::pair(state.serial, open));
            readRequest(oldest.second, true);
        }
        // A client that wrote and hung up at once has its request waiting already.
        readRequest(connection, false);
    }
}

void SingleInstance::readRequest(int connection, bool lastChance)
{
    const auto found = m_connections.find(connection);
    if (found == m_connections.end())
        return;
    std::string& received = found->second.received;
    const bool open = readAvailable(connection, received, kLongestRequest);
    // Taken once the sender has closed the connection: only then is the
    // request known to be whole, and alone.
    if (open && received.size() <= kLongestRequest && !lastChance)
        return;
    const std::optional<InstanceRequest> request = open ? std::nullopt : decodeRequest(received);
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    m_connections.erase(found);
    closeConnection(connection);
    // Last: what the request sets off may run an event loop of its own (a
    // message box), in which this object reads further requests.
    if (!request)
        return;
    if (request->kind == InstanceRequest::Kind::OpenPlaylist)
        emit openPlaylistRequested(request->playlist);
    else
        emit restoreAndForegroundRequested();
}

} // namespace kavora::platform
