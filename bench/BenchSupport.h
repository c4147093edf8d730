#pragma once

// What the benchmark programs share: a scratch folder, empty files and timing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace kavora::bench {

// A new folder under the system's temporary directory; ends the program when
// none can be made.
inline std::string makeScratchDirectory()
{
    std::string root = (std::filesystem::temp_directory_path() / "kavora-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return root;
}

inline void createEmptyFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

template <typename Work>
double secondsOf(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace kavora::bench
