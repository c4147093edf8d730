// Compares wildcardMatch with a plain recursive matcher on the same folded
// text. Input: pattern, a zero byte, name.
#include "platform/FileSystem.h"
#include "platform/internal/CaseFold.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The glob rules as a plain recursion over what is left of pattern and name,
// each pair of places answered once: a unit with many stars stays quick.
bool reference(std::u32string_view pattern, std::u32string_view name)
{
    std::vector<std::vector<signed char>> known(pattern.size() + 1,
                                                std::vector<signed char>(name.size() + 1, -1));
    const auto match = [&](const auto& self, std::size_t p, std::size_t n) -> bool {
        signed char& answer = known[p][n];
        if (answer >= 0)
            return answer != 0;
        bool matched = false;
        if (p == pattern.size())
            matched = n == name.size();
        else if (pattern[p] == U'*')
            matched = self(self, p + 1, n) || (n < name.size() && self(self, p, n + 1));
        else
            matched =
                n < name.size() && (pattern[p] == U'?' || pattern[p] == name[n]) && self(self, p + 1, n + 1);
        answer = matched ? 1 : 0;
        return matched;
    };
    return match(match, 0, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    if (split == std::string_view::npos)
        return 0;
    const std::string_view pattern = input.substr(0, split);
    const std::string_view name = input.substr(split + 1);
    // Names and patterns as file lists use them.
    if (pattern.size() > 12 || name.size() > 24)
        return 0;

    const std::u32string foldedPattern = kavora::platform::internal::foldedName(pattern);
    const std::u32string foldedName = kavora::platform::internal::foldedName(name);
    bool expected = reference(foldedPattern, foldedName);
    if (!expected && foldedPattern.size() >= 2 && std::u32string_view(foldedPattern).ends_with(U".*"))
        expected =
            reference(std::u32string_view(foldedPattern).substr(0, foldedPattern.size() - 2), foldedName);
    if (kavora::platform::wildcardMatch(pattern, name) != expected)
        std::abort();
    return 0;
}
