#include "airports/closest_stand_at_destination.h"

#include <exception>
#include <filesystem>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/apf_format.h"
#include "airports/apf_locate.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/path_exists.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr double kNoStand = 100.0;

// The downloaded copy goes whatever happens to the read.
class TemporaryCopy
{
  public:
    explicit TemporaryCopy(fs::path path) : m_path(std::move(path)) {}
    ~TemporaryCopy()
    {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    const fs::path& path() const { return m_path; }
    // Removes it now, so that a failed removal is reported.
    void remove()
    {
        if (gf_pathExists(m_path))
            fs::remove(m_path);
    }

  private:
    fs::path m_path;
};

double lf_nearestStand(const fs::path& file, LatLon position, std::string& standName)
{
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        return kNoStand;
    double best = kNoStand;
    for (const pugi::xml_node parkpos : gf_parkpositionsOf(document).children("parkpos"))
    {
        const LatLon stand{parkpos.attribute("latitude").as_double(0.0),
                           parkpos.attribute("longitude").as_double(0.0)};
        const double d = gf_distanceNm(position, stand);
        if (d < best)
        {
            best = d;
            standName = parkpos.attribute("id").value();
        }
    }
    return best;
}

} // namespace

double gf_readDestApfForClosestStand(const IcaoCode& icao, double latitude, double longitude,
                                     std::string& standName)
{
    standName.clear();
    try
    {
        const std::string name = gf_findAirportFile(icao);
        if (name.empty())
            return kNoStand;
        if (gf_isLocalApfName(name))
            return lf_nearestStand(gf_localApfPath(name), {latitude, longitude}, standName);

        TemporaryCopy copy("airport.xml");
        if (!gf_downloadAirportFile(name, copy.path()).empty())
            return kNoStand;
        const double best = lf_nearestStand(copy.path(), {latitude, longitude}, standName);
        copy.remove();
        return best;
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "gf_readDestApfForClosestStand", e.what()));
        return kNoStand;
    }
}

} // namespace ovr
