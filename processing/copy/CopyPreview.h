#pragma once

#include <string>
#include <vector>

namespace kavora::copy {

struct CopyPlan;

// The entry lines a plan foresees, in playlist order: "Would copy ..." for
// each copy and the line of each entry left out, where a real run reports it.
std::vector<std::string> plannedEntryLines(const CopyPlan& plan);

// What the window shows of a plan before the copy starts, lines joined by
// CR LF: the files, their size, the target and its free space and file
// system, each name that had to change for the device, then the entry lines.
// A plan that cannot start shows why.
std::string copyPreviewText(const CopyPlan& plan);

} // namespace kavora::copy
