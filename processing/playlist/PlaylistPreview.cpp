#include "processing/playlist/PlaylistPreview.h"

#include "processing/playlist/PlaylistReader.h"

#include <cstddef>

namespace kavora::playlist {

namespace {

// Far more than a playlist of 999 numbered files needs, and small enough for
// the report area to take at once.
constexpr std::size_t kPreviewLines = 20000;
constexpr std::size_t kPreviewBytes = std::size_t{2} * 1024 * 1024;
// Longer than any path the host takes (4096 bytes); a report area lays out a
// line of many thousand characters slowly, so only its start is shown.
constexpr std::size_t kPreviewLineCharacters = 1024;

constexpr std::string_view kCut = "[The preview ends here; the playlist goes on.]";

} // namespace

platform::FsResult<Preview> previewPlaylist(const platform::FileSystem& fileSystem, std::string_view path)
{
    auto opened = PlaylistReader::open(fileSystem, path);
    if (!opened)
        return opened.failure();
    PlaylistReader& reader = *opened.value();
    Preview preview;
    std::size_t lines = 0;
    // Whether a '#' line names a file does not change how it is shown.
    const PlaylistReader::FileTest anyFile = [](std::string_view) { return false; };
    while (std::optional<PlaylistItem> item = reader.next(anyFile)) {
        if (lines == kPreviewLines || preview.text.size() >= kPreviewBytes) {
            preview.text.append("\r\n").append(kCut);
            preview.complete = false;
            break;
        }
        if (lines++ > 0)
            preview.text += "\r\n";
        const bool overlong = item->kind == PlaylistItem::Kind::Overlong;
        const std::string start = leadingCharacters(item->text, overlong ? 80 : kPreviewLineCharacters);
        preview.text += start;
        if (overlong || start.size() < item->text.size())
            preview.text += "...";
    }
    if (!reader.status().ok())
        return reader.status().failure();
    return preview;
}

} // namespace kavora::playlist
