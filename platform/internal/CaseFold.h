#pragma once

#include <string>
#include <string_view>

namespace kavora::platform::internal {

// A name as a sequence of code points folded as Windows folds case, for
// comparing and sorting names as Windows does (case-insensitively), and in its
// composed form (NFC), so that a decomposed name (NFD) is the same. Bytes that
// are not valid UTF-8 become U+DC80..U+DCFF, which no valid text decodes to, so
// they only ever equal themselves.
std::u32string foldedName(std::string_view bytes);

bool equalIgnoringCase(std::string_view first, std::string_view second);

// Strict weak order for listings: case-insensitive, ties broken by the bytes so
// that the order is the same on every run.
struct FoldedKey {
    std::u32string folded;
    std::string name;
    bool operator<(const FoldedKey& other) const
    {
        if (folded != other.folded)
            return folded < other.folded;
        return name < other.name;
    }
};

} // namespace kavora::platform::internal
