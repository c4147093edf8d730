#pragma once

#include <string_view>

namespace kavora::platform {

// What a standard stream of the process is connected to.
enum class StreamKind { Terminal, Pipe, File, Other };

StreamKind standardOutputKind();
StreamKind standardErrorKind();

// Opens each of standard input, output and error that is closed on
// /dev/null, so that no file the program opens later takes its number and
// receives what is meant for the stream. First thing at start.
void openClosedStandardStreams();

// A reader that goes away (`kavora ... | head`) then makes writes fail
// instead of ending the process in the middle of a job.
void ignoreBrokenPipe();

} // namespace kavora::platform
