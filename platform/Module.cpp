#include "platform/Module.h"

#include "platform/internal/HostError.h"

#include <cerrno>
#include <dlfcn.h>
#include <unistd.h>

namespace kavora::platform {

std::string programDirectory()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return ".";
    path.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

FsResult<void*> loadModuleFunction(const std::string& hostPath, const char* name)
{
    if (::access(hostPath.c_str(), R_OK) != 0)
        return internal::failureFromErrno(errno);
    void* const module = ::dlopen(hostPath.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (module == nullptr)
        return internal::makeFailure(FsError::Other, ::dlerror());
    void* const function = ::dlsym(module, name);
    if (function == nullptr)
        return internal::makeFailure(FsError::Other, ::dlerror());
    return function;
}

} // namespace kavora::platform
