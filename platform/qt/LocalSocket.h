#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain Unix-domain sockets for finding the running copy of the program. No Qt
// here: the Qt side only watches the descriptors.
namespace kavora::platform {

// Connects to the listener at `path` and sends `message`. False when nobody
// listens there: no file, or a file that a copy which crashed left behind.
// Waits at most `timeoutMs` for the connection and the write.
bool sendToLocalListener(const std::string& path, std::string_view message, int timeoutMs);

// Reads what has arrived on a connection (non-blocking) and appends it to
// `received`, stopping once that holds more than `most` bytes. False once the
// peer has closed it or it failed.
bool readAvailable(int connection, std::string& received, std::size_t most);

void closeConnection(int connection);

// A listening socket that only this user's processes can reach: the file is
// made private to the user, and a connection from another user is refused.
class LocalListener final {
public:
    LocalListener() = default;
    ~LocalListener(); // stops listening and removes the file
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Replaces whatever file lies at `path` (a socket left behind) and listens.
    bool listen(const std::string& path);
    bool isListening() const { return m_descriptor >= 0; }
    int descriptor() const { return m_descriptor; }

    static constexpr int kNoneWaiting = -1;
    static constexpr int kAcceptFailed = -2; // no descriptor left, for one
    // The next pending connection of this user, non-blocking. One of another
    // user is closed unread.
    int acceptConnection();

private:
    int m_descriptor = -1;
    std::string m_path;
};

} // namespace kavora::platform
