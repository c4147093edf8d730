#include "processing/playlist/PlaylistWalk.h"

#include "platform/FileSystem.h"
#include "processing/playlist/EntryPath.h"
#include "processing/playlist/MusicFile.h"

namespace kavora::playlist {

PlaylistWalk::PlaylistWalk(PlaylistReader& top, std::string topPath, FileSystemOf fileSystem)
    : m_fileSystem(std::move(fileSystem))
{
    m_levels.push_back(Level{nullptr, &top, std::move(topPath)});
    m_read.insert(top.identity());
}

PlaylistWalk::~PlaylistWalk() = default;

void PlaylistWalk::markRead(const platform::FileIdentity& playlist)
{
    m_read.insert(playlist);
}

bool PlaylistWalk::descend(Step& step, const std::string& listedIn)
{
    const platform::FileSystem& fileSystem = m_fileSystem();
    const std::string path = lookupPath(listedIn, step.item.entry->path());
    const platform::FsResult<platform::FoundFile> found = fileSystem.findFile(path);
    // A missing playlist is a missing entry like any other.
    if (!found)
        return false;
    if (m_read.contains(found.value().identity)) {
        step.refusal = Refusal::ReadAlready;
        return false;
    }
    if (m_levels.size() > kDeepestNesting) {
        step.refusal = Refusal::TooDeep;
        return false;
    }
    auto opened = PlaylistReader::open(fileSystem, path);
    if (!opened) {
        step.refusal = Refusal::Unreadable;
        step.failure = opened.failure();
        return false;
    }
    m_read.insert(found.value().identity);
    m_levels.push_back(Level{std::move(opened).value(), nullptr, path});
    m_levels.back().reader = m_levels.back().owned.get();
    return true;
}

std::optional<PlaylistWalk::Step> PlaylistWalk::next()
{
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        const std::string& listedIn = level.path;
        std::optional<PlaylistItem> item = level.reader->next(
            [&](std::string_view path) { return m_fileSystem().fileExists(lookupPath(listedIn, path)); });
        const bool nested = m_levels.size() > 1;
        if (!item) {
            if (!nested)
                return std::nullopt;
            const platform::FsStatus read = level.reader->status();
            std::string path = level.path;
            m_levels.pop_back();
            if (read.ok())
                continue;
            // A named playlist that could not be read to its end is reported
            // in its place.
            PlaylistItem unread{PlaylistItem::Kind::Stream, std::move(path), {}, std::nullopt};
            const bool stillNested = m_levels.size() > 1;
            return Step{std::move(unread), stillNested ? m_levels.back().path : std::string(), stillNested,
                        Refusal::Unreadable, read.failure()};
        }
        if (nested &&
            (item->kind == PlaylistItem::Kind::Blank || item->kind == PlaylistItem::Kind::Directive))
            continue;
        Step step{std::move(*item), nested ? listedIn : std::string(), nested, Refusal::None, {}};
        if (step.item.kind == PlaylistItem::Kind::Entry) {
            const FileKind kind = fileKindOf(step.item.entry->path());
            if (kind == FileKind::Playlist) {
                if (descend(step, listedIn))
                    continue;
            } else if (kind == FileKind::Other) {
                step.refusal = Refusal::NotMusic;
            }
        }
        return step;
    }
    return std::nullopt;
}

} // namespace kavora::playlist
