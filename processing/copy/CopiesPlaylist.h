#pragma once

#include <string>
#include <vector>

namespace kavora::copy {

struct PlannedCopy;

// The playlist of the copies, as players and head units read it: extended
// M3U in UTF-8 with CR LF, each copy by its plain name (it stands beside
// them), after the input's "#EXTINF" title where the input had one.
std::string copiesPlaylistText(const std::vector<const PlannedCopy*>& copies);

} // namespace kavora::copy
