#pragma once

#include <string_view>

namespace kavora {

enum class MessageIcon { None, Information, Warning, Critical };

// Modal message boxes with a single OK button; returns when dismissed.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(std::string_view prompt, std::string_view title, MessageIcon icon) = 0;
};

inline constexpr std::string_view kApplicationTitle = "KVR";

} // namespace kavora
