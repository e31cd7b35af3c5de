#include "stream_encrypt.h"

#include "core/secret_stream.h"

#include <sodium.h>

#include <array>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace ovr::datatool
{

namespace
{

class Pusher
{
  public:
    explicit Pusher(std::span<const unsigned char, kDataKeyBytes> key)
    {
        if (sodium_init() < 0)
        {
            throw std::runtime_error("sodium_init failed");
        }
        std::array<unsigned char, secret_stream::kHeaderBytes> header{};
        crypto_secretstream_xchacha20poly1305_init_push(&state_, header.data(), key.data());
        header_.assign(reinterpret_cast<const char*>(header.data()), header.size());
    }

    const std::string& header() const { return header_; }

    std::string push(std::string_view text, bool final)
    {
        if (text.size() > secret_stream::kPlainChunkBytes)
        {
            throw std::invalid_argument("chunk longer than 4096 bytes");
        }
        std::array<unsigned char, secret_stream::kCipherChunkBytes> cipher{};
        unsigned long long length = 0;
        crypto_secretstream_xchacha20poly1305_push(&state_, cipher.data(), &length,
                                                   reinterpret_cast<const unsigned char*>(text.data()),
                                                   text.size(), nullptr, 0,
                                                   final ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                         : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        return {reinterpret_cast<const char*>(cipher.data()), static_cast<std::size_t>(length)};
    }

  private:
    crypto_secretstream_xchacha20poly1305_state state_{};
    std::string header_;
};

std::size_t readUpTo(std::ifstream& in, std::vector<char>& buffer)
{
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return static_cast<std::size_t>(in.gcount());
}

} // namespace

std::string encryptChunks(std::span<const std::string_view> chunks,
                          std::span<const unsigned char, kDataKeyBytes> key)
{
    Pusher pusher(key);
    std::string out = pusher.header();
    for (std::size_t i = 0; i < chunks.size(); ++i)
    {
        out += pusher.push(chunks[i], i + 1 == chunks.size());
    }
    return out;
}

std::string encryptText(std::string_view plain, std::span<const unsigned char, kDataKeyBytes> key)
{
    std::vector<std::string_view> chunks;
    do
    {
        const std::size_t n = std::min(plain.size(), secret_stream::kPlainChunkBytes);
        chunks.push_back(plain.substr(0, n));
        plain.remove_prefix(n);
    } while (!plain.empty());
    return encryptChunks(chunks, key);
}

void encryptFile(const std::filesystem::path& plain, const std::filesystem::path& encrypted)
{
    std::ifstream in(plain, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error("Could not open input file: " + plain.string());
    }
    std::ofstream out(encrypted, std::ios::binary | std::ios::trunc);
    if (!out)
    {
        throw std::runtime_error("Could not open output file: " + encrypted.string());
    }
    Pusher pusher(gf_dataKey());
    out << pusher.header();

    // One chunk of look-ahead: a chunk is FINAL exactly when nothing follows
    // it, so a text of a multiple of 4096 bytes ends with a full FINAL chunk.
    std::vector<char> current(secret_stream::kPlainChunkBytes);
    std::vector<char> next(secret_stream::kPlainChunkBytes);
    std::size_t currentSize = readUpTo(in, current);
    for (;;)
    {
        const std::size_t nextSize = currentSize < current.size() ? 0 : readUpTo(in, next);
        const bool final = nextSize == 0;
        out << pusher.push({current.data(), currentSize}, final);
        if (final)
        {
            break;
        }
        current.swap(next);
        currentSize = nextSize;
    }
    if (in.bad())
    {
        throw std::runtime_error("Could not read input file: " + plain.string());
    }
    out.close();
    if (!out)
    {
        throw std::runtime_error("Could not write output file: " + encrypted.string());
    }
}

} // namespace ovr::datatool
