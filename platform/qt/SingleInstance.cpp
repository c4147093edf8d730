#include "platform/qt/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace kavora::platform {

namespace {

// A request is one short line; anything longer is not ours and is dropped.
constexpr qint64 kMaxRequestLength = 256;

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
    : QObject(parent), m_socketPath(std::move(socketPath)), m_lock(m_socketPath + QStringLiteral(".lock"))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server != nullptr)
        m_server->close(); // removes the socket file, so the next start finds nobody
}

bool SingleInstance::findRunningCopy(int timeoutMs)
{
    // Without the lock (a full or read-only directory) the lookup still works;
    // only the protection against two simultaneous starts is lost.
    if (!m_lock.isLocked())
        (void)m_lock.tryLock(timeoutMs);

    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;

    // The running copy reads the request when its event loop next runs, which
    // may be after a long job; this copy does not wait for an answer.
    socket.write(kRestoreAndForegroundRequest);
    (void)socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        (void)socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::claim()
{
    if (m_server == nullptr) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    }
    // Called after findRunningCopy() found nobody: a socket file still there
    // belongs to a copy that ended without removing it.
    QLocalServer::removeServer(m_socketPath);
    const bool listening = m_server->listen(m_socketPath);
    if (m_lock.isLocked())
        m_lock.unlock();
    return listening;
}

bool SingleInstance::isListening() const
{
    return m_server != nullptr && m_server->isListening();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* connection = m_server->nextPendingConnection()) {
        const auto readRequests = [this, connection] {
            while (connection->canReadLine()) {
                const QByteArray line = connection->readLine(kMaxRequestLength);
                if (line == kRestoreAndForegroundRequest)
                    emit restoreAndForegroundRequested();
            }
            if (connection->bytesAvailable() > kMaxRequestLength)
                connection->abort();
        };
        connect(connection, &QLocalSocket::readyRead, this, readRequests);
        // A client that wrote and hung up at once may leave its line unread
        // until here.
        connect(connection, &QLocalSocket::disconnected, this, [connection, readRequests] {
            readRequests();
            connection->deleteLater();
        });
        readRequests();
    }
}

} // namespace kavora::platform
