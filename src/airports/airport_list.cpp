#include "airports/airport_list.h"

#include "airports/airport_list_detail.h"
#include "airports/closest_stand_at_destination.h"
#include "core/files.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/stream_decrypt.h"
#include "core/user_error.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace ovr
{

std::vector<Airport> g_airports;
std::unordered_set<IcaoCode> g_knownAirports;

namespace
{

constexpr std::size_t kAirportsReserved = 15000;
constexpr double kClosestAirportNm = 5.0;
constexpr double kStartBestNm = 100.0;

std::atomic<bool> s_airportsRead{false};

bool lf_icaoLess(const Airport& a, const Airport& b)
{
    // Unsigned bytes, so that the order is the same on every platform.
    return std::lexicographical_compare(
        a.icao.bytes().begin(), a.icao.bytes().end(), b.icao.bytes().begin(), b.icao.bytes().end(),
        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

void lf_addAirport(const pugi::xml_node& ap, const IcaoCode& icao, std::vector<Airport>& airports,
                   std::unordered_set<IcaoCode>& known)
{
    if (!ap.attribute("la") || !ap.attribute("lo"))
    {
        gf_logWarning(fmt::format("Missing latLons for airport '{}'", icao.text()));
        return;
    }
    if (!ap.attribute("a"))
    {
        gf_logWarning(fmt::format("Missing alt for airport '{}'", icao.text()));
        return;
    }
    if (!ap.attribute("s"))
        gf_logWarning(fmt::format("Missing stands for airport '{}'", icao.text()));

    const pugi::xml_attribute code3 = ap.attribute("i");
    try
    {
        Airport airport;
        airport.icao = icao;
        airport.code3 = code3 ? IataCode(code3.as_string()) : IataCode("XXX");
        airport.latitude = ap.attribute("la").as_double(0.0);
        airport.longitude = ap.attribute("lo").as_double(0.0);
        airport.elevation = ap.attribute("a").as_float(0.0f);
        airport.stands = ap.attribute("s").as_int(0);
        airports.push_back(airport);
        known.insert(icao);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(
            fmt::format("Error storing airport '{}' '{}': {}", icao.text(), code3.as_string(), e.what()));
    }
}

// Reads the plain list into fresh containers, so that a failed read leaves
// the program's list as it was (and a second attempt does not add the
// airports of the first twice).
void lf_parseAirports(const std::filesystem::path& plainPath, std::vector<Airport>& airports,
                      std::unordered_set<IcaoCode>& known)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(plainPath.c_str());
    if (!result)
        throw std::runtime_error(fmt::format("{} not loaded: {}", plainPath.string(), result.description()));
    const pugi::xml_node list = document.child("root").child("airports");
    if (!list)
        throw std::runtime_error("Missing <airports> root in: " + plainPath.string());
    for (const pugi::xml_node ap : list.children("ap"))
    {
        const IcaoCode icao(ap.attribute("c").as_string());
        lf_addAirport(ap, icao, airports, known);
    }
    std::sort(airports.begin(), airports.end(), lf_icaoLess);
    gf_log(fmt::format("{:5} airports read", airports.size()));
}

} // namespace

std::string lf_codePairText(const IcaoCode& icao, const IataCode& code3)
{
    std::string text = icao.empty() ? std::string("?") : icao.text();
    if (code3 != IataCode("XXX"))
        text += fmt::format(" ({})", code3.text());
    return text;
}

namespace detail
{

bool readAirportList(const std::filesystem::path& encryptedPath, const std::filesystem::path& plainPath)
{
    if (s_airportsRead.load())
        return !g_airports.empty();

    // The decryption logs its own reason and leaves no plain file behind.
    if (!gf_streamDecrypt(encryptedPath, plainPath))
    {
        const std::string text = fmt::format("could not decrypt {}", encryptedPath.string());
        gf_logWarning(fmt::format("{} exception : {}", "gf_readAirports", text));
        throw UserErrorException(88, text);
    }

    std::vector<Airport> airports;
    std::unordered_set<IcaoCode> known;
    airports.reserve(kAirportsReserved);
    try
    {
        lf_parseAirports(plainPath, airports, known);
    }
    catch (const std::exception& e)
    {
        gf_removeFileWarn(plainPath);
        throw UserErrorException(88, e.what());
    }
    gf_removeFileWarn(plainPath);
    airports.shrink_to_fit();
    g_airports = std::move(airports);
    g_knownAirports = std::move(known);
    s_airportsRead.store(true);
    return !g_airports.empty();
}

void resetAirportList()
{
    g_airports.clear();
    g_knownAirports.clear();
    s_airportsRead.store(false);
}

} // namespace detail

bool gf_readAirports()
{
    return detail::readAirportList(g_airportsEncPath, g_airportsXmlPath);
}

bool gf_isKnownAirport(const IcaoCode& icao)
{
    return g_knownAirports.contains(icao);
}

const Airport* gf_findAirport(const IcaoCode& icao)
{
    Airport probe;
    probe.icao = icao;
    const auto it = std::lower_bound(g_airports.begin(), g_airports.end(), probe, lf_icaoLess);
    if (it == g_airports.end() || it->icao != icao)
        return nullptr;
    return &*it;
}

const Airport* gf_findClosestAirport(double latitude, double longitude)
{
    double best = kStartBestNm;
    const Airport* current = nullptr;
    const Airport* neighbour = nullptr;
    for (const Airport& airport : g_airports)
    {
        const double d =
            gf_distanceNm(LatLon{latitude, longitude}, LatLon{airport.latitude, airport.longitude});
        if (d <= kClosestAirportNm && d < best)
        {
            best = d;
            if (current)
                neighbour = current;
            current = &airport;
        }
    }
    if (!current || !neighbour)
        return current;

    gf_log(
        fmt::format("Airport {} is closest, neighbour is {}", current->icao.text(), neighbour->icao.text()));
    std::string currentStand;
    std::string neighbourStand;
    const double currentStandNm =
        gf_readDestApfForClosestStand(current->icao, latitude, longitude, currentStand);
    const double neighbourStandNm =
        gf_readDestApfForClosestStand(neighbour->icao, latitude, longitude, neighbourStand);
    if (neighbourStandNm < currentStandNm)
    {
        gf_log(fmt::format(
            "Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} "
            "meters ...",
            current->icao.text(), neighbourStand, neighbour->icao.text(), neighbourStandNm * 1852.0));
        return neighbour;
    }
    return current;
}

} // namespace ovr
