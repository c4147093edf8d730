#pragma once

#include <string>
#include <string_view>

namespace kavora::platform {

// A path as the process's current directory makes it: a relative one joined
// to the current directory's host path, any other as it stands. For paths
// given on the command line, which the user typed relative to where they were.
std::string absolutePath(std::string_view path);

} // namespace kavora::platform
