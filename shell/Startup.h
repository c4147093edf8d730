#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class KVRFrmStart;

namespace kavora {
struct AppState;
namespace platform {
class SingleInstance;
struct InstanceRequest;
} // namespace platform
} // namespace kavora

namespace kavora::shell {

class HelpMenu;
class KVRFrmAbout;

// The main window's caption, by which a second start finds the running copy.
inline constexpr char kMainWindowCaption[] = "Kavora 1.0";

// Everything that lives from start-up to the end of the run: the main window,
// the Help menu's viewer, the about box while it is open, and this copy's claim
// on the window title.
class ProgramSession final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgramSession)

public:
    ProgramSession(AppState& state, std::unique_ptr<platform::SingleInstance> instance);
    ~ProgramSession() override;

    KVRFrmStart& mainWindow() { return *m_mainWindow; }
    HelpMenu& helpMenu() { return *m_helpMenu; }

    // mnuAbout Click: loads the about box anew, shows it modeless and disables
    // the main window as a whole until the box is left.
    void mnuAboutClick();
    KVRFrmAbout* aboutBox() const; // null when it is not open

    // What a second start asks for: the main window restored when minimized,
    // then brought to the front.
    void restoreAndForeground();
    // A playlist given on the command line or by a second start (which also
    // brings the window forward): opened when the window takes one now;
    // otherwise the status bar says that it was not.
    void openPlaylist(const std::string& playlist);

private:
    std::unique_ptr<platform::SingleInstance> m_instance;
    std::unique_ptr<KVRFrmStart> m_mainWindow;
    std::unique_ptr<HelpMenu> m_helpMenu;
    QPointer<KVRFrmAbout> m_aboutBox;
};

// Looks for a running copy by the main window's caption and, when there is one,
// asks it to restore and foreground its main window, or hands it the request.
// Returns 1 when one was found, 0 otherwise.
std::int16_t ActivatePriorInstance();
std::int16_t ActivatePriorInstance(platform::SingleInstance& lookup,
                                   const platform::InstanceRequest& request);

// The program's first code. Returns null when a running copy was brought
// forward (and handed the playlist) and this copy is to end at once, without
// any window of its own; otherwise the session with the main window shown in
// its idle state, which opens `playlist` (an absolute host path or a Windows
// path; empty for none) once the event loop runs.
std::unique_ptr<ProgramSession> RunStartup(AppState& state, const std::string& playlist = {});

} // namespace kavora::shell
