// A test in a new folder of its own (named after the test) with the
// program's log written to Log.txt inside it, removed afterwards. A fixture
// whose program paths are relative also makes it the current folder while
// the test runs. Header-only, like test_files.h.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "../support/test_files.h"
#include "core/log_detail.h"

namespace ovr::test
{

class FolderTest : public ::testing::Test
{
  protected:
    enum class Enter
    {
        no,
        yes
    };

    explicit FolderTest(std::string_view prefix, Enter enter = Enter::no) : m_prefix(prefix), m_enter(enter)
    {
    }

    void SetUp() override
    {
        m_folder = freshTestFolder(m_prefix);
        if (m_enter == Enter::yes)
        {
            m_previousFolder = fs::current_path();
            fs::current_path(m_folder);
        }
        detail::openLogAt(m_folder / "Log.txt");
    }

    void TearDown() override
    {
        detail::closeLog();
        if (m_enter == Enter::yes)
            fs::current_path(m_previousFolder);
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }

    const fs::path& folder() const { return m_folder; }
    // The lines written to the log since SetUp, without the header.
    std::vector<std::string> logLines() const { return logFileLines(m_folder / "Log.txt"); }
    bool logHas(std::string_view line) const { return hasLine(logLines(), line); }
    // Whether a log line contains the text.
    bool logMentions(std::string_view text) const { return mentions(logLines(), text); }

  private:
    std::string m_prefix;
    Enter m_enter;
    fs::path m_folder;
    fs::path m_previousFolder;
};

} // namespace ovr::test
