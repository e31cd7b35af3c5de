// Reads the stand-in simulator's JSON-lines trace and draws every object:
// the upper square its track seen from above, the lower strip its altitude
// over time. Each object keeps one colour in both. Only the once-a-second
// object tables are read.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/win/gdi/png_writer.h"
#include "platform/win/image.h"

namespace
{

struct Point
{
    double tMs = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    double alt = 0.0;
};

constexpr int kWidth = 800;
constexpr int kTrackHeight = 800;
constexpr int kAltHeight = 300;
constexpr std::uint32_t kPalette[] = {0xE6194B, 0x3CB44B, 0x4363D8, 0xF58231, 0x911EB4,
                                      0x42D4F4, 0xF032E6, 0x9A6324, 0x808000, 0x000075};

void dot(ovr::win::Image& img, int x, int y, std::uint32_t colour)
{
    for (int dy = -1; dy <= 1; ++dy)
    {
        for (int dx = -1; dx <= 1; ++dx)
        {
            const int px = x + dx;
            const int py = y + dy;
            if (px >= 0 && py >= 0 && px < img.width && py < img.height)
            {
                img.at(px, py) = colour;
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: trace-plot TRACE OUT.png\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in)
    {
        std::fprintf(stderr, "trace-plot: cannot read %s\n", argv[1]);
        return 1;
    }
    std::map<long long, std::vector<Point>> tracks;
    std::string line;
    while (std::getline(in, line))
    {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_discarded() || !j.is_object() || j.value("kind", "") != "objects" || !j.contains("objects"))
        {
            continue;
        }
        const double t = j.value("t_ms", 0.0);
        for (const nlohmann::json& o : j.at("objects"))
        {
            if (!o.is_object() || !o.contains("lat") || !o.contains("lon"))
            {
                continue;
            }
            tracks[o.value("id", 0LL)].push_back(Point{t, o.value("lat", 0.0), o.value("lon", 0.0), o.value("alt_ft", 0.0)});
        }
    }
    if (tracks.empty())
    {
        std::fprintf(stderr, "trace-plot: no object tables in %s\n", argv[1]);
        return 1;
    }
    double latLo = std::numeric_limits<double>::max(), latHi = -latLo, lonLo = latLo, lonHi = -latLo;
    double tLo = latLo, tHi = -latLo, altHi = 1.0;
    for (const auto& [id, points] : tracks)
    {
        for (const Point& p : points)
        {
            latLo = std::min(latLo, p.lat);
            latHi = std::max(latHi, p.lat);
            lonLo = std::min(lonLo, p.lon);
            lonHi = std::max(lonHi, p.lon);
            tLo = std::min(tLo, p.tMs);
            tHi = std::max(tHi, p.tMs);
            altHi = std::max(altHi, p.alt);
        }
    }
    // One scale for both axes keeps the shapes of the turns.
    const double span = std::max({latHi - latLo, lonHi - lonLo, 1e-6});
    const double tSpan = std::max(tHi - tLo, 1.0);
    ovr::win::Image img(kWidth, kTrackHeight + kAltHeight, 0xFFFFFF);
    for (int x = 0; x < kWidth; ++x)
    {
        img.at(x, kTrackHeight) = 0x000000;
    }
    std::size_t k = 0;
    for (const auto& [id, points] : tracks)
    {
        const std::uint32_t colour = kPalette[k++ % std::size(kPalette)];
        for (const Point& p : points)
        {
            const int x = static_cast<int>((p.lon - lonLo) / span * (kWidth - 20)) + 10;
            const int y = kTrackHeight - 10 - static_cast<int>((p.lat - latLo) / span * (kTrackHeight - 20));
            dot(img, x, y, colour);
            const int tx = static_cast<int>((p.tMs - tLo) / tSpan * (kWidth - 20)) + 10;
            const int ay = kTrackHeight + kAltHeight - 10 - static_cast<int>(p.alt / altHi * (kAltHeight - 20));
            dot(img, tx, ay, colour);
        }
    }
    if (!ovr::win::writePng(argv[2], img))
    {
        std::fprintf(stderr, "trace-plot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
