#include "platform/qt/LocalSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kavora::platform {

namespace {

bool toAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

} // namespace

bool sendToLocalListener(const std::string& path, std::string_view message, int timeoutMs)
{
    sockaddr_un address;
    if (!toAddress(path, address))
        return false;
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return false;
    // A Unix socket's connect waits (for a full backlog) as long as its send
    // timeout allows; a socket nobody listens on is refused at once.
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    (void)::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    int result;
    do {
        result = ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(descriptor);
        return false;
    }
    // The running copy reads the request when its event loop next runs, which
    // may be after a long job; the sender does not wait for an answer.
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t written =
            ::send(descriptor, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        sent += static_cast<std::size_t>(written);
    }
    ::close(descriptor);
    return true;
}

bool readAvailable(int connection, std::string& received, std::size_t most)
{
    char chunk[512];
    // Bounded, so that a peer that writes without end holds neither the
    // caller nor its memory.
    while (received.size() <= most) {
        const ssize_t count = ::read(connection, chunk, sizeof(chunk));
        if (count > 0) {
            received.append(chunk, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

void closeConnection(int connection)
{
    ::close(connection);
}

LocalListener::~LocalListener()
{
    if (m_descriptor < 0)
        return;
    ::close(m_descriptor);
    // Removed, so the next start finds nobody instead of a stale file.
    ::unlink(m_path.c_str());
}

bool LocalListener::listen(const std::string& path)
{
    sockaddr_un address;
    if (m_descriptor >= 0 || !toAddress(path, address))
        return false;
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return false;
    // Called when nobody answered at `path`: a file still there is a socket
    // that a copy which ended without removing it left behind.
    (void)::unlink(path.c_str());
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(descriptor, SOMAXCONN) != 0) {
        ::close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    m_path = path;
    return true;
}

int LocalListener::acceptConnection()
{
    while (m_descriptor >= 0) {
        const int connection = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? kNoneWaiting : kAcceptFailed;
        }
        // Checked before a byte is read: the private folder keeps other users
        // away from the file, but not root, nor a folder opened up later.
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid())
            return connection;
        ::close(connection);
    }
    return kNoneWaiting;
}

} // namespace kavora::platform
