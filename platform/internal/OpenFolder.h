#pragma once

#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"
#include "platform/internal/FileDescriptor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kavora::platform::internal {

// A folder opened once, by its path as found, and judged by where it really
// is: links followed, every folder on the way looked at. Whatever later
// happens to the path (a folder exchanged for a link), the descriptor stays
// on the folder that was judged, and renames are made relative to it.
class OpenFolder final {
public:
    // Opens and judges the folder; fails only when it cannot be opened.
    static FsResult<std::shared_ptr<const OpenFolder>> open(const std::string& hostDirectory);

    const std::string& hostDirectory() const { return m_hostDirectory; }
    int fd() const { return m_fd.get(); }
    // Why nothing in this folder may be renamed; nothing when files may be.
    const std::optional<FsFailure>& refusal() const { return m_refusal; }
    // Fails when the path no longer leads to the folder that was opened.
    FsStatus stillAtItsPath() const;

private:
    OpenFolder(std::string hostDirectory, FileDescriptor fd)
        : m_hostDirectory(std::move(hostDirectory)), m_fd(std::move(fd))
    {
    }

    std::string m_hostDirectory;
    FileDescriptor m_fd;
    FileIdentity m_identity;
    std::optional<FsFailure> m_refusal;
};

// The user Kavora works for: the one it runs as, or under sudo the one who
// called sudo.
struct RunningUser {
    unsigned uid = 0;
    std::string home;
};
const RunningUser& runningUser();

// A dot-name anywhere on a host path (which holds no "." or ".."): the file
// itself or a folder it lies in ("~/.ssh/...", "~/.config/...").
bool isUnderDotName(std::string_view hostPath);

// True for a real host path inside the system's own folders (/etc, /usr, ...,
// /root unless it is the user's home, /run but for /run/media).
bool isSystemLocation(std::string_view realPath, std::string_view userHome);

// Why a file of a judged folder may not be renamed: its target when it is a
// link lies in a refused place, or it belongs to someone else.
std::optional<FsFailure> fileRefusal(const OpenFolder& folder, const std::string& name, unsigned ownerUid,
                                     bool isLink);

} // namespace kavora::platform::internal
