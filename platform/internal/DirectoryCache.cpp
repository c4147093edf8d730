#include "platform/internal/DirectoryCache.h"

#include "platform/internal/CaseFold.h"
#include "platform/internal/HostError.h"
#include "platform/internal/PathResolver.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace kavora::platform::internal {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::Regular;
    return S_ISDIR(mode) ? EntryKind::Directory : EntryKind::Other;
}

const std::vector<std::string>& noNames()
{
    static const std::vector<std::string> empty;
    return empty;
}

} // namespace

EntryKind kindOfEntry(int directoryFd, const char* name, unsigned char type)
{
    switch (type) {
    case DT_REG:
        return EntryKind::Regular;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info {};
        if (::fstatat(directoryFd, name, &info, 0) == 0)
            return kindOfMode(info.st_mode);
        // A link whose target is gone is still a name in the directory.
        return type == DT_LNK ? EntryKind::Broken : EntryKind::Other;
    }
    default:
        return EntryKind::Other;
    }
}

std::optional<EntryKind> kindOfPath(const std::string& hostPath)
{
    struct stat info {};
    if (::stat(hostPath.c_str(), &info) == 0)
        return kindOfMode(info.st_mode);
    if (::lstat(hostPath.c_str(), &info) == 0)
        return EntryKind::Broken;
    return std::nullopt;
}

const EntryKind* DirectoryListing::find(const std::string& name) const
{
    const auto found = m_kinds.find(name);
    return found == m_kinds.end() ? nullptr : &found->second;
}

const std::vector<std::string>& DirectoryListing::namesFoldingTo(std::u32string_view folded) const
{
    const auto found = m_byFolded.find(folded);
    return found == m_byFolded.end() ? noNames() : found->second;
}

const std::vector<std::string>& DirectoryListing::namesFoldingAs(std::string_view name) const
{
    // An ASCII name folds to its lower case, here without an allocation.
    std::array<char32_t, 256> folded;
    if (name.size() <= folded.size() &&
        std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::transform(name.begin(), name.end(), folded.begin(), [](char c) {
            return static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        });
        return namesFoldingTo({folded.data(), name.size()});
    }
    return namesFoldingTo(foldedName(name));
}

void DirectoryListing::insert(const std::string& name, EntryKind kind)
{
    const auto [entry, added] = m_kinds.try_emplace(name, kind);
    if (!added) {
        entry->second = kind;
        return;
    }
    m_byFolded[foldedName(name)].push_back(name);
}

void DirectoryListing::erase(const std::string& name)
{
    if (m_kinds.erase(name) == 0)
        return;
    const auto group = m_byFolded.find(foldedName(name));
    if (group == m_byFolded.end())
        return;
    std::vector<std::string>& names = group->second;
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
    if (names.empty())
        m_byFolded.erase(group);
}

FsResult<const DirectoryListing*> DirectoryCache::listing(const std::string& hostDirectory)
{
    if (const Slot* slot = cached(hostDirectory)) {
        if (slot->readError != 0)
            return failureFromErrno(slot->readError);
        return &slot->listing;
    }

    Slot& slot = m_slots[hostDirectory];
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(hostDirectory.c_str()));
    if (!dir) {
        slot.readError = errno;
        return failureFromErrno(slot.readError);
    }
    const int fd = ::dirfd(dir.get());
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            slot.listing.insert(std::string(name), kindOfEntry(fd, entry->d_name, entry->d_type));
        errno = 0;
    }
    if (errno != 0) {
        // A half-read listing would report present files as missing.
        slot.readError = errno;
        slot.listing = DirectoryListing();
        return failureFromErrno(slot.readError);
    }
    return &slot.listing;
}

DirectoryCache::Slot* DirectoryCache::cached(const std::string& hostDirectory)
{
    // Entries one after another mostly lie in one folder.
    if (m_lastSlot != nullptr && m_lastSlot->first == hostDirectory)
        return &m_lastSlot->second;
    const auto found = m_slots.find(hostDirectory);
    if (found == m_slots.end())
        return nullptr;
    m_lastSlot = &*found;
    return &found->second;
}

bool DirectoryCache::holds(const std::string& hostDirectory, const std::string& name)
{
    const FsResult<const DirectoryListing*> read = listing(hostDirectory);
    return read && read.value()->find(name) != nullptr;
}

void DirectoryCache::recordRenamed(const std::string& hostDirectory, const std::string& from,
                                   const std::string& to)
{
    Slot* slot = cached(hostDirectory);
    if (slot == nullptr || slot->readError != 0)
        return;
    const EntryKind* known = slot->listing.find(from);
    const EntryKind kind = known != nullptr ? *known : EntryKind::Regular;
    slot->listing.erase(from);
    slot->listing.insert(to, kind);
}

const std::string* DirectoryCache::locatedDirectory(std::string_view windowsDirectory) const
{
    const auto found = m_located.find(windowsDirectory);
    return found == m_located.end() ? nullptr : &found->second;
}

void DirectoryCache::rememberLocated(std::string_view windowsDirectory, const std::string& hostDirectory)
{
    m_located.emplace(windowsDirectory, hostDirectory);
}

FsResult<std::shared_ptr<const OpenFolder>> DirectoryCache::folder(const std::string& hostDirectory)
{
    // Entries one after another mostly lie in one folder.
    if (m_lastFolder != nullptr && m_lastFolder->first == hostDirectory)
        return m_lastFolder->second;
    if (const auto known = m_folders.find(hostDirectory); known != m_folders.end()) {
        m_lastFolder = &*known;
        return known->second;
    }
    FsResult<std::shared_ptr<const OpenFolder>> opened = OpenFolder::open(hostDirectory);
    if (!opened)
        return opened;
    // Each holds a descriptor: a playlist over thousands of folders must not
    // run out of them. Files found keep their folder open themselves.
    constexpr std::size_t kMostOpen = 128;
    if (m_folders.size() >= kMostOpen) {
        m_folders.clear();
        m_lastFolder = nullptr;
    }
    m_folders.emplace(hostDirectory, opened.value());
    return opened;
}

void DirectoryCache::recordPretendedRename(const std::string& hostDirectory, const std::string& from,
                                           const std::string& to)
{
    std::string actual = hostPathOf(hostDirectory, from);
    m_pretended.erase(joinHost(hostDirectory, from));
    m_pretended[joinHost(hostDirectory, to)] = std::move(actual);
    recordRenamed(hostDirectory, from, to);
}

std::string DirectoryCache::hostPathOf(const std::string& hostDirectory, const std::string& name) const
{
    std::string path = joinHost(hostDirectory, name);
    const auto pretended = m_pretended.find(path);
    return pretended == m_pretended.end() ? path : pretended->second;
}

void DirectoryCache::recordCreated(const std::string& hostDirectory, const std::string& name)
{
    Slot* slot = cached(hostDirectory);
    if (slot != nullptr && slot->readError == 0 && slot->listing.find(name) == nullptr)
        slot->listing.insert(name, EntryKind::Regular);
}

void DirectoryCache::refresh(const std::string& hostDirectory, const std::string& name)
{
    Slot* slot = cached(hostDirectory);
    if (slot == nullptr || slot->readError != 0)
        return;
    if (const std::optional<EntryKind> kind = kindOfPath(joinHost(hostDirectory, name)))
        slot->listing.insert(name, *kind);
    else
        slot->listing.erase(name);
}

} // namespace kavora::platform::internal
