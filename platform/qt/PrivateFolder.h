#pragma once

#include "platform/FsStatus.h"

#include <string>

namespace kavora::platform {

// A folder that only this user can enter: a folder itself (not a link to
// one), owned by the user, with no rights for group or others. Anyone who can
// write into the folder of a socket can stand in for the program listening
// there, so nothing else is trusted with one.
FsStatus checkPrivateFolder(const std::string& path);

// The same check, after making the folder (mode 0700) when it is missing.
// One made first by someone else, even a moment before, fails it.
FsStatus makePrivateFolder(const std::string& path);

} // namespace kavora::platform
