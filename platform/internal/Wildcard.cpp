#include "platform/internal/Wildcard.h"

#include "platform/FileSystem.h"
#include "platform/internal/CaseFold.h"

namespace kavora::platform::internal {

namespace {

// Glob match with backtracking to the last star only: O(pattern * name) at
// worst, linear for the patterns a file list uses.
bool globMatch(std::u32string_view pattern, std::u32string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::u32string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        // A star in the pattern is always a wildcard, also where the name
        // holds a literal '*' (legal in host file names).
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::u32string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) : m_pattern(foldedName(pattern))
{
    m_optionalDotStar = m_pattern.size() >= 2 && m_pattern.ends_with(U".*");
}

bool WildcardPattern::matches(std::string_view name) const
{
    return matchesFolded(foldedName(name));
}

bool WildcardPattern::matchesFolded(std::u32string_view folded) const
{
    if (globMatch(m_pattern, folded))
        return true;
    return m_optionalDotStar &&
           globMatch(std::u32string_view(m_pattern).substr(0, m_pattern.size() - 2), folded);
}

} // namespace kavora::platform::internal

namespace kavora::platform {

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    return internal::WildcardPattern(pattern).matches(name);
}

} // namespace kavora::platform
