#include "processing/dialog/KVRfrmFileNotFound.h"

#include "processing/dialog/WindowLook.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

using kavora::look::twipsRect;

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    // Enter presses only the default button, never the one with the focus.
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

KVRfrmFileNotFound::KVRfrmFileNotFound(kavora::MissingFileHandlers& handlers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_handlers(handlers)
{
    setObjectName(QStringLiteral("KVRfrmFileNotFound"));
    setWindowTitle(QStringLiteral("Processing Error"));
    // 8.25 point, the classic dialog size: the captions fit their fixed widths.
    setFont(kavora::look::windowFont(8.25));
    setFixedSize(kavora::look::twips(6030), kavora::look::twips(2130));
    setModal(true);

    m_image1 = makeLabel(this, "Image1", QString(), twipsRect(135, 135, 600, 600));
    m_image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));

    m_label1 = makeLabel(this, "Label1", QString(), twipsRect(1035, 90, 4740, 420));
    m_label1->setWordWrap(true);
    m_label2 = makeLabel(this, "Label2",
                         QStringLiteral("Enter the full directory name to be prefixed to the above file:"),
                         twipsRect(1035, 585, 4785, 240));

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twipsRect(1035, 810, 4740, 285));
    m_text1->setAccessibleName(m_label2->text());

    m_check1 = new QCheckBox(this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setGeometry(twipsRect(1035, 1170, 240, 240));

    m_label3 = makeLabel(this, "Label3",
                         QStringLiteral("Use the above directory for any files missing their full path"),
                         twipsRect(1350, 1170, 4470, 240));
    // The box shows no caption of its own; Label3 is its caption.
    m_check1->setAccessibleName(m_label3->text());
    m_image1->setAccessibleName(QStringLiteral("Warning"));

    m_command1 = makeButton(this, "Command1", QStringLiteral("&OK"), twipsRect(1755, 1620, 780, 330));
    m_command1->setEnabled(false);
    m_command1->setDefault(true); // Enter takes the typed directory, once there is one
    m_command2 = makeButton(this, "Command2", QStringLiteral("&Skip File"), twipsRect(2745, 1620, 960, 330));
    m_command3 =
        makeButton(this, "Command3", QStringLiteral("&Ignore Errors"), twipsRect(3870, 1620, 1095, 330));

    setTabOrder(m_text1, m_command1);
    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_command3);
    setTabOrder(m_command3, m_check1);
    m_text1->setFocus();

    connect(m_text1, &QLineEdit::textChanged, this, &KVRfrmFileNotFound::Text1Change);
    connect(m_command1, &QPushButton::clicked, this, &KVRfrmFileNotFound::Command1Click);
    connect(m_command2, &QPushButton::clicked, this, &KVRfrmFileNotFound::Command2Click);
    connect(m_command3, &QPushButton::clicked, this, &KVRfrmFileNotFound::Command3Click);
    connect(m_check1, &QCheckBox::clicked, this, &KVRfrmFileNotFound::Check1Click);
}

void KVRfrmFileNotFound::setLabel1Caption(std::string_view caption)
{
    m_label1->setText(kavora::look::screenText(caption));
}

void KVRfrmFileNotFound::setText1(std::string_view text)
{
    m_text1Bytes.assign(text);
    m_text1Shown = kavora::look::screenText(text);
    m_text1->setText(m_text1Shown);
}

std::string KVRfrmFileNotFound::text1Bytes() const
{
    // A directory given as bytes that are not UTF-8 must go back unchanged
    // when the user has not touched it.
    if (m_text1->text() == m_text1Shown)
        return m_text1Bytes;
    return m_text1->text().toStdString();
}

void KVRfrmFileNotFound::keyPressEvent(QKeyEvent* event)
{
    // The dialog has no cancel button, so Escape closes nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void KVRfrmFileNotFound::Text1Change()
{
    m_command1->setEnabled(kavora::MissingFileHandlers::Text1Change(text1Bytes()));
}

void KVRfrmFileNotFound::Command1Click()
{
    apply(m_handlers.Command1Click(text1Bytes()));
}

void KVRfrmFileNotFound::Command2Click()
{
    apply(m_handlers.Command2Click());
}

void KVRfrmFileNotFound::Command3Click()
{
    apply(m_handlers.Command3Click());
}

void KVRfrmFileNotFound::Check1Click(bool ticked)
{
    m_handlers.Check1Click(ticked);
}

void KVRfrmFileNotFound::apply(kavora::DialogAction action)
{
    if (action == kavora::DialogAction::Close)
        accept();
}

namespace kavora {

void QtMissingFileDialog::showModal(std::string_view label1Caption, std::string_view text1,
                                    MissingFileHandlers& handlers)
{
    KVRfrmFileNotFound dialog(handlers, m_parent);
    dialog.setLabel1Caption(label1Caption);
    dialog.setText1(text1);
    dialog.exec();
}

} // namespace kavora
