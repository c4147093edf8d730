#include "platform/qt/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <unistd.h>
#include <vector>

namespace kavora::platform {

namespace {

std::string encodedPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString instanceSocketPath(const QString& windowTitle, const QString& runtimeDirectory, unsigned userId)
{
    // The title may hold any characters; its digest keeps the name short and
    // safe as a file name (a socket path has room for about 100 bytes).
    const QByteArray digest =
        QCryptographicHash::hash(windowTitle.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString name = QStringLiteral("kavora-%1-%2").arg(userId).arg(QString::fromLatin1(digest));
    return QDir(runtimeDirectory).filePath(name);
}

QString instanceSocketPath(const QString& windowTitle)
{
    QString runtimeDirectory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeDirectory.isEmpty() || !QDir(runtimeDirectory).exists())
        runtimeDirectory = QDir::tempPath();
    return instanceSocketPath(windowTitle, runtimeDirectory, static_cast<unsigned>(::getuid()));
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

bool SingleInstance::findRunningCopy(const InstanceRequest& request, int timeoutMs)
{
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
    const bool listening = m_listener.isListening() || m_listener.listen(encodedPath(m_socketPath));
    if (listening && m_listenerNotifier == nullptr) {
        m_listenerNotifier = new QSocketNotifier(m_listener.descriptor(), QSocketNotifier::Read, this);
        connect(m_listenerNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
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
    acceptConnections();
    std::vector<int> open;
    for (const auto& [connection, state] : m_connections)
        open.push_back(connection);
    for (const int connection : open)
        readRequest(connection);
}

void SingleInstance::acceptConnections()
{
    for (int connection = m_listener.acceptConnection(); connection >= 0;
         connection = m_listener.acceptConnection()) {
        auto* notifier = new QSocketNotifier(connection, QSocketNotifier::Read, this);
        m_connections[connection].notifier = notifier;
        connect(notifier, &QSocketNotifier::activated, this, [this, connection] { readRequest(connection); });
        // A client that wrote and hung up at once has its request waiting already.
        readRequest(connection);
    }
}

void SingleInstance::readRequest(int connection)
{
    const auto found = m_connections.find(connection);
    if (found == m_connections.end())
        return;
    std::string& received = found->second.received;
    const bool open = readAvailable(connection, received);
    // Taken once the sender has closed the connection: only then is the
    // request known to be whole, and alone.
    if (open && received.size() <= kLongestRequest)
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
