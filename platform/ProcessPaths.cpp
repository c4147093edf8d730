#include "platform/ProcessPaths.h"

#include "platform/PathText.h"

#include <cerrno>
#include <unistd.h>

namespace kavora::platform {

std::string absolutePath(std::string_view path)
{
    if (formOf(path) != PathForm::Relative)
        return std::string(path);
    std::string current(4096, '\0');
    while (::getcwd(current.data(), current.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string(path);
        current.resize(current.size() * 2);
    }
    current.resize(current.find('\0'));
    return joinPath(current, path);
}

} // namespace kavora::platform
