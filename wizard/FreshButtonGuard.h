#pragma once

#include <QElapsedTimer>
#include <QObject>

class QAbstractButton;

// Keeps the mouse off a button for the platform's double-click interval after
// it appears: "&Done" appears where "&Next" stood, and the second click of a
// double click on "&Next" that comes after a short job ends would press it and
// empty the report before it was read.
class FreshButtonGuard final : public QObject {
    Q_DISABLE_COPY_MOVE(FreshButtonGuard)

public:
    // Lives as long as the button, which owns it.
    explicit FreshButtonGuard(QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_shown;
};
