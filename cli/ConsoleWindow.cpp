#include "cli/ConsoleWindow.h"

#include "platform/DisplayText.h"

#include <string>

namespace kavora::cli {

namespace {

using namespace std::chrono_literals;

using platform::StreamKind;

} // namespace

ConsoleWindow::ConsoleWindow()
    : m_reportOnTerminal(platform::standardOutputKind() == StreamKind::Terminal),
      m_lineFeedsOnly(m_reportOnTerminal || platform::standardOutputKind() == StreamKind::Pipe),
      m_progressShown(platform::standardErrorKind() == StreamKind::Terminal)
{
}

ConsoleWindow::~ConsoleWindow()
{
    clearProgress();
    std::fflush(stdout);
}

void ConsoleWindow::print(std::string_view text)
{
    const std::string shown = platform::displayText(text);
    if (!m_lineFeedsOnly) {
        std::fwrite(shown.data(), 1, shown.size(), stdout);
        return;
    }
    std::string lines;
    lines.reserve(shown.size());
    for (std::size_t at = 0; at < shown.size(); ++at) {
        if (shown[at] == '\r') {
            lines += '\n';
            if (at + 1 < shown.size() && shown[at + 1] == '\n')
                ++at;
        } else {
            lines += shown[at];
        }
    }
    std::fwrite(lines.data(), 1, lines.size(), stdout);
}

void ConsoleWindow::replaceReport(std::string_view text)
{
    print(text);
}

void ConsoleWindow::appendToReport(std::string_view addition)
{
    ++m_additions;
    // On one terminal with the report, the progress line goes before each
    // report line and comes back after it.
    if (m_reportOnTerminal)
        clearProgress();
    print(addition);
    showProgress();
}

void ConsoleWindow::setProgressVisible(bool visible)
{
    if (!visible)
        clearProgress();
}

void ConsoleWindow::showProgress()
{
    if (!m_progressShown)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_started < 1s || (!m_reportOnTerminal && now - m_lastProgress < 100ms))
        return;
    // The report so far must stand on the terminal before the progress line.
    std::fflush(stdout);
    std::fprintf(stderr, "\rkavora: %llu entries so far...", static_cast<unsigned long long>(m_additions));
    std::fflush(stderr);
    m_lastProgress = now;
    m_progressOnScreen = true;
}

void ConsoleWindow::clearProgress()
{
    if (!m_progressOnScreen)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_progressOnScreen = false;
}

} // namespace kavora::cli
