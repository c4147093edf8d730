#pragma once

#include "platform/qt/InstanceLock.h"
#include "platform/qt/InstanceRequest.h"
#include "platform/qt/LocalSocket.h"

#include <QObject>
#include <QString>

#include <string>
#include <unordered_map>

class QSocketNotifier;

namespace kavora::platform {

// Where the running copy of a program whose main window carries `windowTitle`
// listens: a socket in the user's runtime directory whose name holds the user id
// and a digest of the title, so that only the same user's copies meet.
QString instanceSocketPath(const QString& windowTitle, const QString& runtimeDirectory, unsigned userId);
// The same, in $XDG_RUNTIME_DIR (else the temporary directory) for this user.
QString instanceSocketPath(const QString& windowTitle);

// The lookup of a running copy by its window title and, when there is none,
// this copy's claim to be it. The lookup and the claim run under a lock file,
// so two copies started at the same moment cannot both claim the name.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when a copy answers under the name; it has then been handed the
    // request. A playlist path that cannot be handed over (longer than any
    // path) is left out: the copy is only asked to come to the front. Takes
    // the lock; it is held until claim() or destruction.
    bool findRunningCopy(const InstanceRequest& request = {}, int timeoutMs = 2000);

    // Starts listening as the running copy. A socket that a crashed copy left
    // behind (nobody answers on it) is removed first. Releases the lock.
    bool claim();

    bool isListening() const;
    const QString& socketPath() const { return m_socketPath; }

    // Takes in at once the requests that wait on the socket, for a caller that
    // has kept the event loop from running: each is signalled before this
    // returns. A request still being written is taken when it is whole.
    void readWaitingRequests();

signals:
    // Another start asked this copy to restore and foreground its main window.
    void restoreAndForegroundRequested();
    // Another start handed this copy a playlist to open (and to come to the
    // front with).
    void openPlaylistRequested(const std::string& playlist);

private:
    struct Connection {
        QSocketNotifier* notifier = nullptr;
        std::string received;
    };

    void acceptConnections();
    void readRequest(int connection);

    QString m_socketPath;
    InstanceLock m_lock;
    LocalListener m_listener;
    QSocketNotifier* m_listenerNotifier = nullptr;
    std::unordered_map<int, Connection> m_connections;
};

} // namespace kavora::platform
