#pragma once

#include "processing/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace kavora {

// Message boxes as QMessageBox with a single OK button. They sit over the
// modal window that is open when they are shown, else over `parent`.
class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    void show(std::string_view prompt, std::string_view title, MessageIcon icon) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace kavora
