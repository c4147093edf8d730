#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {

struct Drive {
    char letter = 'C';    // upper case
    std::string hostRoot; // absolute host directory the drive's root maps to
    std::string label;    // what the drive list shows, e.g. "c: [home]"
};

// A drive of a mounted volume (a stick, a card, a player): not C: or Z:.
inline bool isMountedVolume(const Drive& drive)
{
    return drive.letter != 'C' && drive.letter != 'Z';
}

// The drive letters and the host directories behind them. C: is HOME and Z: is
// "/"; mounted removable volumes (under /media, /run/media, /mnt) get further
// letters. Each drive keeps a current directory of its own, initially its root.
class DriveMap final {
public:
    static DriveMap fromEnvironment();
    explicit DriveMap(std::vector<Drive> drives);

    const std::vector<Drive>& drives() const { return m_drives; }
    const Drive* find(char letter) const;

    // "C:\" style current directory of a drive (a root keeps its backslash).
    std::string currentDirectory(char letter) const;
    // Remembers a Windows directory path as the current directory of its drive.
    void setCurrentDirectory(std::string_view windowsDirectory);

    // The Windows path of an absolute host path, on the drive whose root holds
    // it most closely: "/home/u/Lists/mix.m3u" is "C:\Lists\mix.m3u" while C:
    // is /home/u, and a drive's own root is "C:\". "." and ".." are taken
    // lexically, as the way back maps them. Empty for a relative path and for
    // one that no drive holds.
    std::string windowsPath(std::string_view hostPath) const;

private:
    std::vector<Drive> m_drives;
    std::vector<std::string> m_currentDirectories; // parallel to m_drives
};

} // namespace kavora::platform
