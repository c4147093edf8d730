// Times Create then Remove over a music folder against the bare system calls
// that do the same renames and against the shell loop a user would write; also
// over an extended M3U with a title line per entry and relative entries, and
// over the same list as an XSPF of file URIs with titles.
#include "bench/processing/EngineWorkload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace kavora::bench;

// Create, then Remove over the new playlist and over the numbered folder.
double timeEngine(const Workload& load)
{
    setenv("HOME", load.home.c_str(), 1);
    return kavora::bench::secondsOf([&] {
        runJob("Create", "C:\\Lists\\" + load.createList);
        runJob("Remove", "C:\\Lists\\create.kvr");
        runJob("Remove", "C:\\Lists\\remove.kvr");
    });
}

// The same renames as bare calls: stat, write the same lines, and as the job
// does, sync them every 64 files (or 200 ms) before renaming those files.
double timeFloor(const Workload& load)
{
    std::vector<std::string> createHosts, removeHosts;
    for (const std::string& entry : load.createEntries) {
        createHosts.push_back(hostOf(load.home, entry));
    }
    for (const std::string& entry : load.removeEntries) {
        removeHosts.push_back(hostOf(load.home, entry));
    }
    const std::string listPath = (load.home / "Lists" / "floor.kvr").string();
    return kavora::bench::secondsOf([&] {
        std::vector<std::string> numbered;
        const int list = ::open(listPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        struct stat info {};
        if (load.extended) {
            (void)!::write(list, "#EXTM3U\r\n", 9);
        }
        std::vector<std::string> waiting;
        auto groupStart = std::chrono::steady_clock::now();
        const auto renameWaiting = [&] {
            if (waiting.empty()) {
                return;
            }
            (void)::fdatasync(list);
            for (const std::string& host : waiting) {
                (void)::rename(host.c_str(),
                               numberedHost(host, static_cast<int>(numbered.size()) + 1).c_str());
                numbered.push_back(numberedHost(host, static_cast<int>(numbered.size()) + 1));
            }
            waiting.clear();
        };
        for (const std::string& host : createHosts) {
            if (::stat(host.c_str(), &info) == 0) {
                const std::string path =
                    numberedHost(host, static_cast<int>(numbered.size() + waiting.size()) + 1);
                const std::string name = path.substr(path.rfind('/') + 1);
                const std::string line = load.xspf ? "#EXTINF:-1," + titleLine(name.substr(4)).substr(12) +
                                                         "\r\nfile://" + uriName(path) + "\r\n"
                                         : load.extended
                                             ? titleLine(name.substr(4)) + "\r\n../Music/" + name + "\r\n"
                                             : path + "\r\n";
                (void)!::write(list, line.data(), line.size());
                if (waiting.empty()) {
                    groupStart = std::chrono::steady_clock::now();
                }
                waiting.push_back(host);
                if (waiting.size() == 64 ||
                    std::chrono::steady_clock::now() - groupStart >= std::chrono::milliseconds(200)) {
                    renameWaiting();
                }
            }
        }
        renameWaiting();
        ::close(list);
        for (const auto* hosts : {&numbered, &removeHosts}) {
            for (const std::string& host : *hosts) {
                if (::stat(host.c_str(), &info) == 0) {
                    (void)::rename(host.c_str(), unnumberedHost(host).c_str());
                }
            }
        }
    });
}

double timeShell(const Workload& load)
{
    std::vector<std::string> hosts;
    for (const std::string& entry : load.createEntries) {
        hosts.push_back(hostOf(load.home, entry));
    }
    writeLines(load.home / "Lists" / "shell.txt", hosts, "\n");
    std::vector<std::string> removeHosts;
    for (const std::string& entry : load.removeEntries) {
        removeHosts.push_back(hostOf(load.home, entry));
    }
    writeLines(load.home / "Lists" / "shell-remove.txt", removeHosts, "\n");
    const fs::path script = load.home / "Lists" / "number.sh";
    std::ofstream(script) << "cd \"$1\" || exit 1\n"
                             ": > shell.kvr\n"
                             "n=0\n"
                             "while IFS= read -r f; do\n"
                             "  if [ -f \"$f\" ]; then\n"
                             "    n=$((n+1)); printf -v new '%s/%03d %s' \"${f%/*}\" \"$n\" \"${f##*/}\"\n"
                             "    mv -n \"$f\" \"$new\" && printf '%s\\n' \"$new\" >> shell.kvr\n"
                             "  fi\n"
                             "done < shell.txt\n"
                             "cat shell.kvr shell-remove.txt | while IFS= read -r f; do\n"
                             "  if [ -f \"$f\" ]; then b=${f##*/}; mv -n \"$f\" \"${f%/*}/${b:4}\"; fi\n"
                             "done\n";
    const std::string command = "bash '" + script.string() + "' '" + (load.home / "Lists").string() + "'";
    return kavora::bench::secondsOf([&] {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "shell loop failed\n");
        }
    });
}

double best(int runs, const Workload& load, double (*timing)(const Workload&))
{
    double fastest = 1e30;
    for (int run = 0; run < runs; ++run) {
        fastest = std::min(fastest, timing(load));
        renumber(load);
    }
    return fastest;
}

} // namespace

int main()
{
    const fs::path root = kavora::bench::makeScratchDirectory();
    const Workload base = makeWorkload("base", root, 20000, 999);
    // Ten times the entries: Create keeps its 999 found files.
    const Workload tenfold = makeWorkload("tenfold", root, 10 * (999 + 20000) - 999, 10 * 999);
    const Workload extended = makeWorkload("extended", root, 20000, 999, true);
    const Workload xspf = makeWorkload("xspf", root, 20000, 999, false, true);

    const double engine = best(2, base, timeEngine);
    const double floor = best(2, base, timeFloor);
    const double shell = best(1, base, timeShell);
    const double engine10 = best(1, tenfold, timeEngine);
    const double floor10 = best(2, tenfold, timeFloor);
    const double engineExtended = best(2, extended, timeEngine);
    const double floorExtended = best(2, extended, timeFloor);
    const double engineXspf = best(2, xspf, timeEngine);
    const double floorXspf = best(2, xspf, timeFloor);
    const bool clean = restored(base) && restored(tenfold) && restored(extended) && restored(xspf);

    std::printf("entries_base: %zu\n", base.createEntries.size() + base.removeEntries.size());
    std::printf("entries_10x: %zu\n", tenfold.createEntries.size() + tenfold.removeEntries.size());
    std::printf("create_remove_ms: %.1f\n", engine * 1000);
    std::printf("floor_ms: %.1f\n", floor * 1000);
    std::printf("shell_loop_ms: %.1f\n", shell * 1000);
    std::printf("create_remove_10x_ms: %.1f\n", engine10 * 1000);
    std::printf("floor_10x_ms: %.1f\n", floor10 * 1000);
    std::printf("create_remove_ext_ms: %.1f\n", engineExtended * 1000);
    std::printf("floor_ext_ms: %.1f\n", floorExtended * 1000);
    std::printf("create_remove_xspf_ms: %.1f\n", engineXspf * 1000);
    std::printf("floor_xspf_ms: %.1f\n", floorXspf * 1000);
    std::printf("create_remove_vs_floor: %.2f\n", engine / floor);
    std::printf("create_remove_ext_vs_floor: %.2f\n", engineExtended / floorExtended);
    std::printf("create_remove_xspf_vs_floor: %.2f\n", engineXspf / floorXspf);
    std::printf("speedup_vs_shell: %.1f\n", shell / engine);
    std::printf("scaling_10x: %.2f\n", engine10 / engine);
    std::printf("names_restored: %s\n", clean ? "yes" : "no");

    fs::remove_all(root);
    return clean ? 0 : 1;
}
