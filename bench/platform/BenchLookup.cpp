// Times the per-entry lookups of a job: 20,000 missing names and 1,000 present
// ones (half of them in another letter case) in a folder of 1,000 files, asked
// of a Live object, which reads the host on every call, and of a Snapshot
// object, which reads the folder once.
#include "bench/BenchSupport.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using kavora::platform::FileSystem;

constexpr int kPresent = 1'000;
constexpr int kMissing = 20'000;

std::string trackName(int index, bool shouted)
{
    char name[32];
    std::snprintf(name, sizeof name, shouted ? "TRACK %05d.MP3" : "Track %05d.mp3", index);
    return name;
}

// The paths a playlist would hold: present files first, then missing ones.
std::vector<std::string> populate(const std::string& home)
{
    std::filesystem::create_directories(home + "/Music");
    std::vector<std::string> paths;
    for (int i = 0; i < kPresent + kMissing; ++i) {
        if (i < kPresent)
            kavora::bench::createEmptyFile(home + "/Music/" + trackName(i, false));
        paths.push_back("C:\\Music\\" + trackName(i, i % 2 == 1));
    }
    return paths;
}

// Best of several runs; each run asks a new object, as each job makes one.
double secondsToLookUp(FileSystem::View view, const std::vector<std::string>& paths)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        int found = 0;
        const double elapsed = kavora::bench::secondsOf([&] {
            const FileSystem fs(view);
            for (const std::string& path : paths)
                found += fs.fileExists(path) ? 1 : 0;
        });
        if (found != kPresent) {
            std::fprintf(stderr, "found %d of %d files\n", found, kPresent);
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
    ::setenv("HOME", root.c_str(), 1);
    const std::vector<std::string> paths = populate(root);

    const double live = secondsToLookUp(FileSystem::View::Live, paths);
    const double snapshot = secondsToLookUp(FileSystem::View::Snapshot, paths);
    const double entries = static_cast<double>(paths.size());

    std::printf("lookups: %zu\n", paths.size());
    std::printf("lookup_live_ms: %.1f\n", live * 1000);
    std::printf("lookup_snapshot_ms: %.1f\n", snapshot * 1000);
    std::printf("lookup_snapshot_us_per_entry: %.3f\n", snapshot * 1e6 / entries);
    std::printf("snapshot_speedup: %.1f\n", live / snapshot);

    std::filesystem::remove_all(root);
    return 0;
}
