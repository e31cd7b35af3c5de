#include "airports/stand.h"

#include <cmath>

#include <fmt/format.h>

#include <array>

namespace ovr
{

namespace
{

constexpr std::size_t kAdjacentReserved = 8;

// Bit c set: the parking type accepts category c.
constexpr std::uint8_t lf_categories(std::initializer_list<int> categories)
{
    std::uint8_t mask = 0;
    for (int c : categories)
        mask = static_cast<std::uint8_t>(mask | (1u << c));
    return mask;
}

constexpr std::array<std::uint8_t, 16> kAcceptedCategories = {
    lf_categories({}),                 // 0 none: judged by size
    lf_categories({0}),                // 1 ramp GA
    lf_categories({0}),                // 2 ramp GA small
    lf_categories({0, 1, 4}),          // 3 ramp GA medium
    lf_categories({1, 2}),             // 4 ramp GA large
    lf_categories({2, 3}),             // 5 ramp cargo
    lf_categories({2, 3}),             // 6 ramp military cargo
    lf_categories({4}),                // 7 ramp military combat
    lf_categories({1, 2}),             // 8 gate small
    lf_categories({2}),                // 9 gate medium
    lf_categories({3}),                // 10 gate heavy
    lf_categories({0, 5}),             // 11 dock GA
    lf_categories({0, 1, 2, 3, 4, 5}), // 12 fuel
    lf_categories({}),                 // 13 vehicles
    lf_categories({0, 4}),             // 14 ramp GA extra
    lf_categories({2, 3}),             // 15 gate extra
};

} // namespace

Stand gf_makeStand(std::string name, std::vector<StandOption> options, double latitude, double longitude,
                   double headingRadians, double radiusMetres, std::uint16_t type, bool cargo, bool ramp,
                   bool heli)
{
    Stand stand;
    stand.options = std::move(options);
    stand.name = std::move(name);
    stand.adjacent.reserve(kAdjacentReserved);
    stand.latitude = latitude;
    stand.longitude = longitude;
    stand.heading = headingRadians;
    stand.radius = radiusMetres * kNmPerMetre;
    stand.type = type;
    stand.cargo = cargo ? 1 : 0;
    stand.ramp = ramp ? 1 : 0;
    stand.heli = heli ? 1 : 0;
    return stand;
}

bool gf_standGeometryValid(double latitude, double longitude, double radiusMetres)
{
    return std::isfinite(latitude) && std::fabs(latitude) <= 90.0 && std::isfinite(longitude) &&
           std::fabs(longitude) <= 180.0 && std::isfinite(radiusMetres) && radiusMetres > 0.0;
}

bool gf_standAcceptsClass(const Stand& stand, std::int32_t category)
{
    if (stand.type >= kAcceptedCategories.size() || category < 0 || category > 5)
        return false;
    return (kAcceptedCategories[stand.type] >> category) & 1u;
}

std::string gf_standMessage(std::string_view format, std::int32_t ordinal)
{
    return fmt::format(fmt::runtime(format), ordinal, "id");
}

} // namespace ovr
