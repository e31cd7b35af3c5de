// gen-bgl DIR: writes every variant as DIR/<variant>.bgl.
// gen-bgl FILE VARIANT: writes one variant to FILE.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "bgl_variants.h"

int main(int argc, char** argv)
{
    namespace genbgl = ovr::genbgl;
    try
    {
        if (argc == 2)
        {
            for (const std::string& name : genbgl::variantNames())
                genbgl::writeFile(std::filesystem::path(argv[1]) / (name + ".bgl"), genbgl::variant(name));
            return 0;
        }
        if (argc == 3)
        {
            genbgl::writeFile(argv[1], genbgl::variant(argv[2]));
            return 0;
        }
    }
    catch (const std::exception& e)
    {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: gen-bgl DIR | gen-bgl FILE VARIANT\nvariants:";
    for (const std::string& name : genbgl::variantNames())
        std::cerr << ' ' << name;
    std::cerr << '\n';
    return 2;
}
