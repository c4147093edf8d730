#include "wizard/CopyRun.h"

#include "processing/JobWindow.h"
#include "processing/copy/CopyJob.h"
#include "processing/dialog/WindowLook.h"

#include <QPushButton>

CopyRun::CopyRun(kavora::JobWindow& window, QWidget& buttonParent)
    : m_window(window), m_btnStop(new QPushButton(QStringLiteral("&Cancel"), &buttonParent))
{
    // Left of "&Back", not where "&Done" comes: a click that comes as the
    // copy ends must not press "&Done".
    m_btnStop->setObjectName(QStringLiteral("BtnStop"));
    m_btnStop->setAccessibleName(QStringLiteral("Cancel the copy"));
    m_btnStop->setGeometry(kavora::look::twipsRect(6075, 4815, 870, 375));
    m_btnStop->setAutoDefault(false);
    m_btnStop->hide();
    connect(m_btnStop, &QPushButton::clicked, this, &CopyRun::stop);
    connect(this, &CopyRun::progressed, this, &CopyRun::showProgress, Qt::QueuedConnection);
    connect(this, &CopyRun::finished, this, &CopyRun::copyFinished, Qt::QueuedConnection);
}

CopyRun::~CopyRun()
{
    m_stopRequested = true;
    if (m_worker.joinable())
        m_worker.join();
}

void CopyRun::start(const kavora::copy::CopyPlan& plan)
{
    m_stopRequested = false;
    m_btnStop->show();
    m_worker = std::thread([this, &plan] {
        const kavora::copy::CopyOutcome outcome = kavora::copy::executeCopyPlan(
            plan, m_stopRequested, [this](const kavora::copy::CopyProgress& progress) {
                emit progressed(progress, QPrivateSignal());
            });
        emit finished(outcome, QPrivateSignal());
    });
}

void CopyRun::stop()
{
    m_stopRequested = true;
    m_btnStop->setEnabled(false);
    m_window.setStatusText("Stopping the copy...");
}

void CopyRun::showProgress(const kavora::copy::CopyProgress& progress)
{
    kavora::copy::copyProgressShown(progress, m_window);
    // Stopping, the status bar keeps saying so.
    if (m_stopRequested)
        m_window.setStatusText("Stopping the copy...");
}

void CopyRun::copyFinished(const kavora::copy::CopyOutcome& outcome)
{
    // The worker has nothing left to do but return.
    m_worker.join();
    m_btnStop->hide();
    m_btnStop->setEnabled(true);
    emit ended(outcome);
}
