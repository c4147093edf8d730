#pragma once

#include <string>
#include <string_view>

namespace kavora::platform::internal {

// A wildcard pattern folded once, to be matched against many names.
class WildcardPattern final {
public:
    explicit WildcardPattern(std::string_view pattern);
    bool matches(std::string_view name) const;

private:
    std::u32string m_pattern;
    bool m_optionalDotStar = false; // a trailing ".*" also matches a name without a dot
};

} // namespace kavora::platform::internal
