#include "core/secret_stream.h"

#include "core/data_key.h"

#include <sodium.h>

#include <array>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

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

// Decrypts the stream of `in` chunk by chunk, handing each chunk's plain
// bytes to `take`.
template <typename Take>
void decryptStream(std::ifstream& in, Take take)
{
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
        take(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(textLength));
        final = tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    }
    // Ending without the FINAL chunk is what a cut file or a partial download
    // looks like; its text would parse as a shorter, wrong data file.
    if (!final)
    {
        throw std::runtime_error("Decryption failed");
    }
}

std::ifstream openEncrypted(const std::filesystem::path& encrypted)
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
    return in;
}

} // namespace

void decryptFile(const std::filesystem::path& encrypted, const std::filesystem::path& plain)
{
    std::ifstream in = openEncrypted(encrypted);
    std::ofstream out(plain, std::ios::binary | std::ios::trunc);
    if (!out)
    {
        throw std::runtime_error("Could not open output file: " + plain.string());
    }
    decryptStream(in, [&](const char* bytes, std::size_t size)
                  { out.write(bytes, static_cast<std::streamsize>(size)); });
    out.close();
    if (!out)
    {
        throw std::runtime_error("Could not write output file: " + plain.string());
    }
}

std::string decryptText(const std::filesystem::path& encrypted)
{
    std::ifstream in = openEncrypted(encrypted);
    std::string text;
    // The plain text is a little shorter than the stream.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(encrypted, ec);
    if (!ec)
        text.reserve(static_cast<std::size_t>(size));
    decryptStream(in, [&](const char* bytes, std::size_t length) { text.append(bytes, length); });
    return text;
}

} // namespace ovr::secret_stream
