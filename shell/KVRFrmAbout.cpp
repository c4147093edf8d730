#include "shell/KVRFrmAbout.h"

#include "processing/dialog/WindowLook.h"
#include "shell/AppIcon.h"
#include "shell/BuildInfo.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

namespace kavora::shell {

QString aboutDetailLines()
{
    return QStringLiteral("Version %1\nBuilt %2\nCopyright \u00a9 %3 Kavora developers")
        .arg(QStringLiteral(KAVORA_VERSION), QStringLiteral(KAVORA_BUILD_DATE),
             QStringLiteral(KAVORA_COPYRIGHT_YEAR));
}

KVRFrmAbout::KVRFrmAbout(std::function<void()> enableMainWindow, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_enableMainWindow(std::move(enableMainWindow)), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("KVRFrmAbout"));
    setWindowTitle(QStringLiteral("About KVR"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture1 = new QLabel(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setAccessibleName(QStringLiteral("Kavora icon"));
    picture1->setPixmap(applicationLogo(48));
    picture1->setAlignment(Qt::AlignCenter);

    const QFont labelFont = look::windowFont(9.75);
    auto* label1 = new QLabel(QStringLiteral("Kavora v1.0"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont boldFont = labelFont;
    boldFont.setBold(true);
    label1->setFont(boldFont);
    label1->setAlignment(Qt::AlignCenter);

    auto* label2 = new QLabel(aboutDetailLines(), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setFont(labelFont);
    label2->setAlignment(Qt::AlignCenter);

    auto* btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("BtnOK"));
    connect(btnOK, &QPushButton::clicked, this, &KVRFrmAbout::BtnOKClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(10);
    layout->addWidget(picture1, 0, Qt::AlignHCenter);
    layout->addWidget(label1);
    layout->addWidget(label2);
    layout->addSpacing(6);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void KVRFrmAbout::BtnOKClick()
{
    leave();
    hide();
    close(); // unloads: the box deletes itself
}

void KVRFrmAbout::closeEvent(QCloseEvent* event)
{
    // The close box leaves the box like "&OK"; otherwise the main window would
    // stay disabled for the rest of the run.
    leave();
    event->accept();
}

void KVRFrmAbout::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_mainWindow != nullptr && m_mainWindow->windowHandle() != nullptr && windowHandle() != nullptr)
        windowHandle()->setTransientParent(m_mainWindow->windowHandle());
    const QScreen* screen =
        m_mainWindow != nullptr ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect box = frameGeometry();
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
}

void KVRFrmAbout::leave()
{
    if (m_left)
        return;
    m_left = true;
    if (m_enableMainWindow)
        m_enableMainWindow();
}

} // namespace kavora::shell
