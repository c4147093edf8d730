#include "wizard/CopyWizard.h"

#include "processing/AppState.h"
#include "processing/copy/CopyJob.h"
#include "processing/copy/CopyPreview.h"
#include "wizard/CopyRun.h"
#include "wizard/CopyTargetStep.h"
#include "wizard/KVRFrmStart.h"

#include <string_view>

namespace {

constexpr std::string_view kTargetCaption =
    "Choose where the numbered copies go. Removable drives are listed first.\r\n"
    "A new folder named after the playlist is proposed there; your files stay as they are.";
constexpr std::string_view kPlanCaption =
    "The files will be copied in playlist order and numbered, with a playlist of the copies.\r\n"
    "Press Next to copy them into the new folder; your files stay as they are.";

} // namespace

CopyWizard::CopyWizard(KVRFrmStart& mainWindow) : QObject(&mainWindow), m_window(mainWindow)
{
    connect(&mainWindow, &KVRFrmStart::copyNextRequested, this, &CopyWizard::next);
    connect(&mainWindow, &KVRFrmStart::copyBackRequested, this, &CopyWizard::back);
}

CopyWizard::~CopyWizard() = default;

CopyTargetStep& CopyWizard::targetStep()
{
    if (m_targetStep == nullptr) {
        m_targetStep = new CopyTargetStep(m_window.fileSystem(), m_window.centralWidget());
        connect(m_targetStep, &CopyTargetStep::targetFolderChanged, this,
                [this] { m_window.setNextEnabled(!m_targetStep->targetFolder().empty()); });
    }
    return *m_targetStep;
}

CopyRun& CopyWizard::run()
{
    if (m_run == nullptr) {
        m_run = std::make_unique<CopyRun>(m_window, *m_window.centralWidget());
        connect(m_run.get(), &CopyRun::ended, this,
                [this](const kavora::copy::CopyOutcome& outcome) { finish(&outcome); });
    }
    return *m_run;
}

void CopyWizard::showTargetStep(const std::string& playlistDirectory)
{
    kavora::AppState& state = m_window.appState();
    state.PlaylistDirectory = playlistDirectory;
    m_window.closePlaylistPicker();
    m_window.setActionsMenuEnabled(false);
    m_window.setCopyStepOpen(true);
    targetStep().showFor(state.InputPlaylistPath);
    showTarget();
}

void CopyWizard::showTarget()
{
    m_step = Step::Target;
    m_window.setExplanation(kTargetCaption);
    m_window.setExplanationVisible(true);
    m_window.setReportVisible(false);
    targetStep().show();
    m_window.setNextVisible(true);
    m_window.setBackVisible(true);
    m_window.setNextEnabled(!targetStep().targetFolder().empty());
}

void CopyWizard::next()
{
    if (m_step == Step::Target)
        showPlan();
    else if (m_step == Step::Plan)
        startCopy();
}

void CopyWizard::back()
{
    if (m_step == Step::Plan) {
        showTarget();
    } else if (m_step == Step::Target) {
        m_step = Step::None;
        targetStep().hide();
        m_window.setCopyStepOpen(false);
        m_window.backToPlaylistPicker();
    }
}

void CopyWizard::showPlan()
{
    kavora::AppState& state = m_window.appState();
    state.TargetFolder = targetStep().targetFolder();
    // Not pressed again while the plan asks for a missing file.
    m_window.setNextEnabled(false);
    m_window.setBackEnabled(false);
    m_plan = kavora::copy::makeCopyPlan(state, m_window, m_window.missingFileDialog(),
                                        m_window.messageBoxes(), kavora::JobOptions{});
    m_step = Step::Plan;
    targetStep().hide();
    m_window.setExplanation(kPlanCaption);
    m_window.replaceReport(kavora::copy::copyPreviewText(*m_plan));
    m_window.setReportVisible(true);
    m_window.setBackEnabled(true);
    m_window.setNextEnabled(m_plan->canStart());
}

void CopyWizard::startCopy()
{
    m_step = Step::Running;
    if (kavora::copy::startCopyJob(*m_plan, m_window))
        run().start(*m_plan);
    else
        finish(nullptr);
}

void CopyWizard::finish(const kavora::copy::CopyOutcome* outcome)
{
    kavora::copy::finishCopyJob(m_window.appState(), *m_plan, outcome, m_window);
    if (outcome != nullptr && outcome->stopped)
        m_window.setStatusText("Copy stopped");
    m_step = Step::None;
    m_plan.reset();
    m_window.setCopyStepOpen(false);
}
