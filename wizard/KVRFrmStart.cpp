#include "wizard/KVRFrmStart.h"

#include "platform/FileSystem.h"
#include "processing/AppState.h"
#include "processing/PathNotation.h"
#include "processing/ProcessPlaylist.h"
#include "processing/dialog/KVRfrmFileNotFound.h"
#include "processing/dialog/QtMessageBoxes.h"
#include "processing/dialog/WindowLook.h"
#include "wizard/FreshButtonGuard.h"
#include "wizard/InputDuringJob.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/PlaylistTypes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QThread>
#include <QUrl>

using kavora::look::twips;
using kavora::look::twipsRect;

namespace {

// Height of the client area above the status bar, which Qt docks itself.
constexpr int kStatusBarTopTwips = 5310;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setAutoDefault(false);
    button->hide();
    return button;
}

} // namespace

KVRFrmStart::KVRFrmStart(kavora::AppState& state, QWidget* parent)
    : KVRFrmStart(state, nullptr, nullptr, parent)
{
}

KVRFrmStart::KVRFrmStart(kavora::AppState& state, kavora::MissingFileDialog& dialog,
                         kavora::MessageBoxes& messages, QWidget* parent)
    : KVRFrmStart(state, &dialog, &messages, parent)
{
}

KVRFrmStart::KVRFrmStart(kavora::AppState& state, kavora::MissingFileDialog* dialog,
                         kavora::MessageBoxes* messages, QWidget* parent)
    : QMainWindow(parent), m_state(state),
      m_ownDialog(dialog != nullptr ? nullptr : std::make_unique<kavora::QtMissingFileDialog>(this)),
      m_ownMessages(messages != nullptr ? nullptr : std::make_unique<kavora::QtMessageBoxes>(this)),
      m_dialog(dialog != nullptr ? dialog : m_ownDialog.get()),
      m_messages(messages != nullptr ? messages : m_ownMessages.get()),
      m_fileSystem(std::make_shared<const kavora::platform::FileSystem>()), m_client(new QWidget(this)),
      m_statusBar(new QStatusBar(this)), m_statusLabel(new QLabel(QStringLiteral("Ready"), m_statusBar)),
      m_progressBar(new QProgressBar(m_statusBar)), m_batch(*this, *m_progressBar)
{
    buildControls();
    buildMenus();
}

KVRFrmStart::~KVRFrmStart()
{
    // The selection window has no owner; it goes with the main window.
    delete m_picker.data();
}

void KVRFrmStart::buildControls()
{
    setObjectName(QStringLiteral("KVRFrmStart"));
    setWindowTitle(QStringLiteral("Kavora 1.0"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(kavora::look::windowFont(9));
    setAcceptDrops(true);

    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(twips(9225), twips(kStatusBarTopTwips));
    setCentralWidget(m_client);

    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setFixedHeight(twips(330));
    m_statusBar->setFont(kavora::look::windowFont(8.25));
    m_statusLabel->setObjectName(QStringLiteral("StatusBar1Text"));
    m_statusLabel->setTextFormat(Qt::PlainText);
    m_statusBar->setAccessibleName(QStringLiteral("Status"));
    m_statusBar->addWidget(m_statusLabel, 1);
    setStatusBar(m_statusBar);

    // Not in the status bar's layout: it lies over the bar's right part, at
    // its own place, as the status text runs underneath.
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setAccessibleName(QStringLiteral("Progress"));
    m_progressBar->setGeometry(twips(4950), twips(5355 - kStatusBarTopTwips), twips(3705), twips(285));
    m_progressBar->hide();
}

KVRFrmStart::StepControls& KVRFrmStart::steps()
{
    if (!m_steps)
        m_steps = makeStepControls();
    return *m_steps;
}

KVRFrmStart::StepControls KVRFrmStart::makeStepControls()
{
    StepControls made{};
    made.reportArea = new QPlainTextEdit(m_client);
    made.reportArea->setObjectName(QStringLiteral("RichTextBox1"));
    made.reportArea->setGeometry(twipsRect(315, 720, 8610, 3885));
    made.reportArea->setReadOnly(true);
    made.reportArea->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    made.reportArea->setUndoRedoEnabled(false);
    made.reportArea->setAccessibleName(QStringLiteral("Report"));
    made.reportArea->hide();

    made.btnOK = makeButton(m_client, "BtnOK", QStringLiteral("&Next"), twipsRect(8055, 4815, 870, 375));
    made.btnCancel =
        makeButton(m_client, "BtnCancel", QStringLiteral("&Back"), twipsRect(7065, 4815, 870, 375));

    made.label1 = new QLabel(QStringLiteral("#"), m_client);
    made.label1->setObjectName(QStringLiteral("Label1"));
    made.label1->setGeometry(twipsRect(315, 180, 8610, 465));
    made.label1->setTextFormat(Qt::PlainText);
    made.label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    made.label1->setWordWrap(true);
    made.label1->hide();

    made.btnDone = makeButton(m_client, "BtnDone", QStringLiteral("&Done"), twipsRect(8055, 4815, 870, 375));
    new FreshButtonGuard(*made.btnDone);

    setTabOrder(made.reportArea, made.btnOK);
    setTabOrder(made.btnOK, made.btnCancel);
    setTabOrder(made.btnCancel, made.btnDone);

    connect(made.btnOK, &QPushButton::clicked, this, &KVRFrmStart::BtnOKClick);
    connect(made.btnCancel, &QPushButton::clicked, this, &KVRFrmStart::BtnCancelClick);
    connect(made.btnDone, &QPushButton::clicked, this, &KVRFrmStart::BtnDoneClick);
    m_batch.setReportArea(*made.reportArea);
    return made;
}

void KVRFrmStart::buildMenus()
{
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        // A drop-down menu has no name of its own for screen readers.
        menu->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    menuBar()->setAccessibleName(QStringLiteral("Menu bar"));

    m_mnuFile = addMenu("mnuFile", QStringLiteral("&File"));
    m_mnuPrint = addItem(m_mnuFile, "mnuPrint", QStringLiteral("&Print..."));
    m_mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* exit = addItem(m_mnuFile, "mnuExit", QStringLiteral("&Exit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &KVRFrmStart::mnuExitClick);

    m_mnuActions = addMenu("mnuActions", QStringLiteral("&Actions"));
    connect(
        addItem(m_mnuActions, "mnuCreate", QStringLiteral("&Create numeric playlist from existing playlist")),
        &QAction::triggered, this, &KVRFrmStart::mnuCreateClick);
    connect(addItem(m_mnuActions, "mnuRemove", QStringLiteral("&Remove numeric prefixes from filenames")),
            &QAction::triggered, this, &KVRFrmStart::mnuRemoveClick);
    connect(addItem(m_mnuActions, "mnuCopy", QStringLiteral("Co&py numbered files to a folder...")),
            &QAction::triggered, this, &KVRFrmStart::mnuCopyClick);

    m_mnuHelp = addMenu("mnuHelp", QStringLiteral("&Help"));
    connect(addItem(m_mnuHelp, "mnuContents", QStringLiteral("&Help Topics...")), &QAction::triggered, this,
            &KVRFrmStart::helpTopicsRequested);
    connect(addItem(m_mnuHelp, "mnuLicense", QStringLiteral("&License Agreement...")), &QAction::triggered,
            this, &KVRFrmStart::licenseAgreementRequested);
    connect(addItem(m_mnuHelp, "mnuSupport", QStringLiteral("&Technical Support...")), &QAction::triggered,
            this, &KVRFrmStart::technicalSupportRequested);
    connect(addItem(m_mnuHelp, "mnuAbout", QStringLiteral("&About KVR...")), &QAction::triggered, this,
            &KVRFrmStart::aboutRequested);

    // The menu bar's height is known only now; the window size follows the
    // client area, the menu bar and the status bar.
    setFixedSize(twips(9225), menuBar()->sizeHint().height() + twips(5640));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void KVRFrmStart::setPrintEnabled(bool enabled)
{
    m_mnuPrint->setEnabled(enabled);
}

void KVRFrmStart::setExplanation(std::string_view caption)
{
    steps().label1->setText(kavora::look::screenText(caption));
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setNextEnabled(bool enabled)
{
    steps().btnOK->setEnabled(enabled);
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setNextVisible(bool visible)
{
    steps().btnOK->setVisible(visible);
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setBackEnabled(bool enabled)
{
    steps().btnCancel->setEnabled(enabled);
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setBackVisible(bool visible)
{
    steps().btnCancel->setVisible(visible);
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setDoneVisible(bool visible)
{
    steps().btnDone->setVisible(visible);
    m_batch.noteLayoutChange();
}

int KVRFrmStart::progressValue() const
{
    return m_batch.progressValue();
}

void KVRFrmStart::setProgressValue(int value)
{
    m_batch.setProgressValue(value);
}

void KVRFrmStart::setProgressVisible(bool visible)
{
    m_progressBar->setVisible(visible);
    if (visible)
        m_progressBar->raise();
    m_batch.noteLayoutChange();
}

void KVRFrmStart::setStatusText(std::string_view text)
{
    m_statusLabel->setText(kavora::look::screenText(text));
    m_batch.noteLayoutChange();
}

std::string KVRFrmStart::statusText() const
{
    return m_statusLabel->text().toStdString();
}

void KVRFrmStart::replaceReport(std::string_view text)
{
    steps(); // makes the report area that the batcher writes to
    m_batch.replaceReport(text);
}

void KVRFrmStart::appendToReport(std::string_view addition)
{
    steps();
    m_batch.appendToReport(addition);
}

void KVRFrmStart::refresh()
{
    steps();
    m_batch.refresh();
}

const kavora::PathNotation& KVRFrmStart::pathNotation() const
{
    static const kavora::WindowsNotation windows;
    return windows;
}

void KVRFrmStart::setExplanationVisible(bool visible)
{
    steps().label1->setVisible(visible);
}

void KVRFrmStart::setReportVisible(bool visible)
{
    steps().reportArea->setVisible(visible);
}

void KVRFrmStart::setActionsMenuEnabled(bool enabled)
{
    m_mnuActions->menuAction()->setEnabled(enabled);
}

void KVRFrmStart::enableMenus()
{
    m_mnuFile->menuAction()->setEnabled(true);
    m_mnuActions->menuAction()->setEnabled(true);
    m_mnuHelp->menuAction()->setEnabled(true);
}

KVRFrmGetFilename* KVRFrmStart::playlistPicker() const
{
    return m_picker;
}

void KVRFrmStart::adoptPlaylistPicker(KVRFrmGetFilename& picker)
{
    m_picker = &picker;
    connect(&picker, &KVRFrmGetFilename::nextRequested, this,
            [this](const std::string& inputFile, const std::string& directory) {
                m_state.InputPlaylistPath = inputFile;
                emit playlistPicked(directory);
            });
    connect(&picker, &KVRFrmGetFilename::backRequested, this, &KVRFrmStart::returnFromPlaylistPicker);
    connect(&picker, &KVRFrmGetFilename::closed, this, &KVRFrmStart::playlistPickerClosed);
}

void KVRFrmStart::returnFromPlaylistPicker()
{
    enableMenus();
    show();
    raise();
    activateWindow();
}

void KVRFrmStart::playlistPickerClosed()
{
    // Forgotten at once, so that a later opening starts afresh even before
    // the deferred deletion has run. Closed from the window manager after the
    // preview's "&Back", it would otherwise leave the Actions menu disabled.
    m_picker = nullptr;
    enableMenus();
}

void KVRFrmStart::closePlaylistPicker()
{
    KVRFrmGetFilename* const picker = m_picker;
    if (picker == nullptr)
        return;
    m_picker = nullptr;
    // Not a way back: the preview follows and keeps the Actions menu disabled.
    const QSignalBlocker quiet(picker);
    picker->hide();
    picker->close();
}

std::string_view KVRFrmStart::playlistRefusal() const
{
    if (m_jobRunning)
        return "The playlist was not opened because a job is in progress.";
    if (m_copyStepOpen)
        return "The playlist was not opened because a copy is under way.";
    // A message box or the processing-error dialog.
    if (QApplication::activeModalWidget() != nullptr)
        return "The playlist was not opened because a dialog is open.";
    // Nothing but the about box disables the window.
    if (!isEnabled())
        return "The playlist was not opened because the about box is open.";
    if (m_picker != nullptr)
        return "The playlist was not opened because the selection window is open.";
    return {};
}

void KVRFrmStart::chooseOperation(const char* mode)
{
    m_state.OperationMode = mode;
    setStatusText("Ready");
    emit playlistPickerRequested();
}

void KVRFrmStart::mnuCreateClick()
{
    chooseOperation("Create");
}

void KVRFrmStart::mnuRemoveClick()
{
    chooseOperation("Remove");
}

void KVRFrmStart::mnuCopyClick()
{
    chooseOperation("Copy");
}

void KVRFrmStart::BtnOKClick()
{
    if (m_state.OperationMode == "Copy") {
        emit copyNextRequested();
        return;
    }
    // Until the input made meanwhile is dropped: what comes in then came
    // while the job ran.
    const QScopedValueRollback running(m_jobRunning, true);
    kavora::ProcessPlaylist(m_state, *this, *m_dialog, *m_messages);
    emit jobEnding();
    dropInputMadeDuringJob();
}

void KVRFrmStart::BtnCancelClick()
{
    if (m_state.OperationMode == "Copy")
        emit copyBackRequested();
    else
        backToPlaylistPicker();
}

void KVRFrmStart::backToPlaylistPicker()
{
    replaceReport({});
    const StepControls& controls = steps();
    controls.reportArea->hide();
    controls.btnOK->hide();
    controls.btnCancel->hide();
    controls.label1->hide();
    setStatusText("Ready");
    emit playlistPickerRequested();
}

void KVRFrmStart::BtnDoneClick()
{
    replaceReport({});
    const StepControls& controls = steps();
    controls.reportArea->hide();
    setActionsMenuEnabled(true);
    controls.btnOK->hide();
    controls.btnCancel->hide();
    controls.btnDone->hide();
    controls.label1->hide();
    setStatusText("Ready");
}

void KVRFrmStart::mnuExitClick()
{
    setStatusText("Closing...");
    m_batch.paintNow();
    endProgram();
}

void KVRFrmStart::endProgram()
{
    // Every window goes at once and no further handler runs: the selection
    // window is destroyed rather than closed, and the event loop is left.
    m_ending = true;
    delete m_picker.data();
    hide();
    // Only a running event loop can be left; exit() outside one would make
    // every later modal loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool KVRFrmStart::event(QEvent* event)
{
    // Menu items would otherwise replace the status text while hovered.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void KVRFrmStart::closeEvent(QCloseEvent* event)
{
    // Disabled, the window takes no request at all, a close request from the
    // window manager included: the about box is open and is left first.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    if (!m_ending)
        endProgram();
    event->accept();
}

std::string KVRFrmStart::droppedPlaylist(const QMimeData* dragged) const
{
    if (dragged == nullptr || !takesPlaylist())
        return {};
    const QList<QUrl> urls = dragged->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const std::string path = QFile::encodeName(urls.front().toLocalFile()).toStdString();
    return isPlaylistFile(*m_fileSystem, path) ? path : std::string();
}

void KVRFrmStart::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void KVRFrmStart::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedPlaylist(event->mimeData()).empty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void KVRFrmStart::dropEvent(QDropEvent* event)
{
    const std::string playlist = droppedPlaylist(event->mimeData());
    if (playlist.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: the file manager that dragged it waits
    // for the answer, and the preview may show a message and wait on it.
    QMetaObject::invokeMethod(
        this,
        [this, playlist] {
            if (takesPlaylist())
                emit playlistDropped(playlist);
        },
        Qt::QueuedConnection);
}

void EnableMainWindow(KVRFrmStart& window)
{
    window.setEnabled(true);
}
