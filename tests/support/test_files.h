// Helpers the test folders share: files read and written byte for byte, the
// lines of a log file, and scratch folders under the temporary folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::test
{

namespace fs = std::filesystem;

// The file's bytes; the empty text when it cannot be read.
std::string readFile(const fs::path& file);

// Replaces the file with the bytes, making its folder first when missing.
void writeFile(const fs::path& file, std::string_view content);

// The lines of a log file after its header line, without their LF.
std::vector<std::string> logFileLines(const fs::path& log);

// Whether one of the lines is the line.
bool hasLine(const std::vector<std::string>& lines, std::string_view line);

// Whether one of the lines contains the text.
bool mentions(const std::vector<std::string>& lines, std::string_view text);

// A new empty folder under the temporary folder, named
// "vora-<prefix>-<random>-<suite>-<case>" after the running test (a '/' of a
// parameterised name becomes '_'), so that binaries of several builds can run
// at the same time.
fs::path freshTestFolder(std::string_view prefix);

// A new empty folder "vora-<prefix>-<run>-<n>" under the temporary folder for
// the life of the object.
class TempFolder
{
  public:
    explicit TempFolder(std::string_view prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    fs::path operator/(std::string_view name) const { return m_path / name; }

  private:
    fs::path m_path;
};

} // namespace ovr::test
