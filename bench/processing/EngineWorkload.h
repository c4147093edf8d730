#pragma once

// The music folders and playlists the engine benchmarks work on, and the
// engine run without a window, as bench_engine and bench_cli both time it.
#include "bench/BenchSupport.h"
#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"
#include "processing/PathNotation.h"
#include "processing/ProcessPlaylist.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kavora::bench {

namespace fs = std::filesystem;

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
    const kavora::PathNotation& pathNotation() const override { return m_notation; }

private:
    const kavora::WindowsNotation m_notation;
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
    bool xspf = false; // as an XSPF of file URIs with titles, which Create lists as extended
    std::string createList = "create.m3u";
};

inline std::string titleLine(const std::string& track)
{
    return "#EXTINF:215,Artist - " + track.substr(0, track.size() - 4);
}

// A name as a file URI writes it: the names here need only spaces escaped.
inline std::string uriName(const std::string& name)
{
    std::string escaped;
    for (const char c : name)
        escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return escaped;
}

inline std::string trackName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "Track %05d.mp3", index);
    return name;
}

inline std::string hostOf(const fs::path& home, const std::string& windowsPath)
{
    std::string host = home.string();
    for (const char c : windowsPath.substr(2)) {
        host.push_back(c == '\\' ? '/' : c);
    }
    return host;
}

inline void writeLines(const fs::path& path, const std::vector<std::string>& lines, const char* end)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) {
        out << line << end;
    }
}

// 999 found files among `missing` missing entries for Create; `removeFiles`
// numbered files for Remove.
inline Workload makeWorkload(const std::string& name, const fs::path& root, int missing, int removeFiles,
                             bool extended = false, bool xspf = false)
{
    Workload load{name, root / name, {}, {}, extended || xspf, xspf, xspf ? "create.xspf" : "create.m3u"};
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
    if (xspf) {
        std::ofstream out(load.home / "Lists" / load.createList, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
               "xmlns=\"http://xspf.org/ns/0/\">\n\t<trackList>\n";
        for (const std::string& entry : load.createEntries) {
            const std::string track = entry.substr(entry.rfind('\\') + 1);
            out << "\t\t<track>\n\t\t\t<location>file://"
                << uriName((load.home / "Music").string() + "/" + track) << "</location>\n\t\t\t<title>"
                << track.substr(0, track.size() - 4)
                << "</title>\n\t\t\t<creator>Artist</creator>\n\t\t</track>\n";
        }
        out << "\t</trackList>\n</playlist>\n";
    } else if (extended) {
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

inline void runJob(const std::string& mode, const std::string& playlist)
{
    kavora::AppState state;
    state.OperationMode = mode;
    state.InputPlaylistPath = playlist;
    state.PlaylistDirectory = "C:\\Lists";
    NullWindow window;
    IgnoreErrorsDialog dialog;
    NoMessages messages;
    kavora::ProcessPlaylist(state, window, dialog, messages);
}

inline std::string numberedHost(const std::string& host, int number)
{
    const std::size_t slash = host.rfind('/');
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d ", number);
    return host.substr(0, slash + 1) + prefix + host.substr(slash + 1);
}

inline std::string unnumberedHost(const std::string& host)
{
    const std::size_t slash = host.rfind('/');
    return host.substr(0, slash + 1) + host.substr(slash + 5);
}

// Puts the Remove folder's files back under their numbered names, and takes
// away the new playlist, which the next Create would not replace.
inline void renumber(const Workload& load)
{
    fs::remove(load.home / "Lists" / "create.kvr");
    for (const std::string& entry : load.removeEntries) {
        const std::string numbered = hostOf(load.home, entry);
        std::error_code notTakenOff; // a number that is not its entry's place stays on
        fs::rename(unnumberedHost(numbered), numbered, notTakenOff);
    }
}

inline bool restored(const Workload& load)
{
    return std::all_of(load.createEntries.begin(), load.createEntries.end(), [&](const std::string& entry) {
        const std::string host = hostOf(load.home, entry);
        return !fs::exists(numberedHost(host, 1)) && !fs::exists(numberedHost(host, 999));
    });
}

} // namespace kavora::bench
