#include "fake-rt/gzip.h"

#include <zlib.h>

#include <stdexcept>

namespace ovr::fakert
{

namespace
{

// zlib adds 16 to the window bits to choose the gzip header and trailer.
constexpr int kGzipWindowBits = 15 + 16;
constexpr std::size_t kChunk = 16384;

// Runs deflate or inflate over the whole input into out; the last result.
int pump(z_stream& zs, std::string_view in, std::string& out, int (*step)(z_streamp, int), int flush)
{
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    while (rc == Z_OK)
    {
        char buffer[kChunk];
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = kChunk;
        rc = step(&zs, flush);
        out.append(buffer, kChunk - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
        {
            break;
        }
    }
    return rc;
}

} // namespace

std::string gzipCompress(std::string_view data)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    {
        throw std::runtime_error("gzip: deflateInit2 failed");
    }
    std::string out;
    const int rc = pump(zs, data, out, deflate, Z_FINISH);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
    {
        throw std::runtime_error("gzip: deflate failed");
    }
    return out;
}

std::string gzipDecompress(std::string_view data)
{
    z_stream zs{};
    if (inflateInit2(&zs, kGzipWindowBits) != Z_OK)
    {
        throw std::runtime_error("gzip: inflateInit2 failed");
    }
    std::string out;
    const int rc = pump(zs, data, out, inflate, Z_NO_FLUSH);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
    {
        throw std::runtime_error("gzip: not a complete gzip stream");
    }
    return out;
}

} // namespace ovr::fakert
