#include "processing/dialog/QtMessageBoxes.h"

#include "processing/dialog/WindowLook.h"

#include <QApplication>
#include <QMessageBox>

namespace kavora {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtMessageBoxes::show(std::string_view prompt, std::string_view title, MessageIcon icon)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = m_parent;
    QMessageBox box(boxIcon(icon), look::screenText(title), look::screenText(prompt), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setFont(look::windowFont(8.25));
    box.exec();
}

} // namespace kavora
