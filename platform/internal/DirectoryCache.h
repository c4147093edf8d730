#pragma once

#include "platform/FsStatus.h"
#include "platform/internal/OpenFolder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kavora::platform::internal {

// What a name in a directory stands for; a symbolic link counts as what it
// points to.
enum class EntryKind : std::uint8_t {
    Regular,
    Directory,
    Other,  // device, socket, fifo
    Broken, // a symbolic link that points nowhere: a name, but no file
};

// The kind of an entry of an open directory: from d_type where that answers,
// otherwise (symbolic links, file systems without d_type) from one stat.
EntryKind kindOfEntry(int directoryFd, const char* name, unsigned char type);
// The kind of whatever a host path names; nothing when no such name exists.
std::optional<EntryKind> kindOfPath(const std::string& hostPath);

// One directory as it was read: every name with its kind, and the names
// grouped by their case-folded form so that a case-insensitive lookup is one
// hash probe instead of a scan.
class DirectoryListing final {
public:
    const EntryKind* find(const std::string& name) const;
    // The names that fold to `folded`; empty when none does.
    const std::vector<std::string>& namesFoldingTo(std::u32string_view folded) const;
    // The names that fold as `name` does.
    const std::vector<std::string>& namesFoldingAs(std::string_view name) const;

    void insert(const std::string& name, EntryKind kind);
    void erase(const std::string& name);

    // visit(folded, name, kind) for every entry, in no particular order.
    template <typename Visit> void forEach(Visit visit) const
    {
        for (const auto& [folded, names] : m_byFolded) {
            for (const std::string& name : names)
                visit(folded, name, m_kinds.at(name));
        }
    }

private:
    std::unordered_map<std::string, EntryKind> m_kinds;
    struct FoldedHash {
        using is_transparent = void;
        std::size_t operator()(std::u32string_view folded) const
        {
            return std::hash<std::u32string_view>{}(folded);
        }
    };
    std::unordered_map<std::u32string, std::vector<std::string>, FoldedHash, std::equal_to<>> m_byFolded;
};

// The listings one FileSystem object has read, keyed by host directory path.
// Each directory is read once; afterwards the object's own renames and created
// files are entered here, while changes by anyone else stay unseen. Not
// thread-safe: an object belongs to one job on one thread.
class DirectoryCache final {
public:
    // The listing of a host directory, read on first use. A directory that
    // cannot be read fails now and on every later call, with the same reason.
    FsResult<const DirectoryListing*> listing(const std::string& hostDirectory);

    // True when the directory, as read, holds exactly this name.
    bool holds(const std::string& hostDirectory, const std::string& name);
    // The host directory that the folder part of a Windows path was found to
    // name, or null; the text as written is the key.
    const std::string* locatedDirectory(std::string_view windowsDirectory) const;
    void rememberLocated(std::string_view windowsDirectory, const std::string& hostDirectory);

    // The directory opened and judged, once per job while few are open.
    FsResult<std::shared_ptr<const OpenFolder>> folder(const std::string& hostDirectory);

    // Entries the object itself changed. Directories not read yet need nothing:
    // their first read will show the change.
    void recordRenamed(const std::string& hostDirectory, const std::string& from, const std::string& to);
    void recordCreated(const std::string& hostDirectory, const std::string& name);
    // A rename made in the snapshot only (a dry run): the file keeps its old
    // name on the host, which hostPathOf() gives for the new one.
    void recordPretendedRename(const std::string& hostDirectory, const std::string& from,
                               const std::string& to);
    // Where a file named in the snapshot lies on the host.
    std::string hostPathOf(const std::string& hostDirectory, const std::string& name) const;
    bool pretendsRenames() const { return !m_pretended.empty(); }
    // Learns one name afresh from the host, after the host contradicted the listing.
    void refresh(const std::string& hostDirectory, const std::string& name);

private:
    struct Slot {
        DirectoryListing listing;
        int readError = 0;
    };
    Slot* cached(const std::string& hostDirectory);

    std::unordered_map<std::string, Slot> m_slots;            // nodes stay where they are as others are added
    std::pair<const std::string, Slot>* m_lastSlot = nullptr; // the slot found last
    std::unordered_map<std::string, std::string> m_pretended; // host path as named -> as it is
    std::unordered_map<std::string, std::shared_ptr<const OpenFolder>> m_folders; // by host directory
    const std::pair<const std::string, std::shared_ptr<const OpenFolder>>* m_lastFolder = nullptr;
    // Looked up by the text as written, without copying it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>
        m_located; // Windows directory text -> host directory
};

} // namespace kavora::platform::internal
