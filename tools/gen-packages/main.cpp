// gen-packages: see CMakeLists.txt for the two commands.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "package_writer.h"

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    try
    {
        if (args.size() >= 3 && args[0] == "demo")
        {
            const std::size_t count =
                genpkg::writeDemoPackage(args[1], args[2], args.size() > 3 ? std::filesystem::path(args[3]) : "");
            std::cout << count << " liveries\n";
            return 0;
        }
        if (args.size() >= 3 && args[0] == "tree")
        {
            const auto files = static_cast<std::size_t>(std::stoul(std::string(args[2])));
            const auto seed = args.size() > 3 ? static_cast<std::uint32_t>(std::stoul(std::string(args[3]))) : 1U;
            const genpkg::TreeSummary summary = genpkg::writeTree(args[1], files, seed);
            std::cout << summary.files << " files, " << summary.liveries << " liveries\n";
            return 0;
        }
    }
    catch (const std::exception& e)
    {
        std::cerr << "gen-packages: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: gen-packages demo COMMUNITY LIVERIES.xml [DBASE.xml]\n"
                 "       gen-packages tree DIR FILES [SEED]\n";
    return 2;
}
