#pragma once

#include "processing/MissingFileHandlers.h"

#include <QDialog>
#include <QPointer>

#include <string>
#include <string_view>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "Processing Error" dialog: asks for a directory to put in front of a
// playlist entry whose file is missing. It only forwards its five events to
// the handlers and applies what they decide.
class KVRfrmFileNotFound final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRfrmFileNotFound)

public:
    KVRfrmFileNotFound(kavora::MissingFileHandlers& handlers, QWidget* parent = nullptr);

    // Filling the dialog before it is shown; Text1's change handling runs.
    void setLabel1Caption(std::string_view caption);
    void setText1(std::string_view text);
    // Text1 as bytes: what was put in, unless the user has edited it since.
    std::string text1Bytes() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Text1Change();
    void Command1Click();
    void Command2Click();
    void Command3Click();
    void Check1Click(bool ticked);
    void apply(kavora::DialogAction action);

    kavora::MissingFileHandlers& m_handlers;
    std::string m_text1Bytes;
    QString m_text1Shown;

    QLabel* m_image1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QLabel* m_label3 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
};

namespace kavora {

// One showing of KVRfrmFileNotFound per call, created in its design state and
// destroyed when it closes.
class QtMissingFileDialog final : public MissingFileDialog {
public:
    explicit QtMissingFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}
    void showModal(std::string_view label1Caption, std::string_view text1,
                   MissingFileHandlers& handlers) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace kavora
