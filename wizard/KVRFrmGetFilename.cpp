#include "wizard/KVRFrmGetFilename.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "processing/MessageBoxes.h"
#include "processing/dialog/WindowLook.h"
#include "wizard/PlaylistTypes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

using kavora::look::screenText;
using kavora::look::twipsRect;

namespace {

// Start folders, most specific first; the drive root when none holds a file.
constexpr const char* kDefaultFolders[] = {
    "C:\\My Documents\\My Music\\My Playlists",
    "C:\\My Documents\\My Music",
    "C:\\My Documents",
};

constexpr int kPathRole = Qt::UserRole;

bool isEnter(const QKeyEvent& event)
{
    return (event.key() == Qt::Key_Return && event.modifiers() == Qt::NoModifier) ||
           (event.key() == Qt::Key_Enter && event.modifiers() == Qt::KeypadModifier);
}

// A tree only for its indentation: the chain nests one step per level and
// nothing folds, so no branch marks are drawn.
class DirectoryTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    // Enter opens the current folder, as a double click does.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (isEnter(*event) && currentItem() != nullptr)
            emit itemDoubleClicked(currentItem(), 0);
        else
            QTreeWidget::keyPressEvent(event);
    }
};

bool isDriveRoot(std::string_view directory)
{
    return directory.size() == 3 && directory[1] == ':' && directory[2] == '\\';
}

std::string joinDirectory(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (!isDriveRoot(directory))
        path += '\\';
    path += name;
    return path;
}

QString fromBytes(std::string_view bytes)
{
    return screenText(bytes);
}

QByteArray toByteArray(std::string_view bytes)
{
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

template <typename Control> Control* makeControl(QWidget* parent, const char* name, QRect place)
{
    auto* control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(place);
    return control;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* button = makeControl<QPushButton>(parent, name, place);
    button->setText(caption);
    return button;
}

} // namespace

KVRFrmGetFilename::KVRFrmGetFilename(const kavora::platform::FileSystem& fileSystem,
                                     kavora::MessageBoxes& messages, kavora::platform::DriveMap drives)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_fileSystem(fileSystem), m_messages(messages), m_drives(std::move(drives)), m_patterns(kAllPatterns),
      m_drive1(makeControl<QComboBox>(this, "Drive1", twipsRect(120, 720, 2535, 315))),
      m_tbInputFile(makeControl<QLineEdit>(this, "tbInputFile", twipsRect(120, 360, 6015, 285))),
      m_dir1(makeControl<DirectoryTree>(this, "Dir1", twipsRect(120, 1080, 2535, 2115))),
      m_combo1(makeControl<QComboBox>(this, "Combo1", twipsRect(120, 3240, 2535, 315))),
      m_file1(makeControl<QListWidget>(this, "File1", twipsRect(2760, 720, 3375, 2820))),
      m_btnOK(makeButton(this, "BtnOK", QStringLiteral("&Next"), twipsRect(5265, 3600, 855, 375))),
      m_btnCancel(makeButton(this, "BtnCancel", QStringLiteral("&Back"), twipsRect(4320, 3600, 855, 375)))
{
    setObjectName(QStringLiteral("KVRFrmGetFilename"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("KVR - Select an existing Playlist file"));
    // 8.25 point, the classic dialog size: the captions fit their fixed widths.
    setFont(kavora::look::windowFont(8.25));
    setFixedSize(kavora::look::twips(6330), kavora::look::twips(4065));

    auto* label1 = makeControl<QLabel>(this, "Label1", twipsRect(120, 120, 1815, 255));
    label1->setText(QStringLiteral("Select a Playlist file:"));
    // Named for screen readers by their caption, or by what they hold.
    m_tbInputFile->setAccessibleName(label1->text());
    m_drive1->setAccessibleName(QStringLiteral("Drive"));
    m_dir1->setAccessibleName(QStringLiteral("Folders"));
    m_combo1->setAccessibleName(QStringLiteral("Playlist type"));
    m_file1->setAccessibleName(QStringLiteral("Playlist files"));

    for (const auto& drive : m_drives.drives())
        m_drive1->addItem(fromBytes(drive.label), QChar::fromLatin1(drive.letter));

    m_dir1->setHeaderHidden(true);
    m_dir1->setRootIsDecorated(false);
    m_dir1->setItemsExpandable(false);
    m_dir1->setExpandsOnDoubleClick(false);
    m_dir1->setIndentation(10);
    m_dir1->setUniformRowHeights(true);

    m_combo1->setEditable(true);
    // Typing into the type box changes nothing: no completion, no new entries,
    // and no entry chosen when editing ends (Enter, or the focus leaving) on a
    // text equal to one, which QComboBox does on its line edit's
    // editingFinished. Only a choice from the list changes the type.
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr);
    disconnect(m_combo1->lineEdit(), &QLineEdit::editingFinished, m_combo1, nullptr);

    m_file1->setUniformItemSizes(true);
    m_file1->setSelectionMode(QAbstractItemView::SingleSelection);

    m_btnOK->setEnabled(false);

    setTabOrder(m_drive1, m_tbInputFile);
    setTabOrder(m_tbInputFile, m_dir1);
    setTabOrder(m_dir1, m_combo1);
    setTabOrder(m_combo1, m_file1);
    setTabOrder(m_file1, m_btnOK);
    setTabOrder(m_btnOK, m_btnCancel);

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &KVRFrmGetFilename::Drive1Change);
    connect(m_dir1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        // Copied first: opening rebuilds the list and deletes the item.
        const std::string path = item->data(0, kPathRole).toByteArray().toStdString();
        openDirectory(path);
    });
    connect(m_tbInputFile, &QLineEdit::textChanged, this, &KVRFrmGetFilename::tbInputFileChange);
    connect(m_combo1, &QComboBox::activated, this, &KVRFrmGetFilename::Combo1Click);
    connect(m_file1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_file1->selectedItems().isEmpty())
            File1Click();
    });
    connect(m_file1, &QListWidget::itemClicked, this, &KVRFrmGetFilename::File1Click);
    connect(m_btnOK, &QPushButton::clicked, this, &KVRFrmGetFilename::BtnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &KVRFrmGetFilename::BtnCancelClick);

    Form_Load();
}

void KVRFrmGetFilename::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void KVRFrmGetFilename::keyPressEvent(QKeyEvent* event)
{
    if (!isEnter(*event))
        return QWidget::keyPressEvent(event);
    m_btnOK->click(); // nothing while it is disabled
}

void KVRFrmGetFilename::Form_Load()
{
    selectDrive('C');

    std::string start = "C:\\";
    for (const char* folder : kDefaultFolders) {
        if (!m_fileSystem.firstMatch(std::string(folder) + "\\*").empty()) {
            start = folder;
            break;
        }
    }
    openDirectory(start);
    setFile1Directory(m_dirPath);
    setInputFileText(m_dirPath);

    for (const auto& type : kPlaylistTypes)
        m_combo1->addItem(QString::fromLatin1(type.entry));
    selectCombo1(0); // File1 now lists the first type, "*.m3u"
}

void KVRFrmGetFilename::selectDrive(char letter)
{
    const int index = m_drive1->findData(QChar::fromLatin1(letter));
    if (index < 0)
        return;
    if (m_drive1->currentIndex() != index)
        m_drive1->setCurrentIndex(index); // runs Drive1Change
}

void KVRFrmGetFilename::selectCombo1(int index)
{
    m_combo1->setCurrentIndex(index);
    Combo1Click();
}

std::string KVRFrmGetFilename::inputFileText() const
{
    // Bytes put in by a handler go back unchanged (names need not be UTF-8);
    // what the user typed is taken as UTF-8.
    if (m_tbInputFile->text() == m_inputShown)
        return m_inputBytes;
    return m_tbInputFile->text().toStdString();
}

void KVRFrmGetFilename::setInputFileText(std::string_view bytes)
{
    m_inputBytes.assign(bytes);
    m_inputShown = fromBytes(bytes);
    m_tbInputFile->setText(m_inputShown); // runs tbInputFileChange when it differs
}

bool KVRFrmGetFilename::openDirectory(std::string_view directory)
{
    const std::string path = kavora::platform::listedDirectory(directory);
    const bool changed = path != m_dirPath;
    if (!showDirectory(path))
        return false;
    if (changed)
        Dir1Change();
    return true;
}

bool KVRFrmGetFilename::showDirectory(std::string_view directory)
{
    auto subdirectories = m_fileSystem.subdirectories(directory);
    if (!subdirectories) {
        reportUnreadable(directory, subdirectories.failure().reason);
        return false;
    }
    m_dirPath.assign(directory);
    m_drives.setCurrentDirectory(m_dirPath);

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    m_dir1->clear();
    // The chain from the drive root down to the current directory, each one
    // nested in the one before, then the current directory's subdirectories.
    std::size_t end = 3;
    QTreeWidgetItem* current = nullptr;
    while (true) {
        const std::string chainPath = m_dirPath.substr(0, end);
        const std::size_t nameStart = current == nullptr ? 0 : chainPath.rfind('\\') + 1;
        auto* item = current == nullptr ? new QTreeWidgetItem(m_dir1) : new QTreeWidgetItem(current);
        item->setIcon(0, openIcon);
        item->setText(0, fromBytes(std::string_view(chainPath).substr(nameStart)));
        item->setData(0, kPathRole, toByteArray(chainPath));
        current = item;
        if (end >= m_dirPath.size())
            break;
        end = m_dirPath.find('\\', end + 1);
        if (end == std::string::npos)
            end = m_dirPath.size();
    }
    for (const auto& name : subdirectories.value()) {
        auto* item = new QTreeWidgetItem(current);
        item->setIcon(0, closedIcon);
        item->setText(0, fromBytes(name));
        item->setData(0, kPathRole, toByteArray(joinDirectory(m_dirPath, name)));
    }
    m_dir1->expandAll();
    m_dir1->setCurrentItem(current);
    return true;
}

void KVRFrmGetFilename::setFile1Directory(std::string_view directory)
{
    if (directory == m_fileDir)
        return;
    m_fileDir.assign(directory);
    rereadFile1();
}

void KVRFrmGetFilename::rereadFile1()
{
    auto names = m_fileSystem.matchingFiles(m_fileDir, m_patterns);
    m_fileNames = names ? std::move(names.value()) : std::vector<std::string>();
    showFileNames();
    if (!names)
        reportUnreadable(m_fileDir, names.failure().reason);
}

void KVRFrmGetFilename::showFileNames()
{
    // Selection changes made by re-reading the list are not the user's.
    const QSignalBlocker quiet(m_file1);
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(m_fileNames.size()));
    for (const auto& name : m_fileNames)
        shown.append(fromBytes(name));
    m_file1->clear();
    m_file1->addItems(shown);
}

void KVRFrmGetFilename::reportUnreadable(std::string_view path, const std::string& reason)
{
    std::string prompt = "The folder ";
    prompt += path;
    prompt += " cannot be read";
    if (!reason.empty()) {
        prompt += ": ";
        prompt += reason;
    }
    prompt += '.';
    m_messages.show(prompt, kavora::kApplicationTitle, kavora::MessageIcon::Warning);
}

void KVRFrmGetFilename::Drive1Change()
{
    const char letter = m_drive1->currentData().toChar().toLatin1();
    const std::string root = std::string(1, letter) + ":\\";
    const std::string remembered = m_drives.currentDirectory(letter);
    bool opened = false;
    if (remembered != root && !m_fileSystem.subdirectories(remembered).ok())
        opened = openDirectory(root); // the remembered folder has gone: its root
    else
        opened = openDirectory(remembered);
    if (!opened) {
        // Unreadable drive: the list goes back to the drive still shown.
        const QSignalBlocker quiet(m_drive1);
        if (!m_dirPath.empty())
            m_drive1->setCurrentIndex(m_drive1->findData(QChar::fromLatin1(m_dirPath[0])));
        return;
    }
    setInputFileText(m_dirPath);
}

void KVRFrmGetFilename::Dir1Change()
{
    m_fileDir = m_dirPath;
    rereadFile1();
    if (m_fileNames.empty())
        m_btnOK->setEnabled(false);
    setInputFileText(m_dirPath);
}

void KVRFrmGetFilename::Combo1Click()
{
    // The entry is wider than the box: show its start, not its end.
    m_combo1->lineEdit()->setCursorPosition(0);
    const int index = m_combo1->currentIndex();
    if (index >= 0 && index < static_cast<int>(std::size(kPlaylistTypes)))
        m_patterns = kPlaylistTypes[index].patterns;
    rereadFile1();
    if (m_fileNames.empty())
        m_btnOK->setEnabled(false);
}

void KVRFrmGetFilename::File1Click()
{
    const int row = m_file1->currentRow();
    if (row < 0 || row >= static_cast<int>(m_fileNames.size()))
        return;
    // Joined with one backslash whatever the path ends in: at a drive root
    // the text carries two in a row, and is passed on so.
    setInputFileText(m_dirPath + "\\" + m_fileNames[static_cast<std::size_t>(row)]);
    m_btnOK->setEnabled(true);
}

void KVRFrmGetFilename::tbInputFileChange()
{
    if (inputFileText() != m_dirPath)
        m_btnOK->setEnabled(true);
}

void KVRFrmGetFilename::BtnOKClick()
{
    emit nextRequested(inputFileText(), m_dirPath);
}

void KVRFrmGetFilename::BtnCancelClick()
{
    emit backRequested();
    close();
}
