// vora-datatool encrypt|decrypt IN OUT
//
// Makes the encrypted data files from their plain XML sources and reads them
// back. OUT is written through OUT.part and renamed only when the whole file
// was done, so a failure never leaves a partial or stale OUT behind.
#include "core/secret_stream.h"
#include "stream_encrypt.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace
{

int usage()
{
    std::cerr << "usage: vora-datatool encrypt|decrypt IN OUT\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        return usage();
    }
    const std::string_view command = argv[1];
    const fs::path in = argv[2];
    const fs::path out = argv[3];
    if (command != "encrypt" && command != "decrypt")
    {
        return usage();
    }

    fs::path part = out;
    part += ".part";
    std::error_code ec;
    try
    {
        if (command == "encrypt")
        {
            ovr::datatool::encryptFile(in, part);
        }
        else
        {
            ovr::secret_stream::decryptFile(in, part);
        }
        fs::rename(part, out);
        return 0;
    }
    catch (const std::exception& e)
    {
        std::cerr << "vora-datatool " << command << " " << in.string() << ": " << e.what() << "\n";
    }
    fs::remove(part, ec);
    // A failed run must not leave an older OUT that looks like its result.
    fs::remove(out, ec);
    return 1;
}
