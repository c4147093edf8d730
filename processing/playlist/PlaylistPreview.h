#pragma once

#include "platform/FsStatus.h"

#include <string>
#include <string_view>

namespace kavora::platform {
class FileSystem;
}

namespace kavora::playlist {

// A playlist's text as the preview shows it: its items as the jobs read them
// (UTF-16 given in UTF-8), CR LF between them, a very long line by its start.
// A long playlist is shown up to a limit, and its last line says so.
struct Preview {
    std::string text;
    bool complete = true;
};

platform::FsResult<Preview> previewPlaylist(const platform::FileSystem& fileSystem, std::string_view path);

} // namespace kavora::playlist
