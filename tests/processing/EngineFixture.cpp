#include "EngineFixture.h"

#include "processing/ProcessPlaylist.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kavora::test {

namespace fs = std::filesystem;

void FakeJobWindow::setProgressValue(int value)
{
    progress = value;
    progressValues.push_back(value);
}

void FakeJobWindow::setProgressVisible(bool visible)
{
    progressVisible = visible;
    events.emplace_back(visible ? "show-bar" : "hide-bar");
}

void FakeJobWindow::setStatusText(std::string_view text)
{
    statusText = text;
    events.push_back("status:" + statusText);
}

void FakeJobWindow::appendToReport(std::string_view addition)
{
    report.append(addition);
    events.emplace_back("append");
}

void ScriptedDialog::showModal(std::string_view label1Caption, std::string_view text1,
                               MissingFileHandlers& handlers)
{
    std::string text(text1);
    bool okEnabled = MissingFileHandlers::Text1Change(text);
    showings.push_back({std::string(label1Caption), text, okEnabled, state ? state->FileSystem : nullptr});
    if (showings.size() > script.size()) {
        ADD_FAILURE() << "unscripted dialog for " << label1Caption;
        (void)handlers.Command2Click();
        return;
    }
    for (const Act& act : script[showings.size() - 1]) {
        DialogAction action = DialogAction::StayOpen;
        switch (act.kind) {
        case Act::Type:
            text = act.text;
            okEnabled = MissingFileHandlers::Text1Change(text);
            break;
        case Act::Tick:
        case Act::Untick:
            handlers.Check1Click(act.kind == Act::Tick);
            break;
        case Act::Ok:
            if (okEnabled) {
                action = handlers.Command1Click(text);
            }
            break;
        case Act::Skip:
            action = handlers.Command2Click();
            break;
        case Act::Ignore:
            action = handlers.Command3Click();
            break;
        }
        if (action == DialogAction::Close) {
            return;
        }
    }
}

void EngineTest::SetUp()
{
    std::string pattern = (fs::temp_directory_path() / "kavora-engine-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_home = pattern;
    const char* home = std::getenv("HOME");
    m_savedHome = home ? home : "";
    m_savedDirectory = fs::current_path();
    setenv("HOME", m_home.c_str(), 1);
    fs::create_directories(m_home / "Music");
    fs::create_directories(m_home / "Lists");
    fs::create_directories(m_home / "Here");
    fs::current_path(m_home / "Here");
    dialog.state = &state;
}

void EngineTest::TearDown()
{
    fs::current_path(m_savedDirectory);
    setenv("HOME", m_savedHome.c_str(), 1);
    for (const auto& item : fs::recursive_directory_iterator(m_home)) {
        if (item.is_directory() && !item.is_symlink()) {
            fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add);
        }
    }
    fs::remove_all(m_home);
}

void EngineTest::write(const std::string& relative, const std::string& bytes) const
{
    fs::create_directories(host(relative).parent_path());
    std::ofstream(host(relative), std::ios::binary) << bytes;
}

std::string EngineTest::read(const std::string& relative) const
{
    std::ostringstream bytes;
    bytes << std::ifstream(host(relative), std::ios::binary).rdbuf();
    return bytes.str();
}

std::map<std::string, std::string> EngineTest::snapshot() const
{
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(m_home)) {
        if (item.is_regular_file()) {
            const std::string relative = fs::relative(item.path(), m_home).string();
            files[relative] = read(relative);
        }
    }
    return files;
}

void EngineTest::writePlaylist(const std::string& relative, const std::vector<std::string>& entries) const
{
    std::string bytes;
    for (const std::string& entry : entries) {
        bytes += entry + "\r\n";
    }
    write(relative, bytes);
}

void EngineTest::runJob(const std::string& mode, const std::string& playlistPath)
{
    state.OperationMode = mode;
    state.InputPlaylistPath = playlistPath;
    ProcessPlaylist(state, window, dialog, messages);
}

std::string reportOf(const std::string& playlistPath, const std::vector<std::string>& lines)
{
    std::string text = "\r\nProcessing input file... " + playlistPath + "\r\n";
    for (const std::string& line : lines) {
        text += "\r\n" + line;
    }
    return text + "\r\n";
}

} // namespace kavora::test
