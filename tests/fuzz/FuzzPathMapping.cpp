// Arbitrary texts as Windows paths against a fixed temporary tree. Only
// operations that read are called: the fuzzer may name any host path.
#include "platform/FileSystem.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using kavora::platform::Drive;
using kavora::platform::DriveMap;
using kavora::platform::FileSystem;

namespace {

std::string makeTree()
{
    std::string root = (std::filesystem::temp_directory_path() / "kavora-fuzz-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr)
        std::abort();
    for (const char* directory : {"/Music", "/Music/Album", "/Lists", "/Dup", "/.hidden"})
        std::filesystem::create_directory(root + directory);
    for (const char* file : {"/Music/Song.mp3", "/Music/Caf\xC3\xA9.mp3", "/Music/Album/01 Track.mp3",
                             "/Lists/mix.m3u", "/Dup/a.mp3", "/Dup/A.mp3", "/.hidden/x"})
        std::ofstream(root + file) << "x";
    ::mkfifo((root + "/Music/pipe").c_str(), 0644);
    if (::chdir((root + "/Music").c_str()) != 0)
        std::abort();
    static const std::string removeAtExit = root;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(removeAtExit, ignored);
    });
    return root;
}

const FileSystem& fileSystem()
{
    static const std::string root = makeTree();
    static const FileSystem fs(
        DriveMap({Drive{'C', root, "c: [home]"}, Drive{'D', root + "/Lists", "d: [lists]"},
                  Drive{'Z', "/", "z: [/]"}}));
    return fs;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FileSystem& fs = fileSystem();
    const std::string path(reinterpret_cast<const char*>(data), size);

    const auto host = fs.hostPath(path);
    if (host.ok())
        check(!host.value().empty() && host.value().front() == '/');

    const std::string match = fs.firstMatch(path);
    check(match.find_first_of("\\/") == std::string::npos);
    if (!match.empty() && path.find_first_of("*?") == std::string::npos)
        check(fs.fileExists(path));

    const auto word = fs.attributes(path);
    if (word.ok() && fs.fileExists(path))
        check((word.value() & kavora::platform::Directory) == 0);
    if (fs.fileExists(path))
        check(fs.sameFile(path, path));
    return 0;
}
