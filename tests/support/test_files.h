// Helpers the test folders share: files read and written byte for byte, the
// lines of a log file, and scratch folders under the temporary folder.
// Header-only, so that a test file compiled into another folder's binary
// brings what it needs along; included by its relative path.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ovr::test
{

namespace fs = std::filesystem;

// The file's bytes; the empty text when it cannot be read.
inline std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file with the bytes, making its folder first when missing.
inline void writeFile(const fs::path& file, std::string_view content)
{
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The lines of a log file after its header line, without their LF.
inline std::vector<std::string> logFileLines(const fs::path& log)
{
    std::ifstream in(log, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Whether one of the lines is the line.
inline bool hasLine(const std::vector<std::string>& lines, std::string_view line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Whether one of the lines contains the text.
inline bool mentions(const std::vector<std::string>& lines, std::string_view text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// A new empty folder under the temporary folder, named
// "vora-<prefix>-<random>-<suite>-<case>" after the running test (a '/' of a
// parameterised name becomes '_'), so that binaries of several builds can run
// at the same time.
inline fs::path freshTestFolder(std::string_view prefix)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    char random[9];
    std::snprintf(random, sizeof random, "%08x", std::random_device{}());
    std::string name =
        "vora-" + std::string(prefix) + "-" + random + "-" + info->test_suite_name() + "-" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// A new empty folder "vora-<prefix>-<run>-<n>" under the temporary folder for
// the life of the object.
class TempFolder
{
  public:
    explicit TempFolder(std::string_view prefix)
    {
        static std::atomic<int> counter{0};
        static const unsigned run = std::random_device{}();
        m_path = fs::temp_directory_path() / ("vora-" + std::string(prefix) + "-" + std::to_string(run) +
                                              "-" + std::to_string(counter++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    fs::path operator/(std::string_view name) const { return m_path / name; }

  private:
    fs::path m_path;
};

} // namespace ovr::test
