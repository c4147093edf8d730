#pragma once

#include "shell/HelpViewer.h"

#include <string>

namespace kavora::shell {

// The program's directory in Windows form, as the help handlers use it: the
// executable's directory when KVR.HLP lies there (the build tree), else the
// installed data directory when it lies there, else the executable's
// directory again, so that the viewer names the place it looked first.
std::string helpProgramDirectory();

// The Help menu items that open help (mnuContents, mnuLicense, mnuSupport).
class HelpMenu final {
public:
    explicit HelpMenu(std::string programDirectory);

    void mnuContentsClick();
    void mnuLicenseClick();
    void mnuSupportClick();

    CommonDialog& commonDialog() { return m_commonDialog1; }

private:
    void showContext(std::int32_t context);

    std::string m_programDirectory;
    CommonDialog m_commonDialog1;
};

} // namespace kavora::shell
