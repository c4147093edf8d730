#include "shell/HelpFile.h"

namespace kavora::shell {

std::string windowsProgramDirectory(std::string_view hostDirectory)
{
    std::string directory = "Z:";
    for (const char c : hostDirectory)
        directory += c == '/' ? '\\' : c;
    // The platform reports no trailing backslash except at a drive root.
    while (directory.size() > 3 && directory.back() == '\\')
        directory.pop_back();
    if (directory.size() == 2)
        directory += '\\';
    return directory;
}

std::string HelpFileName(std::string_view programDirectory)
{
    std::string name(programDirectory);
    name += '\\';
    name += kHelpFileBaseName;
    return name;
}

std::string hostPathOf(std::string_view windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || (windowsPath[0] != 'Z' && windowsPath[0] != 'z'))
        return {};
    std::string hostPath;
    for (const char c : windowsPath.substr(2)) {
        const char separated = c == '\\' ? '/' : c;
        if (separated == '/' && !hostPath.empty() && hostPath.back() == '/')
            continue;
        hostPath += separated;
    }
    if (hostPath.empty() || hostPath.front() != '/')
        hostPath.insert(hostPath.begin(), '/');
    return hostPath;
}

std::string helpAnchor(std::uint16_t command, std::int32_t context)
{
    switch (command) {
    case kHelpFinder:
        return "contents";
    case kHelpContext:
        return "context-" + std::to_string(context);
    default:
        return {};
    }
}

} // namespace kavora::shell
