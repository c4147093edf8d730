#include "wizard/ReportBatcher.h"

#include "platform/DisplayText.h"
#include "processing/dialog/WindowLook.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>

namespace {

// A job repaints at most this often while only the bar and the report move.
constexpr qint64 kRepaintIntervalMs = 200;
// Lines of a job's report in one paragraph of the report area: enough to
// make a paragraph's own cost small against its text, few enough that laying
// out the last one again as it grows stays cheap.
constexpr int kLinesPerParagraph = 32;
constexpr std::size_t kLargestBatch = std::size_t{1024} * 1024;

} // namespace

ReportBatcher::ReportBatcher(QWidget& window, QProgressBar& progressBar)
    : m_window(window), m_progressBar(progressBar)
{
}

void ReportBatcher::replaceReport(std::string_view text)
{
    m_report.assign(text);
    m_pendingReport.clear();
    m_linesInParagraph = 0;
    m_reportArea->setPlainText(kavora::look::screenText(text));
    m_reportArea->moveCursor(QTextCursor::End);
    m_layoutChanged = true;
}

void ReportBatcher::appendToReport(std::string_view addition)
{
    m_report.append(addition);
    // Each addition is decoded on its own (a name that is not UTF-8 does not
    // spoil its neighbours), but the report area takes the text in batches:
    // inserting line by line costs far more than the bytes.
    m_pendingReport += kavora::platform::displayText(addition);
    // A batch is also bounded in size: a fast job would otherwise pile up
    // megabytes between repaints, several times over in their conversions.
    if (m_pendingReport.size() >= kLargestBatch)
        flushReport();
    scheduleSync();
    paintIfDue();
}

void ReportBatcher::setProgressValue(int value)
{
    // The bar would repaint itself at every step; it shows the value with
    // the window's throttled repaints instead.
    m_progressValue = std::clamp(value, 0, 100);
    scheduleSync();
    paintIfDue();
}

void ReportBatcher::scheduleSync()
{
    // Whatever a job leaves pending reaches the controls as soon as any
    // event loop runs again (the processing-error dialog's, or the main one
    // after the job), and is painted by it.
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    QTimer::singleShot(0, &m_window, [this] {
        m_syncScheduled = false;
        syncControls();
    });
}

void ReportBatcher::syncControls()
{
    flushReport();
    if (m_progressBar.value() != m_progressValue) {
        m_progressBar.setUpdatesEnabled(false);
        m_progressBar.setValue(m_progressValue);
        m_progressBar.setUpdatesEnabled(true);
    }
}

void ReportBatcher::flushReport()
{
    if (m_pendingReport.empty())
        return;
    QString shown = QString::fromUtf8(m_pendingReport.data(), static_cast<qsizetype>(m_pendingReport.size()));
    m_pendingReport.clear();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A paragraph of the report area costs some hundred bytes besides its
    // text, many times a short line: most lines end in a line separator
    // instead, which looks the same and reads back as a line end.
    for (QChar& character : shown) {
        if (character == u'\n' && ++m_linesInParagraph < kLinesPerParagraph)
            character = QChar::LineSeparator;
        else if (character == u'\n')
            m_linesInParagraph = 0;
    }
    QTextCursor end(m_reportArea->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    m_reportArea->setTextCursor(end);
}

void ReportBatcher::refresh()
{
    syncControls();
    // A change of buttons or status text always shows at once, so the last
    // refresh of a job is never held back.
    if (m_layoutChanged)
        paintNow();
    else
        paintIfDue();
}

void ReportBatcher::paintIfDue()
{
    // A long job shows its progress between its fixed repaints, a few times a
    // second, without an event-loop turn that could run a handler.
    if (m_window.isVisible() &&
        (!m_sinceLastPaint.isValid() || m_sinceLastPaint.elapsed() >= kRepaintIntervalMs))
        paintNow();
}

void ReportBatcher::paintNow()
{
    syncControls();
    // Null until a step has shown the report area ("&Exit" while idle).
    if (m_reportArea != nullptr && m_reportArea->isVisible())
        m_reportArea->ensureCursorVisible();
    m_window.repaint();
    m_layoutChanged = false;
    m_sinceLastPaint.start();
}
