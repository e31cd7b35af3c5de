#include "test_files.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

#include <fmt/format.h>
#include <gtest/gtest.h>

namespace ovr::test
{

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, std::string_view content)
{
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::vector<std::string> logFileLines(const fs::path& log)
{
    std::ifstream in(log, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool hasLine(const std::vector<std::string>& lines, std::string_view line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool mentions(const std::vector<std::string>& lines, std::string_view text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

fs::path freshTestFolder(std::string_view prefix)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = fmt::format("vora-{}-{:08x}-{}-{}", prefix, std::random_device{}(),
                                   info->test_suite_name(), info->name());
    std::replace(name.begin(), name.end(), '/', '_');
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TempFolder::TempFolder(std::string_view prefix)
{
    static std::atomic<int> counter{0};
    static const unsigned run = std::random_device{}();
    m_path = fs::temp_directory_path() / fmt::format("vora-{}-{}-{}", prefix, run, counter++);
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

} // namespace ovr::test
