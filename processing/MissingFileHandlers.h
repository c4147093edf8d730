#pragma once

#include <string_view>

namespace kavora {

struct AppState;
class MessageBoxes;

enum class DialogAction { StayOpen, Close };

// The logic of the five event handlers of the "Processing Error" dialog. The
// dialog window only forwards its events here and applies the results.
class MissingFileHandlers final {
public:
    MissingFileHandlers(AppState& state, MessageBoxes& messages);

    // Text1 Change: whether Command1 ("&OK") is enabled for this text.
    static bool Text1Change(std::string_view text);
    // Command1 Click ("&OK") with Text1's text exactly as typed.
    DialogAction Command1Click(std::string_view text);
    // Command2 Click ("&Skip File").
    DialogAction Command2Click();
    // Command3 Click ("&Ignore Errors").
    DialogAction Command3Click();
    // Check1 Click with the box's new value.
    void Check1Click(bool ticked);

private:
    AppState& m_state;
    MessageBoxes& m_messages;
};

// One showing of the dialog, implemented by the window above this layer and by
// test scripts. It creates the dialog in its design state, sets Label1's
// caption and Text1's text (whose change handling then runs), shows it modally
// and returns when it has been closed, forwarding every event to `handlers`.
class MissingFileDialog {
public:
    virtual ~MissingFileDialog() = default;
    virtual void showModal(std::string_view label1Caption, std::string_view text1,
                           MissingFileHandlers& handlers) = 0;
};

} // namespace kavora
