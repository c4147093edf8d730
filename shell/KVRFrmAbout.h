#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace kavora::shell {

// The three lines of Label2: version, build date, copyright notice.
QString aboutDetailLines();

// The about box: modeless, fixed size, no minimize or maximize box. It is
// loaded anew for every opening and deletes itself when left; leaving it, by
// "&OK" or by its close box, enables the main window again.
class KVRFrmAbout final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRFrmAbout)

public:
    // `enableMainWindow` runs when the box is left. The box is a window of its
    // own, kept above `mainWindow` (which may be null).
    KVRFrmAbout(std::function<void()> enableMainWindow, QWidget* mainWindow);

    void BtnOKClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void leave();

    std::function<void()> m_enableMainWindow;
    QPointer<QWidget> m_mainWindow;
    bool m_left = false;
};

} // namespace kavora::shell
