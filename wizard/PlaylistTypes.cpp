#include "wizard/PlaylistTypes.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <algorithm>

namespace {

bool matchesAny(std::span<const std::string_view> patterns, std::string_view name)
{
    return std::any_of(patterns.begin(), patterns.end(), [name](std::string_view pattern) {
        return kavora::platform::wildcardMatch(pattern, name);
    });
}

} // namespace

bool isPlaylistName(std::string_view name)
{
    // Every type but the one that takes any file.
    return std::any_of(std::begin(kPlaylistTypes), std::end(kPlaylistTypes),
                       [name](const PlaylistType& type) {
                           return type.patterns.data() != kAllPatterns && matchesAny(type.patterns, name);
                       });
}

bool isKavoraPlaylistName(std::string_view name)
{
    return matchesAny(kKvrPatterns, name);
}

bool isPlaylistFile(const kavora::platform::FileSystem& fileSystem, std::string_view path)
{
    using kavora::platform::FileAttribute;
    if (!isPlaylistName(kavora::platform::fileNamePart(path)))
        return false;
    const auto attributes = fileSystem.attributes(path);
    return attributes && (attributes.value() & (FileAttribute::Directory | FileAttribute::System)) == 0;
}
