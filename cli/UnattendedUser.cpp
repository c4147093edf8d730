#include "cli/UnattendedUser.h"

#include <string>

namespace kavora::cli {

UnattendedUser::UnattendedUser(std::optional<std::string> missingDirectory)
    : m_missingDirectory(std::move(missingDirectory))
{
}

void UnattendedUser::showModal(std::string_view, std::string_view, MissingFileHandlers& handlers)
{
    if (!m_missingDirectory) {
        (void)handlers.Command3Click();
        return;
    }
    // Once given, the directory serves every later entry without a dialog;
    // a dialog after that means it does not hold the file.
    if (m_directoryGiven) {
        (void)handlers.Command2Click();
        return;
    }
    m_directoryGiven = true;
    handlers.Check1Click(true);
    if (handlers.Command1Click(*m_missingDirectory) != DialogAction::Close)
        (void)handlers.Command2Click();
}

void UnattendedUser::show(std::string_view, std::string_view, MessageIcon) {}

} // namespace kavora::cli
