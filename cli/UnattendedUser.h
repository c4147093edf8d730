#pragma once

#include "processing/MessageBoxes.h"
#include "processing/MissingFileHandlers.h"

#include <optional>
#include <string>

namespace kavora::cli {

// Answers the missing-file dialog for a user who is not there, so that no
// prompt ever waits: without a directory, "Ignore Errors" at once; with one,
// that directory with "use for all" ticked, and "Skip File" for every file it
// does not hold. Its message boxes only say again what the report says of
// the file, and are not shown.
class UnattendedUser final : public MissingFileDialog, public MessageBoxes {
public:
    explicit UnattendedUser(std::optional<std::string> missingDirectory);

    void showModal(std::string_view label1Caption, std::string_view text1,
                   MissingFileHandlers& handlers) override;
    void show(std::string_view prompt, std::string_view title, MessageIcon icon) override;

private:
    std::optional<std::string> m_missingDirectory;
    bool m_directoryGiven = false;
};

} // namespace kavora::cli
