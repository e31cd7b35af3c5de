// The subcommands of vora-probe. Each takes the arguments after its name and
// returns the process exit code.
#pragma once

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

} // namespace ovr::probe
