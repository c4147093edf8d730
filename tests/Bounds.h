#pragma once

#include <chrono>

// Time and memory bounds of the tests. Built with AddressSanitizer the code
// runs several times slower and freed memory is held back in quarantine, so
// time bounds stretch and resident sizes say nothing there.
namespace kavora::bounds {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSlowdown = 5;
inline constexpr bool kResidentSizeMeasured = false;
#else
inline constexpr int kSlowdown = 1;
inline constexpr bool kResidentSizeMeasured = true;
#endif

template <class Rep, class Period> constexpr auto timeBound(std::chrono::duration<Rep, Period> unsanitized)
{
    return unsanitized * kSlowdown;
}

} // namespace kavora::bounds
