#pragma once

#include "platform/Console.h"
#include "processing/JobWindow.h"
#include "processing/PathNotation.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kavora::cli {

// A job's window on a terminal or in a script: the report goes to standard
// output as the report area would show it (LF line ends on a terminal or a
// pipe, the report's own CR LF into a file). A job that runs longer than a
// second shows its progress on standard error when that is a terminal (the
// entries so far, or a copy's status text "Copying 12 of 140, ..."). On a
// terminal, control characters are shown escaped: a playlist cannot send the
// terminal escape sequences.
class ConsoleWindow final : public JobWindow {
public:
    ConsoleWindow();
    ~ConsoleWindow() override;
    ConsoleWindow(const ConsoleWindow&) = delete;
    ConsoleWindow& operator=(const ConsoleWindow&) = delete;

    void setExplanation(std::string_view) override {}
    void setNextEnabled(bool) override {}
    void setNextVisible(bool) override {}
    void setBackEnabled(bool) override {}
    void setBackVisible(bool) override {}
    void setDoneVisible(bool) override {}
    int progressValue() const override { return m_progressValue; }
    void setProgressValue(int value) override { m_progressValue = value; }
    void setProgressVisible(bool visible) override;
    void setStatusText(std::string_view text) override;
    void replaceReport(std::string_view text) override;
    void appendToReport(std::string_view addition) override;
    void refresh() override {}
    // Absolute host paths, as a shell takes them.
    const PathNotation& pathNotation() const override { return m_notation; }

    // Puts out the rest of the report; why standard output did not take all
    // of it, when it did not (a reader that went away, a full disk).
    std::optional<std::string> finishReport();

private:
    void print(std::string_view text);
    void write(std::string_view text);
    void showProgress(bool throttled);
    void clearProgress();

    const HostNotation m_notation;
    const bool m_reportOnTerminal;
    const bool m_lineFeedsOnly;
    const bool m_progressShown;
    int m_progressValue = 0;
    std::uint64_t m_additions = 0;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastProgress;
    bool m_progressOnScreen = false;
    int m_writeError = 0; // errno of the first write that failed
    std::string m_copyStatus;
};

} // namespace kavora::cli
