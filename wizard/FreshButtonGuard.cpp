#include "wizard/FreshButtonGuard.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

FreshButtonGuard::FreshButtonGuard(QAbstractButton& button) : QObject(&button)
{
    button.installEventFilter(this);
}

bool FreshButtonGuard::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_shown.start();
        return false;
    // A press kept off leaves the release that follows it without effect.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return m_shown.isValid() &&
               m_shown.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    default:
        return false;
    }
}
