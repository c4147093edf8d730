#include "cli/ConsoleWindow.h"

#include "platform/DisplayText.h"

#include <cerrno>
#include <cstring>
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
    (void)finishReport();
}

void ConsoleWindow::print(std::string_view text)
{
    const std::string shown = platform::displayText(text);
    if (!m_lineFeedsOnly) {
        write(shown);
        return;
    }
    // A line ends at CR LF or CR, as in a playlist; a lone LF is part of a
    // line, and on a terminal shown escaped, as every control character is.
    std::string lines;
    lines.reserve(shown.size());
    std::size_t lineStart = 0;
    const auto takeLine = [&](std::size_t end) {
        const std::string_view line = std::string_view(shown).substr(lineStart, end - lineStart);
        lines += m_reportOnTerminal ? platform::withControlsEscaped(line) : std::string(line);
    };
    for (std::size_t at = 0; at < shown.size(); ++at) {
        if (shown[at] != '\r')
            continue;
        takeLine(at);
        lines += '\n';
        if (at + 1 < shown.size() && shown[at + 1] == '\n')
            ++at;
        lineStart = at + 1;
    }
    takeLine(shown.size());
    write(lines);
}

void ConsoleWindow::write(std::string_view text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && m_writeError == 0)
        m_writeError = errno;
}

std::optional<std::string> ConsoleWindow::finishReport()
{
    clearProgress();
    if (std::fflush(stdout) != 0 && m_writeError == 0)
        m_writeError = errno;
    if (m_writeError == 0 && std::ferror(stdout) == 0)
        return std::nullopt;
    return m_writeError == 0 ? "write error" : std::strerror(m_writeError);
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
    showProgress(!m_reportOnTerminal);
}

void ConsoleWindow::setStatusText(std::string_view text)
{
    if (!text.starts_with("Copying "))
        return;
    m_copyStatus = text;
    showProgress(true);
}

void ConsoleWindow::setProgressVisible(bool visible)
{
    if (!visible)
        clearProgress();
}

void ConsoleWindow::showProgress(bool throttled)
{
    if (!m_progressShown)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_started < 1s || (throttled && now - m_lastProgress < 100ms))
        return;
    // The report so far must stand on the terminal before the progress line.
    std::fflush(stdout);
    if (m_copyStatus.empty())
        std::fprintf(stderr, "\rkavora: %llu entries so far...",
                     static_cast<unsigned long long>(m_additions));
    else
        std::fprintf(stderr, "\r\033[Kkavora: %s", m_copyStatus.c_str());
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
