#include "processing/EarlierPlaylist.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "processing/Job.h"
#include "processing/NumberPrefix.h"
#include "processing/ReportText.h"
#include "processing/playlist/PlaylistReader.h"

namespace kavora {

namespace {

using platform::FsError;

bool isFolder(const platform::FileSystem& fileSystem, std::string_view path)
{
    const auto attributes = fileSystem.attributes(path);
    return attributes && (attributes.value() & platform::Directory) != 0;
}

// Whether what was found at a listed path tells nothing about a numbered
// file there: no folder to look in, no right to look, several names to pick.
bool cannotTell(const platform::FileSystem& fileSystem, const platform::FsFailure& failure,
                std::string_view path)
{
    switch (failure.code) {
    case FsError::NotFound:
        return !isFolder(fileSystem, platform::directoryPart(path));
    case FsError::PermissionDenied:
    case FsError::Ambiguous:
    case FsError::Other:
        return true;
    default:
        return false;
    }
}

} // namespace

EarlierPlaylist examineEarlierPlaylist(const Job& job, std::string_view path)
{
    const platform::FileSystem& fileSystem = job.fileSystem();
    auto opened = playlist::PlaylistReader::open(fileSystem, path);
    if (!opened)
        return {std::nullopt, report::newPlaylistExists(job.reportedPath(path))};
    playlist::PlaylistReader& reader = *opened.value();
    const auto fileExists = [&](std::string_view entry) {
        return fileSystem.fileExists(job.lookupPath(entry));
    };
    while (const std::optional<playlist::PlaylistItem> item = reader.next(fileExists)) {
        if (item->kind != playlist::PlaylistItem::Kind::Entry)
            continue;
        const Job::Located located = job.locate(*item->entry);
        const std::string listed = job.lookupPath(located.form.path());
        if (located.file) {
            if (hasNumberPrefix(located.file.value().name))
                return {std::nullopt,
                        report::newPlaylistListsNumbered(job.reportedPath(listed), job.reportedPath(path))};
        } else if (cannotTell(fileSystem, located.file.failure(), listed)) {
            return {std::nullopt,
                    report::newPlaylistListsUnseen(job.reportedPath(listed), job.reportedPath(path))};
        }
    }
    if (!reader.status())
        return {std::nullopt, report::newPlaylistExists(job.reportedPath(path))};
    return {reader.identity(), {}};
}

} // namespace kavora
