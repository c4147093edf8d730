// Compares wildcardMatch with a plain recursive matcher on the same folded
// text. Input: pattern, a zero byte, name.
#include "platform/FileSystem.h"
#include "platform/internal/CaseFold.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool reference(std::u32string_view pattern, std::u32string_view name)
{
    if (pattern.empty())
        return name.empty();
    if (pattern.front() == U'*')
        return reference(pattern.substr(1), name) || (!name.empty() && reference(pattern, name.substr(1)));
    if (name.empty())
        return false;
    return (pattern.front() == U'?' || pattern.front() == name.front()) &&
           reference(pattern.substr(1), name.substr(1));
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
    // The reference is exponential in stars; keep its inputs small.
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
