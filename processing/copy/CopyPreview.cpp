#include "processing/copy/CopyPreview.h"

#include "processing/ReportText.h"
#include "processing/copy/CopyPlan.h"
#include "processing/copy/CopyReport.h"

namespace kavora::copy {

std::vector<std::string> plannedEntryLines(const CopyPlan& plan)
{
    std::vector<std::string> lines;
    lines.reserve(plan.copies.size() + plan.failures.size());
    std::size_t nextFailure = 0;
    for (std::size_t index = 0; index <= plan.copies.size(); ++index) {
        for (; nextFailure < plan.failures.size() && plan.failures[nextFailure].beforeCopy <= index;
             ++nextFailure)
            lines.push_back(plan.failures[nextFailure].line);
        if (index < plan.copies.size())
            lines.push_back(report::wouldCopy(plan.copies[index].source, plan.copies[index].name));
    }
    return lines;
}

std::string copyPreviewText(const CopyPlan& plan)
{
    using kavora::report::kCrlf;
    if (!plan.canStart())
        return plan.refusal;
    std::string text = report::planLine(plan.copies.size(), plan.totalBytes, plan.targetFolder,
                                        !plan.targetExists, plan.freeBytes);
    if (!plan.targetType.empty())
        text.append(kCrlf).append("File system there: ").append(plan.targetType);
    const std::uint64_t mended = plan.mendedNames();
    text.append(kCrlf).append(mended == 0 ? "No name had to change for the device"
                                          : "Names changed for the device: " + std::to_string(mended));
    for (const PlannedCopy& copy : plan.copies)
        if (copy.nameMended)
            text.append(kCrlf)
                .append("    ")
                .append(copy.file.name)
                .append(" -> ")
                .append(copy.name);
    text.append(kCrlf);
    for (const std::string& line : plannedEntryLines(plan))
        text.append(kCrlf).append(line);
    return text;
}

} // namespace kavora::copy
