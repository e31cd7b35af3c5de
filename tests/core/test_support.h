// Fixtures shared by the core tests: a scratch folder, files written byte for
// byte, and a log opened on a scratch file whose lines the test reads back.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include <random>

#include "core/log_detail.h"

namespace ovr::test
{

class TempDir
{
  public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        static const unsigned run = std::random_device{}();
        m_path = std::filesystem::temp_directory_path() /
                 ("vora-core-" + std::to_string(run) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
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

inline void writeBytes(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opens the log on a scratch file for the life of the object.
class LogCapture
{
  public:
    LogCapture() { detail::openLogAt(file()); }
    ~LogCapture() { detail::closeLog(); }

    std::filesystem::path file() const { return m_dir / "Log.txt"; }
    std::string text() const { return readBytes(file()); }
    // The lines after the header, without their LF.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> result;
        std::string all = text();
        std::size_t start = all.find('\n') + 1;
        while (start < all.size())
        {
            std::size_t lf = all.find('\n', start);
            result.push_back(all.substr(start, lf - start));
            start = lf + 1;
        }
        return result;
    }

  private:
    TempDir m_dir;
};

} // namespace ovr::test
