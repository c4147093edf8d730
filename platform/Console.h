#pragma once

#include <string_view>

namespace kavora::platform {

// What a standard stream of the process is connected to.
enum class StreamKind { Terminal, Pipe, File, Other };

StreamKind standardOutputKind();
StreamKind standardErrorKind();

} // namespace kavora::platform
