#include "processing/MissingFileHandlers.h"

#include "platform/FileSystem.h"
#include "processing/AppState.h"
#include "processing/MessageBoxes.h"
#include "processing/playlist/EntryPath.h"

#include <memory>
#include <string>

namespace kavora {

MissingFileHandlers::MissingFileHandlers(AppState& state, MessageBoxes& messages)
    : m_state(state), m_messages(messages)
{
}

bool MissingFileHandlers::Text1Change(std::string_view text)
{
    return !text.empty();
}

DialogAction MissingFileHandlers::Command1Click(std::string_view text)
{
    // The dialog is normally opened by ResolveMissingFile, which has made the
    // object; a dialog shown on its own makes one here.
    if (!m_state.FileSystem) {
        m_state.FileSystem = std::make_shared<const platform::FileSystem>();
    }
    // A relative directory lies where the playlist's relative entries do.
    const auto attributes = m_state.FileSystem->attributes(lookupPath(m_state.InputPlaylistPath, text));
    if (!attributes) {
        return DialogAction::StayOpen;
    }
    if ((attributes.value() & platform::Directory) != 0) {
        m_state.MissingFileDirectory = std::string(text);
        return DialogAction::Close;
    }
    std::string prompt = "Directory name error... ";
    prompt.append(text);
    prompt.append(" ");
    prompt.append(std::to_string(attributes.value()));
    prompt.append("\r\nPlease specify only the directory path of the file.");
    m_messages.show(prompt, "Invalid Directory Name", MessageIcon::Information);
    return DialogAction::StayOpen;
}

DialogAction MissingFileHandlers::Command2Click()
{
    m_state.SkipFile = true;
    m_state.MissingFileDirectory.clear();
    return DialogAction::Close;
}

DialogAction MissingFileHandlers::Command3Click()
{
    m_state.IgnoreErrors = true;
    m_state.MissingFileDirectory.clear();
    return DialogAction::Close;
}

void MissingFileHandlers::Check1Click(bool ticked)
{
    m_state.UseDirectoryForAll = ticked ? kTrue16 : kFalse16;
}

} // namespace kavora
