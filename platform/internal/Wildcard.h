#pragma once

#include <string>
#include <string_view>

namespace kavora::platform::internal {

// A wildcard pattern folded once, to be matched against many names.
class WildcardPattern final {
public:
    explicit WildcardPattern(std::string_view pattern);
    bool matches(std::string_view name) const;
    // For a name already folded with foldedName().
    bool matchesFolded(std::u32string_view foldedName) const;

private:
    std::u32string m_pattern;
    bool m_optionalDotStar = false; // a trailing ".*" also matches a name without a dot
};

} // namespace kavora::platform::internal
