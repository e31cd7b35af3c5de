// The log of a probe: the readers write their summaries to the program's log;
// the probe gives it a log of its own in the temp folder and passes the lines
// on to stdout.
#pragma once

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>

#include <fmt/format.h>

#include "core/log_detail.h"

namespace ovr::probe
{

class CapturedLog
{
  public:
    CapturedLog()
        : m_file(std::filesystem::temp_directory_path() /
                 fmt::format("vora-probe-{:08x}.txt", std::random_device{}()))
    {
        detail::openLogAt(m_file);
    }
    ~CapturedLog()
    {
        detail::closeLog();
        std::error_code ec;
        std::filesystem::remove(m_file, ec);
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    // The lines written since the last call (the log's header line skipped).
    void flushTo(std::ostream& out)
    {
        std::ifstream in(m_file, std::ios::binary);
        std::string line;
        for (std::size_t n = 0; std::getline(in, line); ++n)
        {
            if (n > m_linesShown)
            {
                out << line << '\n';
                m_linesShown = n;
            }
        }
    }

  private:
    std::filesystem::path m_file;
    std::size_t m_linesShown = 0;
};

} // namespace ovr::probe
