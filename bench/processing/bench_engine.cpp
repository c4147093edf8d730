// Times Create then Remove over a music folder against the bare system calls
// that do the same renames and against the shell loop a user would write; also
// over an extended M3U with a title line per entry and relative entries.
#include "bench/BenchSupport.h"
#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"
#include "processing/ProcessPlaylist.h"

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

namespace fs = std::filesystem;
using kavora::AppState;

class NullWindow final : public kavora::JobWindow {
public:
    void setExplanation(std::string_view) override {}
    void setNextEnabled(bool) override {}
    void setNextVisible(bool) override {}
    void setBackEnabled(bool) override {}
    void setBackVisible(bool) override {}
    void setDoneVisible(bool) override {}
    int progressValue() const override { return m_progress; }
    void setProgressValue(int value) override { m_progress = value; }
    void setProgressVisible(bool) override {}
    void setStatusText(std::string_view) override {}
    void replaceReport(std::string_view text) override { m_reportSize = text.size(); }
    void appendToReport(std::string_view addition) override { m_reportSize += addition.size(); }
    void refresh() override {}

private:
    int m_progress = 0;
    std::size_t m_reportSize = 0;
};

class IgnoreErrorsDialog final : public kavora::MissingFileDialog {
public:
    void showModal(std::string_view, std::string_view, kavora::MissingFileHandlers& handlers) override
    {
        (void)handlers.Command3Click();
    }
};

class NoMessages final : public kavora::MessageBoxes {
public:
    void show(std::string_view, std::string_view, kavora::MessageIcon) override {}
};

struct Workload {
    std::string name;
    fs::path home;
    std::vector<std::string> createEntries; // Windows paths
    std::vector<std::string> removeEntries; // Windows paths of numbered files
    bool extended = false;                  // "#EXTINF" before each entry, entries relative to the playlist
};

std::string titleLine(const std::string& track)
{
    return "#EXTINF:215,Artist - " + track.substr(0, track.size() - 4);
}

std::string trackName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "Track %05d.mp3", index);
    return name;
}

std::string hostOf(const fs::path& home, const std::string& windowsPath)
{
    std::string host = home.string();
    for (const char c : windowsPath.substr(2)) {
        host.push_back(c == '\\' ? '/' : c);
    }
    return host;
}

void writeLines(const fs::path& path, const std::vector<std::string>& lines, const char* end)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) {
        out << line << end;
    }
}

// 999 found files among `missing` missing entries for Create; `removeFiles`
// numbered files for Remove.
Workload makeWorkload(const std::string& name, const fs::path& root, int missing, int removeFiles,
                      bool extended = false)
{
    Workload load{name, root / name, {}, {}, extended};
    fs::create_directories(load.home / "Music");
    fs::create_directories(load.home / "Numbered");
    fs::create_directories(load.home / "Lists");
    const int found = 999;
    const int total = found + missing;
    for (int index = 0; index < total; ++index) {
        const std::string track = trackName(index);
        // Found files spread evenly through the playlist.
        if (static_cast<long>(index) * found / total != static_cast<long>(index + 1) * found / total) {
            std::ofstream(load.home / "Music" / track) << track;
        }
        load.createEntries.push_back("C:\\Music\\" + track);
    }
    for (int index = 0; index < removeFiles; ++index) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%03d ", index % 999 + 1);
        const std::string track = prefix + trackName(index);
        std::ofstream(load.home / "Numbered" / track) << track;
        load.removeEntries.push_back("C:\\Numbered\\" + track);
    }
    if (extended) {
        std::vector<std::string> lines = {"#EXTM3U"};
        for (const std::string& entry : load.createEntries) {
            const std::string track = entry.substr(entry.rfind('\\') + 1);
            lines.push_back(titleLine(track));
            lines.push_back("../Music/" + track);
        }
        writeLines(load.home / "Lists" / "create.m3u", lines, "\r\n");
    } else {
        writeLines(load.home / "Lists" / "create.m3u", load.createEntries, "\r\n");
    }
    writeLines(load.home / "Lists" / "remove.kvr", load.removeEntries, "\r\n");
    return load;
}

void runJob(const std::string& mode, const std::string& playlist)
{
    AppState state;
    state.OperationMode = mode;
    state.InputPlaylistPath = playlist;
    state.PlaylistDirectory = "C:\\Lists";
    NullWindow window;
    IgnoreErrorsDialog dialog;
    NoMessages messages;
    kavora::ProcessPlaylist(state, window, dialog, messages);
}

// Create, then Remove over the new playlist and over the numbered folder.
double timeEngine(const Workload& load)
{
    setenv("HOME", load.home.c_str(), 1);
    return kavora::bench::secondsOf([&] {
        runJob("Create", "C:\\Lists\\create.m3u");
        runJob("Remove", "C:\\Lists\\create.kvr");
        runJob("Remove", "C:\\Lists\\remove.kvr");
    });
}

std::string numberedHost(const std::string& host, int number)
{
    const std::size_t slash = host.rfind('/');
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d ", number);
    return host.substr(0, slash + 1) + prefix + host.substr(slash + 1);
}

std::string unnumberedHost(const std::string& host)
{
    const std::size_t slash = host.rfind('/');
    return host.substr(0, slash + 1) + host.substr(slash + 5);
}

// The same renames as bare calls: stat, rename, write the same lines.
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
        for (const std::string& host : createHosts) {
            if (::stat(host.c_str(), &info) == 0) {
                numbered.push_back(numberedHost(host, static_cast<int>(numbered.size()) + 1));
                const std::string name = numbered.back().substr(numbered.back().rfind('/') + 1);
                const std::string line = load.extended
                                             ? titleLine(name.substr(4)) + "\r\n../Music/" + name + "\r\n"
                                             : numbered.back() + "\r\n";
                (void)!::write(list, line.data(), line.size());
                if (::rename(host.c_str(), numbered.back().c_str()) != 0) {
                    (void)!::ftruncate(list, ::lseek(list, 0, SEEK_CUR) - static_cast<off_t>(line.size()));
                }
            }
        }
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

// Puts the Remove folder's files back under their numbered names, and takes
// away the new playlist, which the next Create would not replace.
void renumber(const Workload& load)
{
    fs::remove(load.home / "Lists" / "create.kvr");
    for (const std::string& entry : load.removeEntries) {
        const std::string numbered = hostOf(load.home, entry);
        fs::rename(unnumberedHost(numbered), numbered);
    }
}

bool restored(const Workload& load)
{
    return std::all_of(load.createEntries.begin(), load.createEntries.end(), [&](const std::string& entry) {
        const std::string host = hostOf(load.home, entry);
        return !fs::exists(numberedHost(host, 1)) && !fs::exists(numberedHost(host, 999));
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

    const double engine = best(2, base, timeEngine);
    const double floor = best(2, base, timeFloor);
    const double shell = best(1, base, timeShell);
    const double engine10 = best(1, tenfold, timeEngine);
    const double floor10 = best(2, tenfold, timeFloor);
    const double engineExtended = best(2, extended, timeEngine);
    const double floorExtended = best(2, extended, timeFloor);
    const bool clean = restored(base) && restored(tenfold) && restored(extended);

    std::printf("entries_base: %zu\n", base.createEntries.size() + base.removeEntries.size());
    std::printf("entries_10x: %zu\n", tenfold.createEntries.size() + tenfold.removeEntries.size());
    std::printf("create_remove_ms: %.1f\n", engine * 1000);
    std::printf("floor_ms: %.1f\n", floor * 1000);
    std::printf("shell_loop_ms: %.1f\n", shell * 1000);
    std::printf("create_remove_10x_ms: %.1f\n", engine10 * 1000);
    std::printf("floor_10x_ms: %.1f\n", floor10 * 1000);
    std::printf("create_remove_ext_ms: %.1f\n", engineExtended * 1000);
    std::printf("floor_ext_ms: %.1f\n", floorExtended * 1000);
    std::printf("create_remove_vs_floor: %.2f\n", engine / floor);
    std::printf("create_remove_ext_vs_floor: %.2f\n", engineExtended / floorExtended);
    std::printf("speedup_vs_shell: %.1f\n", shell / engine);
    std::printf("scaling_10x: %.2f\n", engine10 / engine);
    std::printf("names_restored: %s\n", clean ? "yes" : "no");

    fs::remove_all(root);
    return clean ? 0 : 1;
}
