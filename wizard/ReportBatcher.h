#pragma once

#include <QElapsedTimer>

#include <string>
#include <string_view>

class QPlainTextEdit;
class QProgressBar;
class QWidget;

// The report (RichTextBox1) and the progress value (ProgressBar1) of a job,
// which writes them line by line without returning to the event loop. Both
// reach their controls in batches, and the window is repainted a few times a
// second unless a change of layout must show at once: inserting and painting
// line by line would cost far more than the job itself.
class ReportBatcher final {
public:
    ReportBatcher(QWidget& window, QProgressBar& progressBar);
    ReportBatcher(const ReportBatcher&) = delete;
    ReportBatcher& operator=(const ReportBatcher&) = delete;

    // The report area is made when a step first needs it, before any text
    // reaches it.
    void setReportArea(QPlainTextEdit& reportArea) { m_reportArea = &reportArea; }

    // The report as the job wrote it, byte for byte (line ends included).
    const std::string& report() const { return m_report; }
    void replaceReport(std::string_view text);
    void appendToReport(std::string_view addition);

    int progressValue() const { return m_progressValue; }
    void setProgressValue(int value);

    // A change of buttons or texts, which the next refresh() shows at once.
    void noteLayoutChange() { m_layoutChanged = true; }
    // Repaints at once after a layout change, else when the interval is over.
    void refresh();
    void paintNow();

private:
    void paintIfDue();
    void scheduleSync();
    void syncControls();
    void flushReport();

    QWidget& m_window;
    QProgressBar& m_progressBar;
    QPlainTextEdit* m_reportArea = nullptr;

    std::string m_report;
    std::string m_pendingReport; // decoded, not yet in the report area
    int m_linesInParagraph = 0;  // of the report area's last paragraph
    int m_progressValue = 0;     // shown by the next repaint
    bool m_syncScheduled = false;
    bool m_layoutChanged = false;
    QElapsedTimer m_sinceLastPaint;
};
