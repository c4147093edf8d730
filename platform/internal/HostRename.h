#pragma once

#include "platform/FsStatus.h"

#include <string>

namespace kavora::platform::internal {

// How a no-replace rename is carried out. Automatic starts with
// renameat2(RENAME_NOREPLACE) and steps down only where the file system refuses
// a method; the other values start further down the chain so that tests can
// exercise the fallbacks on a file system that supports everything.
enum class RenameStrategy {
    Automatic,       // renameat2, then link+unlink, then check-then-rename
    LinkThenUnlink,  // link+unlink, then check-then-rename
    CheckThenRename, // check, rename, check again
};

// Renames one name to another in the open directory without ever replacing an
// existing file. Both names are taken in that directory, so whatever happens
// to the path it was opened by, nothing elsewhere is touched. A target that is
// the source itself under another letter case (a case-insensitive file system)
// is renamed through a temporary name.
FsStatus renameNoReplaceIn(int directoryFd, const std::string& from, const std::string& to,
                           RenameStrategy strategy = RenameStrategy::Automatic);

} // namespace kavora::platform::internal
