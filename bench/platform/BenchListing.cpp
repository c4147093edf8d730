// Times the file list of the selection window over large directories: 50,000
// files, and 100,000 to show that the cost grows linearly (ratio near 2).
#include "bench/BenchSupport.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using kavora::platform::FileSystem;

// One in ten files is a playlist, the rest music, as in a large music folder.
void populate(const std::string& directory, int count)
{
    std::filesystem::create_directory(directory);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/Track %06d%s", i, i % 10 == 0 ? ".m3u" : ".mp3");
        kavora::bench::createEmptyFile(directory + name);
    }
}

// Best of several runs: the least disturbed measurement of the same work.
double secondsToList(const FileSystem& fs, const std::string& directory, const char* pattern,
                     std::size_t expected)
{
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        bool listed = false;
        const double elapsed = kavora::bench::secondsOf([&] {
            const auto names = fs.matchingFiles(directory, pattern);
            listed = names.ok() && names.value().size() == expected;
        });
        if (!listed) {
            std::fprintf(stderr, "listing %s in %s failed\n", pattern, directory.c_str());
            std::exit(1);
        }
        best = std::min(best, elapsed);
    }
    return best;
}

} // namespace

int main()
{
    const std::string root = kavora::bench::makeScratchDirectory();
    const std::string small = root + "/50k";
    const std::string large = root + "/100k";
    populate(small, 50'000);
    populate(large, 100'000);

    const FileSystem fs;
    const double all50k = secondsToList(fs, small, "*.*", 50'000);
    const double playlists50k = secondsToList(fs, small, "*.m3u", 5'000);
    const double all100k = secondsToList(fs, large, "*.*", 100'000);
    const double playlists100k = secondsToList(fs, large, "*.m3u", 10'000);

    std::printf("list_50k_s: %.4f\n", all50k);
    std::printf("list_50k_m3u_s: %.4f\n", playlists50k);
    std::printf("list_100k_s: %.4f\n", all100k);
    std::printf("list_100k_m3u_s: %.4f\n", playlists100k);
    std::printf("list_scaling_2x: %.2f\n", all100k / all50k);
    std::printf("list_m3u_scaling_2x: %.2f\n", playlists100k / playlists50k);

    std::filesystem::remove_all(root);
    return 0;
}
