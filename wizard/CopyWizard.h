#pragma once

#include "processing/copy/CopyExecutor.h"
#include "processing/copy/CopyPlan.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>

class CopyRun;
class CopyTargetStep;
class KVRFrmStart;

// The copy's road through the main window once the playlist is picked: the
// target step, the plan's preview (the plan is made there, on this thread,
// as it may ask for missing files), the copy running beside the event loop,
// and the done state. While the operation is "Copy", the main window's
// "&Next" and "&Back" lead through these steps.
class CopyWizard final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CopyWizard)

public:
    // Lives as long as the window, as its child.
    explicit CopyWizard(KVRFrmStart& mainWindow);
    ~CopyWizard() override;

    // The selection window's "&Next" in the Copy operation: `playlistDirectory`
    // is the one it showed.
    void showTargetStep(const std::string& playlistDirectory);

private:
    enum class Step { None, Target, Plan, Running };

    void next();
    void back();
    void showPlan();
    void startCopy();
    // The done state; `outcome` is null when the copy did not run.
    void finish(const kavora::copy::CopyOutcome* outcome);
    void showTarget();
    // Made when first needed: nothing of the copy is built at start-up.
    CopyTargetStep& targetStep();
    CopyRun& run();

    KVRFrmStart& m_window;
    CopyTargetStep* m_targetStep = nullptr; // a child of the window's client area
    std::optional<kavora::copy::CopyPlan> m_plan;
    Step m_step = Step::None;
    // Last: a run still going is stopped and waited for before its plan goes.
    std::unique_ptr<CopyRun> m_run;
};
