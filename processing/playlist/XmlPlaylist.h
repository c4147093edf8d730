#pragma once

#include "platform/FsStatus.h"
#include "processing/playlist/PlaylistFormat.h"
#include "processing/playlist/PlaylistLine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kavora::platform {
class ByteReader;
}

namespace kavora::playlist {

struct XmlEntries {
    Format format = Format::Xspf;
    std::vector<PlaylistItem> entries;
};

// Deeper element nesting is refused.
inline constexpr std::size_t kDeepestXmlNesting = 64;

// The entries of an XSPF, WPL or ASX document, which starts with `readAhead`
// and goes on in `source`. The whole document is parsed before an entry is
// given, so that nothing is done for a document that turns out malformed;
// a failure reads "<reason> at line N".
platform::FsResult<XmlEntries> readXmlPlaylist(platform::ByteReader& source, std::string readAhead);

} // namespace kavora::playlist
