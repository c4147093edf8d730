#pragma once

#include <string>
#include <string_view>

namespace kavora {

// The path a job looks an entry up by: a relative entry in the playlist
// file's own folder, one that starts with "\" from the root of the playlist's
// drive, any other as it stands; "." and ".." taken out on the text. Nothing
// is ever taken against the process's current directory unless the playlist
// path itself is relative.
std::string lookupPath(std::string_view playlistPath, std::string_view entry);

// An entry completed by a folder the user gave for it: a relative entry below
// the folder, a full path's file name in the folder (its own folder replaced).
// No folder leaves the entry as it is.
std::string completedEntry(std::string_view directory, std::string_view entry);

} // namespace kavora
