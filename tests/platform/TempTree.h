#pragma once

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace kavora::platform::test {

// A fresh temporary directory per test with HOME pointed at <tmp>/home, so C:
// is hermetic. The FileSystem is built after HOME is set.
class TempTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kavora-platform-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        std::filesystem::create_directory(m_root / "home");
        if (const char* home = std::getenv("HOME"))
            m_savedHome = home;
        ::setenv("HOME", home().c_str(), 1);
        m_savedCwd = std::filesystem::current_path();
        m_fs.emplace();
    }

    void TearDown() override
    {
        std::filesystem::current_path(m_savedCwd);
        if (m_savedHome)
            ::setenv("HOME", m_savedHome->c_str(), 1);
        else
            ::unsetenv("HOME");
        std::error_code ignored;
        std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_root, ignored);
    }

    const FileSystem& fs() const { return *m_fs; }
    std::string root() const { return m_root.string(); }
    std::string home() const { return (m_root / "home").string(); }

    // Creates a file (and its directories) below HOME with the given bytes.
    std::string write(const std::string& relative, const std::string& bytes = "data")
    {
        const std::filesystem::path path = m_root / "home" / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::string makeDir(const std::string& relative)
    {
        const std::filesystem::path path = m_root / "home" / relative;
        std::filesystem::create_directories(path);
        return path.string();
    }

    static std::string read(const std::string& hostPath)
    {
        std::ifstream in(hostPath, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    static bool exists(const std::string& hostPath)
    {
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(hostPath, ignored));
    }

private:
    std::filesystem::path m_root;
    std::filesystem::path m_savedCwd;
    std::optional<std::string> m_savedHome;
    std::optional<FileSystem> m_fs;
};

} // namespace kavora::platform::test
