#include "cli/UnattendedUser.h"

namespace kavora::cli {

void UnattendedUser::showModal(std::string_view, std::string_view, MissingFileHandlers& handlers)
{
    (void)handlers.Command3Click();
}

void UnattendedUser::show(std::string_view, std::string_view, MessageIcon) {}

} // namespace kavora::cli
