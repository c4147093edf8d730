#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kavora {

namespace platform {
class FileSystem;
}

// How an interface writes the paths of a report, the same way in every line:
// the window as Windows paths, the command line as host paths.
class PathNotation {
public:
    virtual ~PathNotation() = default;

    // What `lookup` gives: the path the job took for a path of the report
    // (anchored at the playlist's folder), asked for only where it is shown.
    using Lookup = std::function<std::string()>;

    // `path` as the report's rules write it (an entry as its line writes it,
    // a new name made from it, a playlist's path).
    virtual std::string shown(const platform::FileSystem& files, std::string_view path,
                              const Lookup& lookup) const = 0;
};

// The window's: C: is home, Z: the root; a host path is shown on the drive
// that holds it, a Windows path as it is written.
class WindowsNotation final : public PathNotation {
public:
    std::string shown(const platform::FileSystem& files, std::string_view path,
                      const Lookup& lookup) const override;
};

// The command line's: the absolute host path the job took, relative paths
// and drive letters resolved.
class HostNotation final : public PathNotation {
public:
    std::string shown(const platform::FileSystem& files, std::string_view path,
                      const Lookup& lookup) const override;
};

} // namespace kavora
