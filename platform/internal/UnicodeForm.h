#pragma once

#include <string>

namespace kavora::platform::internal {

// The canonical composition (NFC) of a text, so that a name written composed
// (as Linux and Windows mostly store it) and one written decomposed (NFD, as
// macOS stores it) compare equal, and a wildcard "?" takes one letter in
// either. Code points that no valid text holds, such as the lone surrogates
// undecodable bytes stand for, stay as they are.
std::u32string composed(const std::u32string& text);

} // namespace kavora::platform::internal
