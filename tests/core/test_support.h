// Fixtures shared by the core tests: a scratch folder, files written byte for
// byte, and a log opened on a scratch file whose lines the test reads back.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "../support/test_files.h"
#include "core/log_detail.h"

namespace ovr::test
{

class TempDir : public TempFolder
{
  public:
    TempDir() : TempFolder("core") {}
};

// The text has the shape: '9' stands for a digit, 'A' for an upper-case and
// 'a' for a lower-case letter, every other character for itself.
inline bool matchesShape(std::string_view text, std::string_view shape)
{
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        bool ok = shape[i] == '9'   ? (c >= '0' && c <= '9')
                  : shape[i] == 'A' ? (c >= 'A' && c <= 'Z')
                  : shape[i] == 'a' ? (c >= 'a' && c <= 'z')
                                    : c == shape[i];
        if (!ok)
            return false;
    }
    return true;
}

// Opens the log on a scratch file for the life of the object.
class LogCapture
{
  public:
    LogCapture() { detail::openLogAt(file()); }
    ~LogCapture() { detail::closeLog(); }

    std::filesystem::path file() const { return m_dir / "Log.txt"; }
    std::string text() const { return readFile(file()); }
    // The lines after the header, without their LF.
    std::vector<std::string> lines() const { return logFileLines(file()); }

  private:
    TempDir m_dir;
};

} // namespace ovr::test
