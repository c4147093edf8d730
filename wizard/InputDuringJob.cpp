#include "wizard/InputDuringJob.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

// The input that waits when a job ends is taken in a few milliseconds; later
// events that keep the loop busy (a mouse in motion) are not waited for.
constexpr int kLongestDrainMs = 100;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut: // access keys and menu shortcuts act before the key event
        return true;
    default:
        return false;
    }
}

// Filters the whole application while it lives.
class InputSink final : public QObject {
    Q_DISABLE_COPY_MOVE(InputSink)

public:
    InputSink() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputSink() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return isUserInput(event->type()); }
};

} // namespace

void dropInputMadeDuringJob()
{
    const InputSink sink;
    QCoreApplication::processEvents(QEventLoop::AllEvents, kLongestDrainMs);
}
