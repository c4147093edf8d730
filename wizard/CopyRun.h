#pragma once

#include "processing/copy/CopyExecutor.h"

#include <QObject>

#include <atomic>
#include <thread>

class QPushButton;
class QWidget;

namespace kavora {
class JobWindow;
namespace copy {
struct CopyPlan;
}
} // namespace kavora

// A copy running on a worker thread while the window goes on: the progress
// comes back by queued signals and shows in the window, and "&Cancel" asks
// the copy to stop (it takes the request within a piece of a file). Going
// away, it stops the copy and waits for it, so that a copy cut short by the
// end of the program still leaves only whole files and their playlist.
class CopyRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CopyRun)

public:
    // "&Cancel" is made in `buttonParent`, hidden until a copy runs.
    CopyRun(kavora::JobWindow& window, QWidget& buttonParent);
    ~CopyRun() override;

    // Carries out a plan that can start; it must outlive the run.
    void start(const kavora::copy::CopyPlan& plan);
    bool running() const { return m_worker.joinable(); }

signals:
    // The copy is over (done, stopped, or ended by its target), the window
    // shows its last progress and "&Cancel" is gone.
    void ended(const kavora::copy::CopyOutcome& outcome);
    // Sent from the worker thread, taken on this object's.
    void progressed(const kavora::copy::CopyProgress& progress, QPrivateSignal);
    void finished(const kavora::copy::CopyOutcome& outcome, QPrivateSignal);

private:
    void stop();
    void showProgress(const kavora::copy::CopyProgress& progress);
    void copyFinished(const kavora::copy::CopyOutcome& outcome);

    kavora::JobWindow& m_window;
    QPushButton* const m_btnStop;
    std::atomic<bool> m_stopRequested{false};
    std::thread m_worker;
};
