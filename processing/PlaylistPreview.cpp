#include "processing/PlaylistPreview.h"

#include "platform/LineReader.h"
#include "processing/PlaylistLine.h"

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
    auto opened = platform::LineReader::open(fileSystem, path);
    if (!opened)
        return opened.failure();
    platform::LineReader& reader = *opened.value();
    Preview preview;
    std::size_t lines = 0;
    while (!reader.atEnd()) {
        if (lines == kPreviewLines || preview.text.size() >= kPreviewBytes) {
            preview.text.append("\r\n").append(kCut);
            preview.complete = false;
            break;
        }
        const platform::LineReader::Line line = reader.readLine();
        if (lines++ > 0)
            preview.text += "\r\n";
        const std::size_t shown = line.overlong ? 80 : kPreviewLineCharacters;
        const std::string start = leadingCharacters(line.text, shown);
        preview.text += start;
        if (line.overlong || start.size() < line.text.size())
            preview.text += "...";
    }
    if (!reader.status().ok())
        return reader.status().failure();
    return preview;
}

} // namespace kavora::playlist
