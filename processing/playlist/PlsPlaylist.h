#pragma once

#include "platform/FsStatus.h"
#include "processing/playlist/PlaylistLine.h"

#include <string_view>
#include <vector>

namespace kavora::platform {
class LineReader;
}

namespace kavora::playlist {

// True for the line that opens a PLS playlist's section: "[playlist]" in any
// letter case.
bool isPlsHeader(std::string_view line);

// The entries of a PLS playlist: the FileN= values of its "[playlist]" section
// in N order, TitleN as their titles; keys in any letter case, lines before
// the section ignored. The whole file is read first: one cut short (fewer
// files than NumberOfEntries says, or no NumberOfEntries) gives nothing.
platform::FsResult<std::vector<PlaylistItem>> readPlsPlaylist(platform::LineReader& lines);

} // namespace kavora::playlist
