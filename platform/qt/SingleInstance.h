#pragma once

#include "platform/FsStatus.h"
#include "platform/qt/InstanceLock.h"
#include "platform/qt/InstanceRequest.h"
#include "platform/qt/LocalSocket.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>
#include <unordered_map>

class QSocketNotifier;

namespace kavora::platform {

// Where the running copy of a program whose main window carries `windowTitle`
// listens: a socket in `folder` whose name holds the user id and a digest of
// the title, so that only the same user's copies meet.
QString instanceSocketPath(const QString& windowTitle, const QString& folder, unsigned userId);
// The same, in $XDG_RUNTIME_DIR when that is private to this user, else in
// the folder kavora-<user id> of the temporary folder.
QString instanceSocketPath(const QString& windowTitle);

// The lookup of a running copy by its window title and, when there is none,
// this copy's claim to be it. The lookup and the claim run under a lock file,
// so two copies started at the same moment cannot both claim the name. Both
// are made only in a folder private to this user (made when missing); in any
// other the lookup finds nobody and the claim fails. A few connections are
// served at a time, each for a short while; a flood of them neither holds the
// event loop nor uses up descriptors.
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
    // Why the socket's folder was refused, at the last lookup or claim.
    const FsStatus& placeStatus() const { return m_placeStatus; }

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
        std::uint64_t serial = 0; // the order of acceptance; tells a reused descriptor apart
    };

    bool placeIsPrivate();
    // Takes in at most `most` connections (all waiting ones for -1).
    void acceptConnections(int most);
    // Ends the connection once its request is whole, or at its last chance
    // whatever it holds.
    void readRequest(int connection, bool lastChance);

    QString m_socketPath;
    FsStatus m_placeStatus;
    InstanceLock m_lock;
    LocalListener m_listener;
    QSocketNotifier* m_listenerNotifier = nullptr;
    std::unordered_map<int, Connection> m_connections;
    std::uint64_t m_lastSerial = 0;
};

} // namespace kavora::platform
