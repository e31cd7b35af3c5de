#include "core/secret_stream.h"

#include "core/data_key.h"

#include <sodium.h>

#include <array>
#include <fstream>
#include <stdexcept>
#include <string>

namespace ovr::secret_stream
{

static_assert(kHeaderBytes == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(kChunkOverheadBytes == crypto_secretstream_xchacha20poly1305_ABYTES);

namespace
{

std::size_t readUpTo(std::ifstream& in, unsigned char* buffer, std::size_t size)
{
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount());
}

} // namespace

void decryptFile(const std::filesystem::path& encrypted, const std::filesystem::path& plain)
{
    if (sodium_init() < 0)
    {
        throw std::runtime_error("sodium_init failed");
    }
    std::ifstream in(encrypted, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error("Could not open input file: " + encrypted.string());
    }
    std::ofstream out(plain, std::ios::binary | std::ios::trunc);
    if (!out)
    {
        throw std::runtime_error("Could not open output file: " + plain.string());
    }

    std::array<unsigned char, kHeaderBytes> header{};
    crypto_secretstream_xchacha20poly1305_state state;
    if (readUpTo(in, header.data(), header.size()) != header.size() ||
        crypto_secretstream_xchacha20poly1305_init_pull(&state, header.data(), gf_dataKey().data()) != 0)
    {
        throw std::runtime_error("Invalid header or key");
    }

    std::array<unsigned char, kCipherChunkBytes> cipher{};
    std::array<unsigned char, kPlainChunkBytes> text{};
    bool final = false;
    while (!final)
    {
        const std::size_t got = readUpTo(in, cipher.data(), cipher.size());
        if (got == 0)
        {
            break;
        }
        unsigned long long textLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, text.data(), &textLength, &tag, cipher.data(),
                                                       got, nullptr, 0) != 0)
        {
            throw std::runtime_error("Decryption failed");
        }
        out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(textLength));
        final = tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    }
    // Ending without the FINAL chunk is what a cut file or a partial download
    // looks like; its text would parse as a shorter, wrong data file.
    if (!final)
    {
        throw std::runtime_error("Decryption failed");
    }
    out.close();
    if (!out)
    {
        throw std::runtime_error("Could not write output file: " + plain.string());
    }
}

} // namespace ovr::secret_stream
