#include "processing/PathNotation.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace kavora {

std::string WindowsNotation::shown(const platform::FileSystem& files, std::string_view path,
                                   const Lookup&) const
{
    if (platform::formOf(path) != platform::PathForm::HostAbsolute)
        return std::string(path);
    std::string windows = files.drives().windowsPath(path);
    if (windows.empty())
        return std::string(path);
    return windows;
}

std::string HostNotation::shown(const platform::FileSystem& files, std::string_view,
                                const Lookup& lookup) const
{
    return files.shownHostPath(lookup());
}

} // namespace kavora
