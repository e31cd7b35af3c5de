// vora-probe SUBCOMMAND ...: reads a working folder's data files as the
// program does and prints what it found, for checking data and demo folders.

#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "core/library_init.h"
#include "probe.h"

namespace
{

constexpr std::string_view kUsage = "usage: vora-probe dbase DIR [--reg REG] [--type TYPE]\n"
                                    "       vora-probe apf DIR ICAO\n"
                                    "       vora-probe tables DIR\n"
                                    "       vora-probe match DIR aircraft.csv [--seed N] [--depth D]\n"
                                    "       vora-probe bgl FILE [DIR]\n"
                                    "       vora-probe liveries DIR PACKAGES [--threads N]\n";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty())
    {
        std::cerr << kUsage;
        return 2;
    }
    try
    {
        ovr::gf_initLibraries();
        if (args[0] == "dbase")
            return ovr::probe::dbaseCommand(std::span(args).subspan(1));
        if (args[0] == "apf")
            return ovr::probe::apfCommand(std::span(args).subspan(1));
        if (args[0] == "tables")
            return ovr::probe::tablesCommand(std::span(args).subspan(1));
        if (args[0] == "match")
            return ovr::probe::matchCommand(std::span(args).subspan(1));
        if (args[0] == "bgl")
            return ovr::probe::bglCommand(std::span(args).subspan(1));
        if (args[0] == "liveries")
            return ovr::probe::liveriesCommand(std::span(args).subspan(1));
    }
    catch (const std::exception& e)
    {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << kUsage;
    return 2;
}
