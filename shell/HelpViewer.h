#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QTextBrowser;

namespace kavora::shell {

// The program's help viewer: a modeless window showing the help file (HTML
// with one anchor per topic) scrolled to the topic asked for.
class KVRHelpViewer final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRHelpViewer)

public:
    KVRHelpViewer();

    // Shows the file at the anchor and brings the window to the front. A file
    // that cannot be read becomes a message in the viewer; an anchor the file
    // does not define shows the file from its start.
    void showTopic(const QString& hostFile, const QString& anchor);

    QTextBrowser* browser() const;

private:
    bool load(const QString& hostFile);

    QTextBrowser* m_browser = nullptr;
    QString m_loadedFile;
};

// The help side of the main window's common dialog (CommonDialog1): the help
// file name, command and context number keep their values between calls, as
// properties do; ShowHelp hands them to the viewer and returns at once.
class CommonDialog final {
public:
    // The viewer is a window of its own, created on first use and reused. It
    // is not a child of the main window, so that it stays usable while the
    // about box disables the main window.
    CommonDialog();
    ~CommonDialog();
    CommonDialog(const CommonDialog&) = delete;
    CommonDialog& operator=(const CommonDialog&) = delete;

    std::string HelpFile;
    std::uint16_t HelpCommand = 0;
    std::int32_t HelpContext = 0;

    void ShowHelp();

    // The viewer, once ShowHelp has created it.
    KVRHelpViewer* viewer() const { return m_viewer.get(); }

private:
    std::unique_ptr<KVRHelpViewer> m_viewer;
};

} // namespace kavora::shell
