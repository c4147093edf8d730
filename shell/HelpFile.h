#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavora::shell {

// Help commands of the help engine, with their published values.
inline constexpr std::uint16_t kHelpContext = 1; // the topic with a context number
inline constexpr std::uint16_t kHelpFinder = 11; // the Help Topics view (contents)

inline constexpr std::int32_t kLicenseAgreementContext = 2;
inline constexpr std::int32_t kTechnicalSupportContext = 3;

inline constexpr std::string_view kHelpFileBaseName = "KVR.HLP";

// A host directory as the program sees it, in Windows form on drive Z: (the
// host root): "/usr/bin" is "Z:\usr\bin" and "/" is the drive root "Z:\", the
// only form that ends in a backslash.
std::string windowsProgramDirectory(std::string_view hostDirectory);

// The help file's full name: the program's directory followed by "\KVR.HLP".
// Plain concatenation, so at a drive root the name carries two backslashes.
std::string HelpFileName(std::string_view programDirectory);

// The host file behind a Windows path on drive Z: (either separator; doubled
// separators count as one). Other drives are not the program's and map to "".
std::string hostPathOf(std::string_view windowsPath);

// The anchor of the help file that a command and context number lead to:
// "contents" for the Help Topics view, "context-N" for a context topic, ""
// for a command the viewer does not know.
std::string helpAnchor(std::uint16_t command, std::int32_t context);

} // namespace kavora::shell
