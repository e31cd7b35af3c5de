// An encrypted data file through the decryption that every data file takes.
// The first byte chooses how the rest becomes the file:
//   even: the rest is the file as it is (mostly refused at the header or
//         the first chunk);
//   odd:  the second byte chooses a damage (0: none; odd: the stream is cut
//         short; even: one byte is changed) and the rest is the plain text,
//         encrypted with the data key as the build encrypts the shipped
//         files, then damaged.
// A stream made here must come back exactly, a damaged one must be refused,
// and a refused one must leave no plain file behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/stream_decrypt.h"
#include "fuzz_support.h"
#include "stream_encrypt.h"

namespace
{

namespace fs = std::filesystem;

std::string lf_read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void lf_require(bool holds)
{
    if (!holds)
    {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    if (size == 0)
    {
        return 0;
    }
    const fs::path encrypted = "input/airports.enc";
    const fs::path plain = "input/airports.xml";
    const bool made = (data[0] & 1U) != 0;
    std::string file;
    std::string text;
    bool damaged = false;
    if (!made)
    {
        file = fuzz::asText(data + 1, size - 1);
    }
    else
    {
        const std::uint8_t damage = size > 1 ? data[1] : 0;
        text = size > 1 ? fuzz::asText(data + 2, size - 2) : std::string_view{};
        file = datatool::encryptText(text);
        if (damage != 0)
        {
            damaged = true;
            if ((damage & 1U) != 0)
            {
                file.erase(file.size() - std::min<std::size_t>(file.size(), damage / 2U + 1U));
            }
            else
            {
                file[(damage * 131U) % file.size()] ^= static_cast<char>(damage);
            }
        }
    }
    fuzz::writeFile(encrypted, file);
    const bool decrypted = gf_streamDecrypt(encrypted, plain);
    if (!decrypted)
    {
        lf_require(!fs::exists(plain));
    }
    if (made)
    {
        lf_require(decrypted != damaged);
        if (decrypted)
        {
            lf_require(lf_read(plain) == text);
        }
    }
    fs::remove(plain);
    return 0;
}
