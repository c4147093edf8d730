#include "platform/DriveMap.h"

#include "platform/PathText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

namespace {

char upper(char letter)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

char lower(char letter)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return withoutTrailingSlashes(home);
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return withoutTrailingSlashes(entry->pw_dir);
    return "/";
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::vector<std::string> subdirectoriesOf(const std::string& directory)
{
    std::vector<std::string> found;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.c_str()));
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        struct stat info {};
        std::string path = directory;
        path.append("/").append(name);
        if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            found.push_back(std::move(path));
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool isMountPoint(const std::string& path)
{
    struct stat self {};
    struct stat parent {};
    const std::string parentPath = path.substr(0, path.rfind('/'));
    return ::stat(path.c_str(), &self) == 0 &&
           ::stat(parentPath.empty() ? "/" : parentPath.c_str(), &parent) == 0 &&
           self.st_dev != parent.st_dev;
}

// Mounted volumes where desktops put them: /media/<volume>,
// /media/<user>/<volume>, /run/media/<user>/<volume> and /mnt/<volume>.
std::vector<std::string> removableVolumes()
{
    std::vector<std::string> volumes;
    const auto addMounted = [&volumes](const std::string& path) {
        if (isMountPoint(path))
            volumes.push_back(path);
    };
    for (const std::string& entry : subdirectoriesOf("/media")) {
        if (isMountPoint(entry))
            volumes.push_back(entry);
        else
            for (const std::string& volume : subdirectoriesOf(entry))
                addMounted(volume);
    }
    for (const std::string& user : subdirectoriesOf("/run/media"))
        for (const std::string& volume : subdirectoriesOf(user))
            addMounted(volume);
    for (const std::string& volume : subdirectoriesOf("/mnt"))
        addMounted(volume);
    return volumes;
}

// True when `path` is `root` or lies below it; "/home/u" does not hold
// "/home/user2".
bool holds(std::string_view root, std::string_view path)
{
    if (root == "/")
        return path.starts_with('/');
    return path.starts_with(root) && (path.size() == root.size() || path[root.size()] == '/');
}

} // namespace

DriveMap DriveMap::fromEnvironment()
{
    std::vector<Drive> drives;
    drives.push_back(Drive{'C', homeDirectory(), "c: [home]"});
    char letter = 'D';
    for (const std::string& volume : removableVolumes()) {
        if (letter == 'Z')
            break;
        drives.push_back(
            Drive{letter, volume,
                  std::string(1, lower(letter)) + ": [" + volume.substr(volume.rfind('/') + 1) + "]"});
        ++letter;
    }
    drives.push_back(Drive{'Z', "/", "z: [/]"});
    return DriveMap(std::move(drives));
}

DriveMap::DriveMap(std::vector<Drive> drives) : m_drives(std::move(drives))
{
    for (Drive& drive : m_drives) {
        drive.letter = upper(drive.letter);
        drive.hostRoot = withoutTrailingSlashes(drive.hostRoot);
        m_currentDirectories.push_back(std::string(1, drive.letter) + ":\\");
    }
}

const Drive* DriveMap::find(char letter) const
{
    const char wanted = upper(letter);
    const auto it = std::find_if(m_drives.begin(), m_drives.end(),
                                 [wanted](const Drive& drive) { return drive.letter == wanted; });
    return it == m_drives.end() ? nullptr : &*it;
}

std::string DriveMap::currentDirectory(char letter) const
{
    const Drive* drive = find(letter);
    if (drive == nullptr)
        return std::string(1, upper(letter)) + ":\\";
    return m_currentDirectories[static_cast<std::size_t>(drive - m_drives.data())];
}

void DriveMap::setCurrentDirectory(std::string_view windowsDirectory)
{
    if (windowsDirectory.size() < 2 || windowsDirectory[1] != ':')
        return;
    const Drive* drive = find(windowsDirectory[0]);
    if (drive == nullptr)
        return;
    std::string rest(windowsDirectory.substr(2));
    while (!rest.empty() && (rest.back() == '\\' || rest.back() == '/'))
        rest.pop_back();
    std::string current = std::string(1, drive->letter) + ":" + (rest.empty() ? "\\" : rest);
    if (current[2] != '\\' && current[2] != '/')
        return; // only full paths; a drive-relative text has no meaning here
    m_currentDirectories[static_cast<std::size_t>(drive - m_drives.data())] = std::move(current);
}

std::string DriveMap::windowsPath(std::string_view hostPath) const
{
    if (!hostPath.starts_with('/'))
        return {};
    // Most paths are normal already: looked at as they stand.
    const std::string normalised =
        isLexicallyNormal(hostPath) ? std::string() : lexicallyNormal(std::string(hostPath));
    const std::string_view normal = normalised.empty() ? hostPath : std::string_view(normalised);
    const Drive* holder = nullptr;
    for (const Drive& drive : m_drives) {
        const bool closer = holder == nullptr || drive.hostRoot.size() > holder->hostRoot.size();
        if (closer && holds(drive.hostRoot, normal))
            holder = &drive;
    }
    if (holder == nullptr)
        return {};
    std::string_view below = normal;
    below.remove_prefix(holder->hostRoot == "/" ? 0 : holder->hostRoot.size());
    if (below.empty())
        below = "/";
    std::string windows(below.size() + 2, ':');
    windows[0] = holder->letter;
    std::replace_copy(below.begin(), below.end(), windows.begin() + 2, '/', '\\');
    return windows;
}

} // namespace kavora::platform
