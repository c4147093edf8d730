#include "processing/copy/CopiesPlaylist.h"

#include "platform/DisplayText.h"
#include "processing/ReportText.h"
#include "processing/copy/CopyPlan.h"
#include "processing/playlist/PlaylistLine.h"

namespace kavora::copy {

std::string copiesPlaylistText(const std::vector<const PlannedCopy*>& copies)
{
    using kavora::report::kCrlf;
    std::string text("#EXTM3U");
    text += kCrlf;
    for (const PlannedCopy* copy : copies) {
        if (!copy->title.empty()) {
            text += playlist::titleLine(platform::displayText(copy->title));
            text += kCrlf;
        }
        text += copy->name;
        text += kCrlf;
    }
    return text;
}

} // namespace kavora::copy
