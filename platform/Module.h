#pragma once

#include "platform/FsStatus.h"

#include <string>

namespace kavora::platform {

// The host directory the running program's file lies in.
std::string programDirectory();

// Loads the shared module at a host path and gives the address of one of its
// functions. The module stays loaded for the rest of the run.
FsResult<void*> loadModuleFunction(const std::string& hostPath, const char* name);

} // namespace kavora::platform
