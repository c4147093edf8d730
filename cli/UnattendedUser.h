#pragma once

#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"

namespace kavora::cli {

// Answers for a user who is not there, so that no prompt ever waits. The
// command line starts its jobs with errors ignored, so the missing-file
// dialog is not shown; were it shown, "Ignore Errors" answers it. Message
// boxes only say again what the report says of a file, and are not shown.
class UnattendedUser final : public MissingFileDialog, public MessageBoxes {
public:
    void showModal(std::string_view label1Caption, std::string_view text1,
                   MissingFileHandlers& handlers) override;
    void show(std::string_view prompt, std::string_view title, MessageIcon icon) override;
};

} // namespace kavora::cli
