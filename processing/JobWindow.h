#pragma once

#include <string_view>

namespace kavora {

class PathNotation;

// The operations a job performs on the main window. Texts are bytes; the
// window decodes them for display.
class JobWindow {
public:
    virtual ~JobWindow() = default;

    virtual void setExplanation(std::string_view caption) = 0; // Label1
    virtual void setNextEnabled(bool enabled) = 0;             // BtnOK
    virtual void setNextVisible(bool visible) = 0;
    virtual void setBackEnabled(bool enabled) = 0; // BtnCancel
    virtual void setBackVisible(bool visible) = 0;
    virtual void setDoneVisible(bool visible) = 0; // BtnDone
    virtual int progressValue() const = 0;         // ProgressBar1, 0 to 100
    virtual void setProgressValue(int value) = 0;
    virtual void setProgressVisible(bool visible) = 0;
    virtual void setStatusText(std::string_view text) = 0; // StatusBar1
    // Replaces the whole report (RichTextBox1) and puts the caret at its end.
    virtual void replaceReport(std::string_view text) = 0;
    // Adds text at the end of the report and puts the caret at the new end; the
    // cost follows the length of the addition, not of the report.
    virtual void appendToReport(std::string_view addition) = 0;
    // Repaints the window at once, without running the event loop.
    virtual void refresh() = 0;
    // How this window writes the paths its report names.
    virtual const PathNotation& pathNotation() const = 0;
};

} // namespace kavora
