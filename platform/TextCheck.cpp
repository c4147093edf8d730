#include "platform/TextCheck.h"

namespace kavora::platform {

FsStatus checkTextStart(std::string_view start)
{
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF"))
        return {};
    if (start.substr(0, kTextCheckBytes).find('\0') != std::string_view::npos)
        return FsFailure{FsError::NotAPlaylist, "not a text file"};
    return {};
}

} // namespace kavora::platform
