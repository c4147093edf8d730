#include "shell/Startup.h"

#include "platform/qt/SingleInstance.h"
#include "processing/AppState.h"
#include "processing/dialog/WindowLook.h"
#include "shell/AppIcon.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"
#include "shell/KVRFrmAbout.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/OpenPlaylist.h"
#include "wizard/Wizard.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleFactory>
#include <QTimer>

namespace kavora::shell {

// Off unless QT_LOGGING_RULES enables it; tests and the start-up benchmark
// watch these lines to see what a process did.
Q_LOGGING_CATEGORY(lcStartup, "kavora.startup", QtWarningMsg)

namespace {

// Fusion, except that the menu bar's overflow arrow is read from its file only
// when drawn: building the menu bar asks for it, and reading it then loads
// every image-format plugin (and the libraries behind them) before the main
// window shows. The window is wide enough for its menus, so it is never drawn.
class StartupStyle final : public QProxyStyle {
public:
    explicit StartupStyle(QStyle* base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        const QPointer<QStyle> base(baseStyle());
        return deferredIcon([base, icon] {
            const QStyle* style = base.data();
            return style != nullptr ? style->standardIcon(icon) : QIcon();
        });
    }
};

void applyApplicationLook()
{
    // Fusion looks the same on every desktop, which the fixed-size windows
    // with their twip-based layout rely on.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(new StartupStyle(fusion));
    // The windows' own font (Arial, else Liberation Sans) also for what has
    // none of its own: message boxes, the help viewer.
    QApplication::setFont(look::windowFont(9));
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavora.Kavora"));
}

} // namespace

ProgramSession::ProgramSession(AppState& state, std::unique_ptr<platform::SingleInstance> instance)
    : m_instance(std::move(instance)), m_mainWindow(std::make_unique<KVRFrmStart>(state))
{
    const std::string programDirectory = helpProgramDirectory();
    qCDebug(lcStartup) << "help file:" << HelpFileName(programDirectory).c_str();
    m_helpMenu = std::make_unique<HelpMenu>(programDirectory);

    KVRFrmStart* window = m_mainWindow.get();
    connectWizard(*window);
    connect(window, &KVRFrmStart::helpTopicsRequested, this, [this] { m_helpMenu->mnuContentsClick(); });
    connect(window, &KVRFrmStart::licenseAgreementRequested, this, [this] { m_helpMenu->mnuLicenseClick(); });
    connect(window, &KVRFrmStart::technicalSupportRequested, this, [this] { m_helpMenu->mnuSupportClick(); });
    connect(window, &KVRFrmStart::aboutRequested, this, &ProgramSession::mnuAboutClick);

    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), window);
    helpKey->setObjectName(QStringLiteral("HelpTopicsShortcut"));
    connect(helpKey, &QShortcut::activated, this, [this] { m_helpMenu->mnuContentsClick(); });

    if (m_instance != nullptr) {
        connect(m_instance.get(), &platform::SingleInstance::restoreAndForegroundRequested, this,
                &ProgramSession::restoreAndForeground);
        connect(m_instance.get(), &platform::SingleInstance::openPlaylistRequested, this,
                [this](const std::string& playlist) {
                    restoreAndForeground();
                    openPlaylist(playlist);
                });
        // A request sent while a job ran waits unread until the job is over;
        // it is taken while the window still counts as running the job.
        connect(window, &KVRFrmStart::jobEnding, m_instance.get(),
                &platform::SingleInstance::readWaitingRequests);
    }
}

// The claim on the title goes last, after every window of this copy.
ProgramSession::~ProgramSession()
{
    delete m_aboutBox.data();
}

void ProgramSession::mnuAboutClick()
{
    KVRFrmStart* window = m_mainWindow.get();
    // Not a child of the main window: disabling a widget disables its child
    // windows too, and the box must take input while the main window does not.
    m_aboutBox = new KVRFrmAbout([window] { EnableMainWindow(*window); }, window);
    m_aboutBox->show();
    window->setEnabled(false);
}

KVRFrmAbout* ProgramSession::aboutBox() const
{
    return m_aboutBox;
}

void ProgramSession::restoreAndForeground()
{
    KVRFrmStart& window = *m_mainWindow;
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
    qCDebug(lcStartup) << "restore and foreground requested; minimized:" << window.isMinimized();
}

void ProgramSession::openPlaylist(const std::string& playlist)
{
    KVRFrmStart& window = *m_mainWindow;
    if (const std::string_view refusal = window.playlistRefusal(); !refusal.empty()) {
        window.setStatusText(refusal);
        qCDebug(lcStartup) << "playlist not opened, the window is busy:" << playlist.c_str();
        return;
    }
    // Logged before the preview, which may show a message and wait on it.
    qCDebug(lcStartup) << "opening playlist:" << playlist.c_str();
    OpenPlaylist(window, playlist);
    const AppState& state = window.appState();
    qCDebug(lcStartup) << "playlist shown:" << state.OperationMode.c_str() << state.InputPlaylistPath.c_str()
                       << "in" << state.PlaylistDirectory.c_str();
}

std::int16_t ActivatePriorInstance(platform::SingleInstance& lookup, const platform::InstanceRequest& request)
{
    return lookup.findRunningCopy(request) ? std::int16_t{1} : std::int16_t{0};
}

std::int16_t ActivatePriorInstance()
{
    platform::SingleInstance lookup(platform::instanceSocketPath(QString::fromLatin1(kMainWindowCaption)));
    return ActivatePriorInstance(lookup, {});
}

std::unique_ptr<ProgramSession> RunStartup(AppState& state, const std::string& playlist)
{
    platform::InstanceRequest request;
    if (!playlist.empty())
        request = {platform::InstanceRequest::Kind::OpenPlaylist, playlist};
    // The lookup runs before this copy creates any window, so it never finds
    // its own main window.
    auto instance = std::make_unique<platform::SingleInstance>(
        platform::instanceSocketPath(QString::fromLatin1(kMainWindowCaption)));
    if (ActivatePriorInstance(*instance, request) == 1) {
        qCDebug(lcStartup) << "running copy brought forward; ending";
        return nullptr;
    }
    if (!instance->claim()) {
        const platform::FsStatus& place = instance->placeStatus();
        qCWarning(lcStartup) << "cannot listen for later starts at" << instance->socketPath()
                             << (place ? "" : place.failure().reason.c_str());
    }

    applyApplicationLook();
    auto session = std::make_unique<ProgramSession>(state, std::move(instance));
    KVRFrmStart& window = session->mainWindow();
    window.setPrintEnabled(false);
    window.show();
    EnableMainWindow(window);
    // Logged once the event loop runs, i.e. when the shown window can paint.
    QTimer::singleShot(0, &window, [] { qCDebug(lcStartup) << "main window shown"; });
    // Opened once the window shows, so that the preview's message about a
    // playlist that cannot be read stands over it.
    if (!playlist.empty())
        QTimer::singleShot(0, session.get(),
                           [open = session.get(), playlist] { open->openPlaylist(playlist); });
    return session;
}

} // namespace kavora::shell
