#include "shell/HelpViewer.h"

#include "shell/HelpFile.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kavora::shell {

KVRHelpViewer::KVRHelpViewer() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("KVRHelpViewer"));
    setWindowTitle(QStringLiteral("Kavora Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setAccessibleName(QStringLiteral("Help text"));
    m_browser->setOpenExternalLinks(true);
    m_browser->document()->setDocumentMargin(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

QTextBrowser* KVRHelpViewer::browser() const
{
    return m_browser;
}

bool KVRHelpViewer::load(const QString& hostFile)
{
    QFile file(hostFile);
    if (hostFile.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_loadedFile.clear();
        m_browser->setHtml(
            QStringLiteral("<h2>Help is not available</h2>"
                           "<p>The help file <b>%1</b> cannot be read: %2.</p>"
                           "<p>Reinstalling Kavora puts it back.</p>")
                .arg(hostFile.toHtmlEscaped(),
                     (hostFile.isEmpty() ? QStringLiteral("it lies outside the program's drive")
                                         : file.errorString())
                         .toHtmlEscaped()));
        return false;
    }
    m_browser->setHtml(QString::fromUtf8(file.readAll()));
    // Relative links and pictures of the file resolve beside it.
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(hostFile).absoluteFilePath()));
    m_loadedFile = hostFile;
    return true;
}

void KVRHelpViewer::showTopic(const QString& hostFile, const QString& anchor)
{
    // Read again when asked for another file or when the last read failed; a
    // file that was there is not read once per menu click.
    const bool loaded = hostFile == m_loadedFile || load(hostFile);
    showNormal();
    raise();
    activateWindow();
    if (!loaded)
        return;
    m_browser->verticalScrollBar()->setValue(0);
    if (!anchor.isEmpty() && anchor != QLatin1String("contents"))
        m_browser->scrollToAnchor(anchor);
}

CommonDialog::CommonDialog() = default;
CommonDialog::~CommonDialog() = default;

void CommonDialog::ShowHelp()
{
    if (m_viewer == nullptr)
        m_viewer = std::make_unique<KVRHelpViewer>();
    const QString anchor = QString::fromStdString(helpAnchor(HelpCommand, HelpContext));
    m_viewer->showTopic(QFile::decodeName(QByteArray::fromStdString(hostPathOf(HelpFile))), anchor);
}

} // namespace kavora::shell
