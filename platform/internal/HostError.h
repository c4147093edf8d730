#pragma once

#include "platform/FsStatus.h"

#include <string>

namespace kavora::platform::internal {

// The failure an errno value stands for, with a reason fit for a report line.
FsFailure failureFromErrno(int error);

inline FsFailure makeFailure(FsError code, std::string reason)
{
    return FsFailure{code, std::move(reason)};
}

} // namespace kavora::platform::internal
