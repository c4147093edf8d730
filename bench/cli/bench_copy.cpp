// Times "kavora --copy" as a whole process: 1 GB in 200 files against cp of
// the same files into an empty folder followed by "sync -f" on it, taking
// turns (copy_vs_cp, Kavora's time over cp's, medians); and the plan alone
// (a dry run) over a playlist of 20,000 entries (copy_plan_20k_s).
#include "bench/BenchSupport.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kavora::bench;

void runOrExit(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// `count` files of `size` bytes in `folder`, and a playlist of them.
void makeLibrary(const std::string& folder, const std::string& playlist, int count, std::size_t size)
{
    std::filesystem::create_directories(folder);
    std::ofstream list(playlist, std::ios::binary);
    std::string bytes(size, '\0');
    for (int index = 0; index < count; ++index) {
        const std::string path = folder + "/Track " + std::to_string(index) + ".mp3";
        if (size == 0) {
            createEmptyFile(path);
        } else {
            std::generate(bytes.begin(), bytes.begin() + 64, [index] { return static_cast<char>(index); });
            std::ofstream(path, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        list << path << "\r\n";
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    const std::string root = makeScratchDirectory();
    const std::string program = quoted(KAVORA_PROGRAM);

    makeLibrary(root + "/Music", root + "/gigabyte.m3u", 200, std::size_t{5} << 20);
    runOrExit("sync -f " + quoted(root));
    std::vector<double> kavora, cp;
    for (int round = 0; round < 3; ++round) {
        const std::string kavoraTarget = root + "/k" + std::to_string(round);
        const std::string cpTarget = root + "/c" + std::to_string(round);
        kavora.push_back(secondsOf([&] {
            runOrExit(program + " --copy " + quoted(root + "/gigabyte.m3u") + " --to " +
                      quoted(kavoraTarget) + " >/dev/null");
        }));
        cp.push_back(secondsOf([&] {
            runOrExit("mkdir " + quoted(cpTarget) + " && cp " + quoted(root + "/Music") + "/* " +
                      quoted(cpTarget) + " && sync -f " + quoted(cpTarget));
        }));
        runOrExit("rm -rf " + quoted(kavoraTarget) + " " + quoted(cpTarget) + " && sync -f " + quoted(root));
    }
    std::printf("copy_kavora_s: %.2f\ncopy_cp_sync_s: %.2f\ncopy_vs_cp: %.2f\n", median(kavora), median(cp),
                median(kavora) / median(cp));

    makeLibrary(root + "/Many", root + "/many.m3u", 20000, 0);
    std::vector<double> plans;
    for (int round = 0; round < 3; ++round)
        plans.push_back(secondsOf([&] {
            runOrExit(program + " --copy " + quoted(root + "/many.m3u") + " --to " + quoted(root + "/Plan") +
                      " --dry-run >/dev/null");
        }));
    std::printf("copy_plan_20k_s: %.3f\n", median(plans));

    std::filesystem::remove_all(root);
    return 0;
}
