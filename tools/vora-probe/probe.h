// The subcommands of vora-probe. Each takes the arguments after its name and
// returns the process exit code.
#pragma once

#include <filesystem>
#include <span>
#include <string_view>

namespace ovr::probe
{

// dbase DIR [--reg REG] [--type TYPE]
int dbaseCommand(std::span<const std::string_view> args);

// apf DIR ICAO
int apfCommand(std::span<const std::string_view> args);

// tables DIR
int tablesCommand(std::span<const std::string_view> args);

// bgl FILE [DIR]
int bglCommand(std::span<const std::string_view> args);
// liveries DIR PACKAGES [--threads N]
int liveriesCommand(std::span<const std::string_view> args);

// match DIR aircraft.csv [--seed N] [--depth D]
int matchCommand(std::span<const std::string_view> args);

class CapturedLog;

// Works in the folder DIR and builds its livery tables as the start-up does,
// with a settings file of its own that is removed afterwards.
class TablesBuild
{
  public:
    explicit TablesBuild(std::string_view folder);
    ~TablesBuild();
    TablesBuild(const TablesBuild&) = delete;
    TablesBuild& operator=(const TablesBuild&) = delete;

    // False (with the log shown) when the model database cannot be read.
    bool build(CapturedLog& log);

  private:
    std::filesystem::path m_settings;
};

} // namespace ovr::probe
