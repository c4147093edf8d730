#pragma once

#include "platform/FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace kavora::platform::test {

// What failed, or nothing: a wrong success then fails the check instead of
// reading a failure that is not there.
template <typename Outcome> std::optional<FsError> failureOf(const Outcome& outcome)
{
    return outcome.ok() ? std::nullopt : std::optional(outcome.failure().code);
}

template <typename Outcome> std::string reasonOf(const Outcome& outcome)
{
    return outcome.ok() ? "succeeded" : outcome.failure().reason;
}

// A fresh temporary directory per test with HOME pointed at <tmp>/home, so C:
// is hermetic; the FileSystem is built after HOME is set. Every such test sets
// HOME afresh, and no other test reads it.
class TempTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kavora-platform-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        std::filesystem::create_directory(home());
        ::setenv("HOME", home().c_str(), 1);
        m_savedCwd = std::filesystem::current_path();
        m_fs.emplace();
    }

    void TearDown() override
    {
        std::filesystem::current_path(m_savedCwd);
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    const FileSystem& fs() const { return *m_fs; }
    std::string home() const { return (m_root / "home").string(); }
    std::string at(const std::string& relative) const { return home() + "/" + relative; }

    // Creates a file (and its directories) below HOME with the given bytes.
    std::string write(const std::string& relative, const std::string& bytes = "data") const
    {
        std::filesystem::create_directories(std::filesystem::path(at(relative)).parent_path());
        std::ofstream(at(relative), std::ios::binary) << bytes;
        return at(relative);
    }

    void makeFifo(const std::string& relative) const { ASSERT_EQ(::mkfifo(at(relative).c_str(), 0644), 0); }

    static std::string read(const std::string& hostPath)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(hostPath, std::ios::binary).rdbuf();
        return bytes.str();
    }

    static bool exists(const std::string& path) { return std::filesystem::exists(path); }

private:
    std::filesystem::path m_root;
    std::filesystem::path m_savedCwd;
    std::optional<FileSystem> m_fs;
};

} // namespace kavora::platform::test
