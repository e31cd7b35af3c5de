#include "fake-rt/traffic_generator.h"

#include "fake-rt/flight_path.h"
#include "fake-rt/registration_pattern.h"
#include "fake-rt/seeded_random.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>

namespace ovr::fakert
{

namespace
{

using nlohmann::json;

constexpr double kNm = kMetresPerNm;
constexpr double kRad = std::numbers::pi / 180.0;
constexpr double kGravity = 9.80665;
constexpr double kMagneticVariation = 2.0; // east, around Frankfurt
constexpr double kArrivalPeriod = 1800.0;
constexpr double kDeparturePeriod = 1800.0;
constexpr double kGroundPeriod = 600.0;
constexpr double kOverflightLengthNm = 160.0;
constexpr double kTransponderOnAtStand = 45.0;
constexpr double kTaxiSpeedKt = 20.0;
// Below it altitudes are flown on the local QNH, above it on flight levels;
// in between the two blend so that the reported altitude stays smooth.
constexpr double kTransitionLowFt = 4000.0;
constexpr double kTransitionHighFt = 8000.0;

// Roughly the mix seen around a hub: arrivals, departures, over-flights and
// a few ground movements.
constexpr std::array<FlightRole, 20> kRolePattern = {
    FlightRole::Arrival,    FlightRole::Departure,      FlightRole::Overflight, FlightRole::Arrival,
    FlightRole::Overflight, FlightRole::Departure,      FlightRole::Arrival,    FlightRole::Overflight,
    FlightRole::Departure,  FlightRole::GroundMovement, FlightRole::Arrival,    FlightRole::Overflight,
    FlightRole::Departure,  FlightRole::Overflight,     FlightRole::Arrival,    FlightRole::Departure,
    FlightRole::Overflight, FlightRole::Arrival,        FlightRole::Departure,  FlightRole::Overflight};

// Purposes of the random streams, so that streams never coincide.
enum Stream : std::uint64_t
{
    kTimingStream = 0x51,
    kFlightStream = 0xF1,
    kAgeStream = 0xA6E,
    kDefectStream = 0xBAD,
    kParkedStream = 0x9A,
    kParkedOrderStream = 0x9B
};

struct Defect
{
    const char* name;
    bool wellFormed;
};

// Dropped and tolerated defects alternate, so that a handful of bad entries
// already holds both kinds.
constexpr std::array<Defect, 20> kDefects = {{
    {"short_array", false},       {"null_fillers", true},           {"long_array", false},
    {"tas_as_text", true},        {"latitude_out_of_range", false}, {"hex_with_suffix", true},
    {"position_as_text", false},  {"registration_null", true},      {"hex_not_hex", false},
    {"roll_as_text", true},       {"hex_too_small", false},         {"numbers_as_integers", true},
    {"type_null", false},         {"ground_vehicle", false},        {"registration_too_long", false},
    {"heading_above_360", false}, {"origin_not_a_code", false},     {"no_identity", false},
    {"test_callsign", false},     {"not_an_array", false},
}};

struct AddressBlock
{
    std::string_view prefix;
    unsigned base;
    unsigned size;
};

// ICAO 24-bit address blocks of the registration prefixes the fleets use.
constexpr std::array<AddressBlock, 30> kAddressBlocks = {{
    {"A6-", 0x896000, 0x1000}, {"A7-", 0x06A000, 0x400},   {"9V-", 0x768000, 0x4000},
    {"4X-", 0x738000, 0x8000}, {"SU-", 0x010000, 0x8000},  {"VT-", 0x800000, 0x40000},
    {"TC-", 0x4B8000, 0x8000}, {"EI-", 0x4CA000, 0x1000},  {"TF-", 0x4CC000, 0x1000},
    {"HB-", 0x4B0000, 0x8000}, {"OE-", 0x440000, 0x8000},  {"OO-", 0x448000, 0x8000},
    {"OH-", 0x460000, 0x8000}, {"LN-", 0x478000, 0x8000},  {"PH-", 0x480000, 0x8000},
    {"SP-", 0x488000, 0x8000}, {"CS-", 0x490000, 0x8000},  {"SE-", 0x4A8000, 0x8000},
    {"OY-", 0x458000, 0x8000}, {"EC-", 0x340000, 0x40000}, {"D-", 0x3C0000, 0x40000},
    {"G-", 0x400000, 0x40000}, {"F-", 0x380000, 0x40000},  {"I-", 0x300000, 0x40000},
    {"C-", 0xC00000, 0x40000}, {"B-", 0x780000, 0x40000},  {"JA", 0x840000, 0x40000},
    {"HL", 0x718000, 0x8000},  {"N", 0xA00000, 0xE0000},   {"", 0x3C0000, 0x40000},
}};

std::uint64_t textHash(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (char c : text)
    {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return mix64(h);
}

double round(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

long long roundTo(double v, double step)
{
    return static_cast<long long>(std::llround(v / step)) * static_cast<long long>(step);
}

EastNorth plus(EastNorth p, double bearing, double distance)
{
    const EastNorth u = unitVector(bearing);
    return {p.x + u.x * distance, p.y + u.y * distance};
}

// Whether p lies to the right of a line running on the bearing through from.
bool rightOf(EastNorth from, double bearing, EastNorth p)
{
    const EastNorth u = unitVector(bearing);
    return u.x * (p.y - from.y) - u.y * (p.x - from.x) < 0.0;
}

double turnRadius(double speedKt, double bankDeg)
{
    const double v = speedKt * kMetresPerSecondPerKnot;
    return v * v / (kGravity * std::tan(bankDeg * kRad));
}

template <typename T> const T& pickWeighted(const std::vector<T>& items, SeededRandom& r)
{
    double total = 0.0;
    for (const T& item : items)
    {
        total += std::max(item.weight, 0.0);
    }
    double x = r.uniform(0.0, total);
    for (const T& item : items)
    {
        x -= std::max(item.weight, 0.0);
        if (x < 0.0)
        {
            return item;
        }
    }
    return items.back();
}

// An index inside [0, count) that no other slot can draw while count holds
// a share for every slot; otherwise the slots take turns.
unsigned long long slotIndex(unsigned long long count, int slot, int slots, SeededRandom& r)
{
    const auto n = static_cast<unsigned long long>(std::max(slots, 1));
    const std::uint64_t draw = r.next();
    if (count >= n)
    {
        const unsigned long long share = count / n;
        return static_cast<unsigned long long>(slot) * share + draw % share;
    }
    return static_cast<unsigned long long>(slot) % std::max(count, 1ULL);
}

std::string hexText(unsigned address)
{
    return fmt::format("{:06x}", address);
}

struct Identity
{
    std::string hex;
    std::string registration;
    std::string type;
    std::string category;
    std::string callsign;
    std::string iataFlight;
    std::string origin;
    std::string destination;
    std::string squawk;
    std::string source;
    double targetAltitude = 0.0;
};

} // namespace

struct TrafficGenerator::Flight
{
    FlightRole role = FlightRole::Arrival;
    Identity id;
    std::string registrationPattern;
    unsigned long long registrationIndex = 0;
    std::optional<FlightPath> path;
    // the part of the path during which the transponder is on
    double visibleFrom = 0.0;
    double visibleUntil = std::numeric_limits<double>::infinity();
};

struct TrafficGenerator::Sighting
{
    int slot;
    long long cycle;
    Flight flight;
    PathState state;
    double dataTime;
    SeededRandom noise;
};

namespace
{

struct SlotTiming
{
    FlightRole role;
    double period;
    double phase;
    double cruiseSpeedKt;
};

SlotTiming slotTiming(std::uint64_t seed, int slot)
{
    SeededRandom r(seed, kTimingStream, static_cast<std::uint64_t>(slot));
    SlotTiming t{kRolePattern[static_cast<std::size_t>(slot) % kRolePattern.size()], 0.0, 0.0,
                 r.uniform(400.0, 490.0)};
    switch (t.role)
    {
    case FlightRole::Arrival:
        t.period = kArrivalPeriod;
        break;
    case FlightRole::Departure:
        t.period = kDeparturePeriod;
        break;
    case FlightRole::Overflight:
        t.period = kOverflightLengthNm * 3600.0 / t.cruiseSpeedKt;
        break;
    default:
        t.period = kGroundPeriod;
        break;
    }
    t.phase = r.uniform(0.0, t.period);
    return t;
}

struct AirState
{
    double windSpeedKt;
    double tasKt;
    double trueHeading;
    double iasKt;
    double mach;
    double oatC;
    double tatC;
    double trackRate;
};

AirState airState(const Scenario& sc, const PathState& s)
{
    AirState a{};
    const double alt = std::max(s.altitudeFt, 0.0);
    a.windSpeedKt = sc.windKt + std::min(alt, 40000.0) / 1000.0 * 1.5;
    const double rel = (sc.windDir - s.trackDeg) * kRad;
    a.tasKt = std::max(s.groundSpeedKt + a.windSpeedKt * std::cos(rel), 60.0);
    const double crab =
        s.onGround ? 0.0 : std::asin(std::clamp(a.windSpeedKt * std::sin(rel) / a.tasKt, -0.5, 0.5)) / kRad;
    a.trueHeading = normaliseHeading(round(normaliseHeading(s.trackDeg + crab), 1));
    const double sigma = std::pow(std::max(1.0 - 6.8756e-6 * alt, 0.05), 4.2559);
    a.iasKt = a.tasKt * std::sqrt(sigma);
    const double tempK = std::max(216.65, 288.15 - 0.0019812 * alt) + (sc.temperatureC - 15.0);
    a.oatC = tempK - 273.15;
    a.mach = a.tasKt / (661.47 * std::sqrt(tempK / 288.15));
    const double v = a.tasKt * kMetresPerSecondPerKnot;
    a.tatC = a.oatC + v * v / 2009.0;
    a.trackRate = std::tan(s.rollDeg * kRad) * kGravity / std::max(v, 1.0) / kRad;
    return a;
}

json liveArray(const Scenario& sc, double qnh, const Identity& id, const PathState& s, LatLon pos,
               double dataTime, double age, SeededRandom& noise)
{
    const bool adsb = id.source == "adsb_icao";
    const bool air = !s.onGround;
    const bool full = adsb && air;
    const AirState a = airState(sc, s);
    const double correction = (qnh - 1013.25) * 27.0;
    const double onLevels =
        std::clamp((s.altitudeFt - kTransitionLowFt) / (kTransitionHighFt - kTransitionLowFt), 0.0, 1.0);
    const double pressureAlt = s.altitudeFt - correction * (1.0 - onLevels);
    double roll = s.rollDeg;
    if (std::fabs(roll) < 0.01)
    {
        roll = noise.uniform(-0.7, 0.7);
    }
    const json null = nullptr;

    json arr = json::array();
    arr.push_back(id.hex);                                                             // 0
    arr.push_back(round(pos.lat, 6));                                                  // 1
    arr.push_back(round(pos.lon, 6));                                                  // 2
    arr.push_back(round(s.trackDeg, 1));                                               // 3
    arr.push_back(roundTo(pressureAlt, 25.0));                                         // 4
    arr.push_back(round(s.groundSpeedKt, 1));                                          // 5
    arr.push_back(id.squawk);                                                          // 6
    arr.push_back(adsb ? "A" : "M");                                                   // 7 feeder kind
    arr.push_back(id.type);                                                            // 8
    arr.push_back(id.registration);                                                    // 9
    arr.push_back(dataTime);                                                           // 10
    arr.push_back(id.origin);                                                          // 11
    arr.push_back(id.destination);                                                     // 12
    arr.push_back(id.callsign);                                                        // 13
    arr.push_back(air ? 0 : 1);                                                        // 14 on ground
    arr.push_back(roundTo(s.verticalRateFpm, 64.0));                                   // 15
    arr.push_back(id.iataFlight);                                                      // 16
    arr.push_back(id.source);                                                          // 17
    arr.push_back(air ? json(roundTo(pressureAlt + correction + 150.0, 25.0)) : null); // 18 geometric
    arr.push_back(full ? json(std::lround(a.iasKt)) : null);                           // 19 IAS
    arr.push_back(full ? json(std::lround(a.tasKt)) : json(-1));                       // 20 TAS
    arr.push_back(full ? json(round(a.mach, 3)) : null);                               // 21
    arr.push_back(full ? json(round(a.trackRate, 2)) : null);                          // 22 track rate
    arr.push_back(full ? json(round(roll, 2)) : (adsb ? json(0.0) : null));            // 23 roll
    arr.push_back(adsb ? json(round(normaliseHeading(a.trueHeading - kMagneticVariation), 1)) : null); // 24
    arr.push_back(adsb ? json(a.trueHeading) : null);                     // 25 true heading
    arr.push_back(full ? json(roundTo(s.verticalRateFpm, 64.0)) : null);  // 26 geometric rate
    arr.push_back("none");                                                // 27 emergency
    arr.push_back(id.category);                                           // 28
    arr.push_back(full ? json(round(qnh, 1)) : null);                     // 29 selected QNH
    arr.push_back(full ? json(roundTo(id.targetAltitude, 100.0)) : null); // 30 MCP altitude
    arr.push_back(null);                                                  // 31 FMS altitude
    arr.push_back(full ? json(round(s.trackDeg, 1)) : null);              // 32 selected heading
    arr.push_back(full ? json("autopilot,lnav,tcas") : json("null"));     // 33 modes
    arr.push_back(round(age, 1));                                         // 34 seen
    arr.push_back(round(-noise.uniform(8.0, 28.0), 1));                   // 35 signal
    arr.push_back(full ? json(std::lround(sc.windDir)) : null);           // 36
    arr.push_back(full ? json(std::lround(a.windSpeedKt)) : null);        // 37
    arr.push_back(full ? json(std::lround(a.oatC)) : null);               // 38
    arr.push_back(full ? json(std::lround(a.tatC)) : null);               // 39
    arr.push_back(1);                                                     // 40 ICAO address
    arr.push_back(null);                                                  // 41
    arr.push_back("null");                                                // 42
    arr.push_back(8);                                                     // 43 NIC
    arr.push_back(186);                                                   // 44 Rc
    arr.push_back(adsb ? 2 : 0);                                          // 45 version
    arr.push_back(adsb ? 10 : 0);                                         // 46 NACp
    arr.push_back(adsb ? 3 : 0);                                          // 47 SIL
    return arr;
}

} // namespace

namespace
{

const AddressBlock& addressBlock(const std::string& registration)
{
    for (const AddressBlock& block : kAddressBlocks)
    {
        if (registration.starts_with(block.prefix))
        {
            return block;
        }
    }
    return kAddressBlocks.back();
}

// An address in the registration's block that no other slot can get, and
// that differs from the slot's previous flight: a key on the feed never
// jumps from one aircraft to another.
unsigned flightAddress(const std::string& registration, int slot, long long cycle, int slots)
{
    const AddressBlock& block = addressBlock(registration);
    const auto lanes = 2ULL * static_cast<unsigned long long>(std::max(slots, 1));
    const std::uint64_t h = textHash(registration);
    if (lanes > block.size)
    {
        return block.base + static_cast<unsigned>(h % block.size);
    }
    const unsigned long long lane =
        2ULL * static_cast<unsigned long long>(slot) + static_cast<unsigned long long>(cycle & 1);
    return block.base + static_cast<unsigned>((h % (block.size / lanes)) * lanes + lane);
}

} // namespace

unsigned hexAddressFor(const std::string& registration)
{
    const AddressBlock& block = addressBlock(registration);
    return block.base + static_cast<unsigned>(textHash(registration) % block.size);
}

TrafficGenerator::TrafficGenerator(Scenario scenario)
    : m_scenario(std::move(scenario)), m_frame(m_scenario.airport.pos), m_qnh(qnhHectopascal(json::parse(m_scenario.qnhJson)))
{
    const Scenario& sc = m_scenario;
    if (sc.traffic.aircraft <= 0 && sc.traffic.parkedGenerated <= 0)
    {
        return;
    }
    bool runwaysKnown = !sc.arrivalRunways.empty() && !sc.departureRunways.empty();
    for (const std::string& name : sc.arrivalRunways)
    {
        runwaysKnown = runwaysKnown && sc.runway(name) != nullptr;
    }
    for (const std::string& name : sc.departureRunways)
    {
        runwaysKnown = runwaysKnown && sc.runway(name) != nullptr;
    }
    bool fleetUsable = !sc.fleet.empty();
    for (const Operator& op : sc.fleet)
    {
        fleetUsable = fleetUsable && !op.aircraft.empty() && !op.routes.empty() &&
                      op.firstFlightNumber >= 1 && op.lastFlightNumber >= op.firstFlightNumber;
    }
    if (!runwaysKnown || !fleetUsable || sc.stands.size() < 2)
    {
        throw std::invalid_argument(
            "traffic generator: the scenario needs arrival and departure runways, two stands and a fleet");
    }
}

TrafficGenerator::Flight TrafficGenerator::flight(int slot, long long cycle) const
{
    const Scenario& sc = m_scenario;
    const SlotTiming timing = slotTiming(sc.traffic.seed, slot);
    SeededRandom r(sc.traffic.seed, kFlightStream, static_cast<std::uint64_t>(slot),
                   static_cast<std::uint64_t>(cycle));

    Flight f;
    f.role = timing.role;
    const Operator& op = pickWeighted(sc.fleet, r);
    const FleetType& ft = pickWeighted(op.aircraft, r);
    const int slots = sc.traffic.aircraft;
    f.id.type = ft.type;
    f.id.category = ft.category;
    f.registrationPattern = ft.registration;
    f.registrationIndex = slotIndex(registrationCount(ft.registration), slot, slots, r);
    f.id.registration = fillRegistration(ft.registration, f.registrationIndex);
    f.id.hex = hexText(hexAddressFor(f.id.registration));
    const auto numbers = static_cast<unsigned long long>(op.lastFlightNumber - op.firstFlightNumber + 1);
    const auto number =
        static_cast<unsigned long long>(op.firstFlightNumber) + slotIndex(numbers, slot, slots, r);
    f.id.callsign = fmt::format("{}{}", op.icao, number);
    f.id.iataFlight = op.iata.empty() ? "null" : fmt::format("{}{}", op.iata, number);
    std::vector<std::string> routes;
    for (const std::string& code : op.routes)
    {
        if (code != sc.airport.iata)
        {
            routes.push_back(code);
        }
    }
    const std::string far1 = routes.empty() ? "null" : routes[r.below(routes.size())];
    std::string far2 = routes.empty() ? "null" : routes[r.below(routes.size())];
    if (far2 == far1 && routes.size() > 1)
    {
        const auto at = static_cast<std::size_t>(std::find(routes.begin(), routes.end(), far1) - routes.begin());
        far2 = routes[(at + 1) % routes.size()];
    }
    f.id.squawk = fmt::format("{}{}{}{}", 1 + r.below(6), r.below(8), r.below(8), r.below(8));
    f.id.source = r.chance(0.15) ? "mlat" : "adsb_icao";

    const double airportElevation = sc.airport.elevationFt;
    const Stand& stand = sc.stands[r.below(sc.stands.size())];
    const EastNorth standPos = m_frame.toLocal(stand.pos);

    switch (f.role)
    {
    case FlightRole::Arrival:
    {
        f.id.origin = far1;
        f.id.destination = sc.airport.iata;
        std::vector<const Runway*> runways;
        for (const std::string& name : sc.arrivalRunways)
        {
            const Runway* rw = sc.runway(name);
            if (std::find(rw->noTypes.begin(), rw->noTypes.end(), ft.type) == rw->noTypes.end())
            {
                runways.push_back(rw);
            }
        }
        if (runways.empty())
        {
            runways.push_back(sc.runway(sc.arrivalRunways.front()));
        }
        const Runway& rw = *runways[r.below(runways.size())];
        const EastNorth thr = m_frame.toLocal(rw.threshold);
        const double psi = rw.headingTrue;
        const double e = rw.elevationFt;
        const EastNorth final12 = plus(thr, psi + 180.0, 12.0 * kNm);
        f.id.targetAltitude = e + 3000.0;
        if (r.chance(0.5))
        {
            f.path.emplace(plus(thr, psi + 180.0, 30.0 * kNm), psi, e + 8500.0, 250.0, false);
            f.path->straight(18.0 * kNm, e + 3820.0, 180.0);
        }
        else
        {
            // base leg and a 25-degree-bank turn that rolls out on a 12 NM final
            const double d = r.sign();
            const double radius = turnRadius(180.0, 25.0);
            const EastNorth centre = plus(final12, psi + 90.0 * d, radius);
            const EastNorth turnStart = plus(centre, psi + 180.0, radius);
            const double baseHeading = psi - 90.0 * d;
            f.path.emplace(plus(turnStart, baseHeading + 180.0, 10.0 * kNm), baseHeading, e + 5000.0, 210.0,
                           false);
            f.path->straight(10.0 * kNm, e + 3820.0, 180.0).turn(radius, 90.0 * d, e + 3820.0, 180.0);
        }
        f.path->straight(12.0 * kNm, e + 50.0, 140.0).straight(300.0, e, 135.0);
        f.path->onGround(true).straight(1500.0, e, 30.0);
        const bool right = rightOf(f.path->endPosition(), psi, standPos);
        f.path->turn(45.0, right ? 90.0 : -90.0, e, kTaxiSpeedKt);
        f.path->to(plus(standPos, stand.headingTrue + 180.0, 60.0), airportElevation, kTaxiSpeedKt);
        f.path->to(standPos, airportElevation, 0.0);
        f.visibleUntil = f.path->duration() + kTransponderOnAtStand;
        if (f.path->duration() < timing.period)
        {
            f.path->stop(timing.period - f.path->duration());
        }
        break;
    }
    case FlightRole::Departure:
    {
        f.id.origin = sc.airport.iata;
        f.id.destination = far1;
        const Runway& rw = *sc.runway(sc.departureRunways[r.below(sc.departureRunways.size())]);
        const EastNorth thr = m_frame.toLocal(rw.threshold);
        const double psi = rw.headingTrue;
        const double e = rw.elevationFt;
        const EastNorth hold = plus(thr, psi + (rightOf(thr, psi, standPos) ? 90.0 : -90.0), 150.0);
        const double turn = r.sign() * r.uniform(30.0, 120.0);
        const double cruise = 1000.0 * std::round(r.uniform(15.0, 24.0));
        f.id.targetAltitude = cruise;
        const auto build = [&](double wait)
        {
            FlightPath p(standPos, stand.headingTrue, airportElevation, 0.0, true);
            p.stop(wait).to(hold, e, kTaxiSpeedKt).to(thr, e, 5.0).face(psi).stop(20.0);
            p.straight(1900.0, e, 155.0).onGround(false).straight(3.0 * kNm, e + 1800.0, 190.0);
            p.turn(turnRadius(200.0, 25.0), turn, e + 4000.0, 220.0).straight(40.0 * kNm, cruise, 320.0);
            return p;
        };
        const double moving = build(0.0).duration();
        const double wait = std::max(timing.period - moving, 0.0);
        f.path.emplace(build(wait));
        f.visibleFrom = std::max(wait - kTransponderOnAtStand, 0.0);
        break;
    }
    case FlightRole::Overflight:
    {
        f.id.origin = far1;
        f.id.destination = far2;
        const double track = r.uniform(0.0, 360.0);
        const EastNorth closest = plus(EastNorth{}, track + 90.0, r.uniform(-25.0, 25.0) * kNm);
        double alt0 = 0.0;
        double alt1 = 0.0;
        if (r.chance(0.7))
        {
            // semicircular levels: odd eastbound, even westbound
            const int step = static_cast<int>(r.below(5));
            alt0 = track < 180.0 ? 31000.0 + 2000.0 * step : 30000.0 + 2000.0 * step;
            alt1 = alt0;
        }
        else
        {
            alt0 = 1000.0 * std::round(r.uniform(11.0, 24.0));
            alt1 = std::max(alt0 + r.sign() * 1000.0 * std::round(r.uniform(4.0, 9.0)), 6000.0);
        }
        f.id.targetAltitude = alt1;
        f.path.emplace(plus(closest, track + 180.0, kOverflightLengthNm / 2.0 * kNm), track, alt0,
                       timing.cruiseSpeedKt, false);
        f.path->straight(kOverflightLengthNm * kNm, alt1, timing.cruiseSpeedKt);
        break;
    }
    default:
    {
        f.id.origin = "null";
        f.id.destination = "null";
        const std::size_t first = r.below(sc.stands.size());
        std::size_t second = r.below(sc.stands.size() - 1);
        if (second >= first)
        {
            ++second;
        }
        const EastNorth from = m_frame.toLocal(sc.stands[first].pos);
        const EastNorth to = m_frame.toLocal(sc.stands[second].pos);
        const EastNorth middle{(from.x + to.x) / 2.0, (from.y + to.y) / 2.0};
        f.path.emplace(from, bearingOf(from, to), airportElevation, 0.0, true);
        f.path->stop(20.0).to(middle, airportElevation, 16.0).to(to, airportElevation, 0.0);
        f.visibleUntil = f.path->duration() + kTransponderOnAtStand;
        if (f.path->duration() < timing.period)
        {
            f.path->stop(timing.period - f.path->duration());
        }
        break;
    }
    }
    return f;
}

std::optional<TrafficGenerator::Sighting> TrafficGenerator::sighting(int slot, double t) const
{
    const Scenario& sc = m_scenario;
    const SlotTiming timing = slotTiming(sc.traffic.seed, slot);
    SeededRandom noise(sc.traffic.seed, kAgeStream, static_cast<std::uint64_t>(slot),
                       static_cast<std::uint64_t>(std::floor(t)));
    const double dataTime = round(t - noise.uniform(1.0, 6.0), 2);
    const auto cycle = static_cast<long long>(std::floor((dataTime + timing.phase) / timing.period));
    const double tau = dataTime + timing.phase - static_cast<double>(cycle) * timing.period;
    Flight f = flight(slot, cycle);
    if (tau < f.visibleFrom || tau > f.visibleUntil)
    {
        return std::nullopt;
    }
    const PathState state = f.path->at(tau);
    return Sighting{slot, cycle, std::move(f), state, dataTime, noise};
}

namespace
{

// Scripted aircraft report one second before the moment asked for.
constexpr double kTrackAge = 1.0;
// The geometric vertical rate's place in an aircraft array.
constexpr std::size_t kGeometricRate = 26;

// Where a report of the track stands: to the side of it inside a jump.
LatLon jumped(const Track& tr, double tau, LatLon pos, double trackDeg)
{
    for (const TrackJump& j : tr.jumps)
    {
        if (tau >= j.from && tau < j.to)
        {
            const EastNorth side = unitVector(trackDeg + 90.0);
            const double metres = j.rightNm * kMetresPerNm;
            return LocalFrame(pos).toLatLon(EastNorth{side.x * metres, side.y * metres});
        }
    }
    return pos;
}

std::optional<LiveAircraft> trackSighting(const Scenario& sc, double qnh, const Track& tr, double t)
{
    double dataTime = round(t - kTrackAge, 2);
    double tau = dataTime - sc.tracksEpoch;
    if (tr.intervalS > 0.0)
    {
        // The latest report: the feed repeats it until the next one.
        tau = std::floor(tau / tr.intervalS) * tr.intervalS;
        dataTime = sc.tracksEpoch + tau;
    }
    if (tr.points.size() < 2 || tau < tr.points.front().t || tau > tr.points.back().t ||
        std::any_of(tr.gaps.begin(), tr.gaps.end(),
                    [tau](const std::pair<double, double>& g) { return tau >= g.first && tau < g.second; }))
    {
        return std::nullopt;
    }
    std::size_t i = 0;
    while (i + 2 < tr.points.size() && tau > tr.points[i + 1].t)
    {
        ++i;
    }
    const TrackPoint& a = tr.points[i];
    const TrackPoint& b = tr.points[i + 1];
    const double f = (tau - a.t) / (b.t - a.t);
    PathState state;
    state.altitudeFt = a.altitudeFt + (b.altitudeFt - a.altitudeFt) * f;
    state.groundSpeedKt = a.groundSpeedKt + (b.groundSpeedKt - a.groundSpeedKt) * f;
    state.trackDeg = bearingDeg(a.pos, b.pos);
    state.verticalRateFpm = tr.verticalRate ? (b.altitudeFt - a.altitudeFt) / (b.t - a.t) * 60.0 : 0.0;
    state.onGround = f <= 0.0 ? a.onGround : (f >= 1.0 ? b.onGround : a.onGround && b.onGround);
    Identity id;
    id.hex = tr.hex;
    id.registration = tr.registration;
    id.type = tr.type;
    id.category = tr.category;
    id.callsign = tr.callsign;
    id.origin = tr.origin;
    id.destination = tr.destination;
    id.squawk = "1000";
    id.source = "adsb_icao";
    id.targetAltitude = b.altitudeFt;
    LiveAircraft out;
    out.key = tr.hex;
    out.role = FlightRole::Overflight;
    out.pos = jumped(tr, tau, LatLon{a.pos.lat + (b.pos.lat - a.pos.lat) * f, a.pos.lon + (b.pos.lon - a.pos.lon) * f},
                     state.trackDeg);
    out.altitudeFt = state.altitudeFt;
    out.dataTime = dataTime;
    out.onGround = state.onGround;
    SeededRandom noise(sc.traffic.seed, kAgeStream, textHash(tr.hex), static_cast<std::uint64_t>(std::floor(t)));
    out.array = liveArray(sc, qnh, id, state, out.pos, dataTime, t - dataTime, noise);
    if (!tr.verticalRate)
    {
        out.array[kGeometricRate] = nullptr;
    }
    return out;
}

} // namespace

std::vector<LiveAircraft> TrafficGenerator::liveTraffic(double t) const
{
    std::vector<Sighting> seen;
    std::set<std::string> registrations;
    std::set<std::string> keys;
    for (int slot = 0; slot < m_scenario.traffic.aircraft; ++slot)
    {
        std::optional<Sighting> s = sighting(slot, t);
        if (!s)
        {
            continue;
        }
        // A small fleet can hand one airframe to two flights at once; the
        // later slot takes the next free registration of its pattern.
        Flight& f = s->flight;
        const unsigned long long count = registrationCount(f.registrationPattern);
        for (unsigned long long step = 0; step < count && registrations.contains(f.id.registration); ++step)
        {
            f.id.registration = fillRegistration(f.registrationPattern, ++f.registrationIndex);
        }
        registrations.insert(f.id.registration);
        unsigned address = flightAddress(f.id.registration, s->slot, s->cycle, m_scenario.traffic.aircraft);
        while (keys.contains(hexText(address)))
        {
            ++address;
        }
        f.id.hex = hexText(address);
        keys.insert(f.id.hex);
        seen.push_back(std::move(*s));
    }

    std::vector<LiveAircraft> out;
    out.reserve(seen.size());
    for (Sighting& s : seen)
    {
        LiveAircraft a;
        a.key = s.flight.id.hex;
        a.role = s.flight.role;
        a.pos = m_frame.toLatLon(s.state.pos);
        a.altitudeFt = s.state.altitudeFt;
        a.dataTime = s.dataTime;
        a.onGround = s.state.onGround;
        a.array =
            liveArray(m_scenario, m_qnh, s.flight.id, s.state, a.pos, s.dataTime, t - s.dataTime, s.noise);
        out.push_back(std::move(a));
    }
    for (const Track& tr : m_scenario.tracks)
    {
        if (std::optional<LiveAircraft> a = trackSighting(m_scenario, m_qnh, tr, t))
        {
            out.push_back(std::move(*a));
        }
    }
    return out;
}

std::vector<LiveAircraft> TrafficGenerator::liveTraffic(double t, const Box& box, int badEntries) const
{
    std::vector<LiveAircraft> out;
    for (LiveAircraft& a : liveTraffic(t))
    {
        if (box.contains(a.pos) && !(m_scenario.traffic.airborneOnly && a.onGround))
        {
            out.push_back(std::move(a));
        }
    }
    for (int k = 0; k < badEntries; ++k)
    {
        out.push_back(defectiveEntry(k, t, box));
    }
    return out;
}

LiveAircraft TrafficGenerator::defectiveEntry(int k, double t, const Box& box) const
{
    const Scenario& sc = m_scenario;
    const Defect& defect = kDefects[static_cast<std::size_t>(k) % kDefects.size()];
    SeededRandom r(sc.traffic.seed, kDefectStream, static_cast<std::uint64_t>(k));

    const LatLon centre = box.centre();
    const double halfLat = (box.top - box.bottom) / 2.0;
    const double halfLon =
        box.left <= box.right ? (box.right - box.left) / 2.0 : (box.right + 360.0 - box.left) / 2.0;
    LiveAircraft a;
    a.role = FlightRole::Defective;
    a.defect = defect.name;
    a.wellFormed = defect.wellFormed;
    a.pos = {centre.lat + r.uniform(-0.3, 0.3) * halfLat, centre.lon + r.uniform(-0.3, 0.3) * halfLon};
    a.altitudeFt = 9000.0 + 500.0 * (k % 20);
    a.dataTime = round(t - r.uniform(1.0, 6.0), 2);
    a.key = hexText(0x4D0100u + static_cast<unsigned>(k % 0x300));

    const Operator& op = pickWeighted(sc.fleet, r);
    const FleetType& ft = pickWeighted(op.aircraft, r);
    Identity id;
    id.hex = a.key;
    id.type = ft.type;
    id.category = ft.category;
    id.registration = fillRegistration(ft.registration, r.next());
    const auto number =
        op.firstFlightNumber +
        static_cast<int>(r.below(static_cast<std::size_t>(op.lastFlightNumber - op.firstFlightNumber + 1)));
    id.callsign = fmt::format("{}{}", op.icao, number);
    id.iataFlight = op.iata.empty() ? "null" : fmt::format("{}{}", op.iata, number);
    id.origin = op.routes.front();
    id.destination = op.routes.back();
    id.squawk = "1000";
    id.source = "adsb_icao";
    id.targetAltitude = a.altitudeFt;
    PathState s;
    s.altitudeFt = a.altitudeFt;
    s.groundSpeedKt = 280.0;
    s.trackDeg = round(r.uniform(1.0, 359.0), 1);
    json arr = liveArray(sc, m_qnh, id, s, a.pos, a.dataTime, t - a.dataTime, r);

    const std::string_view name = defect.name;
    if (name == "short_array")
    {
        arr.erase(arr.size() - 1);
    }
    else if (name == "long_array")
    {
        arr.push_back(nullptr);
    }
    else if (name == "latitude_out_of_range")
    {
        arr[1] = 91.5;
    }
    else if (name == "position_as_text")
    {
        arr[1] = fmt::format("{:.4f}", a.pos.lat);
        arr[2] = fmt::format("{:.4f}", a.pos.lon);
    }
    else if (name == "hex_not_hex")
    {
        arr[0] = fmt::format("zz{:04x}", k);
    }
    else if (name == "hex_too_small")
    {
        arr[0] = "2710";
    }
    else if (name == "type_null")
    {
        arr[8] = "null";
    }
    else if (name == "ground_vehicle")
    {
        arr[8] = "GRND";
        arr[28] = "C2";
        arr[9] = "FOLLOWME3";
        arr[13] = "FOLLOW3";
        arr[5] = 14.0;
    }
    else if (name == "registration_too_long")
    {
        arr[9] = (id.registration + "XXXXXXXXXXXXX").substr(0, 13);
    }
    else if (name == "heading_above_360")
    {
        arr[17] = "adsb_icao";
        arr[25] = 361.5;
    }
    else if (name == "origin_not_a_code")
    {
        arr[11] = "FRAN";
    }
    else if (name == "no_identity")
    {
        arr[9] = "null";
        arr[13] = "null";
    }
    else if (name == "test_callsign")
    {
        arr[13] = "TEST";
    }
    else if (name == "not_an_array")
    {
        arr = nullptr;
    }
    else if (name == "null_fillers")
    {
        for (std::size_t i : {6u,  7u,  14u, 16u, 18u, 19u, 21u, 22u, 24u, 26u, 27u, 29u, 30u, 31u, 32u,
                              33u, 34u, 35u, 36u, 37u, 38u, 39u, 40u, 41u, 42u, 43u, 44u, 45u, 46u, 47u})
        {
            arr[i] = nullptr;
        }
        arr[11] = "null";
        arr[12] = "null";
    }
    else if (name == "tas_as_text")
    {
        arr[20] = "n/a";
    }
    else if (name == "roll_as_text")
    {
        arr[23] = "null";
    }
    else if (name == "hex_with_suffix")
    {
        arr[0] = a.key + " ";
    }
    else if (name == "registration_null")
    {
        arr[9] = "null";
    }
    else if (name == "numbers_as_integers")
    {
        arr[3] = std::lround(s.trackDeg);
        arr[5] = std::lround(s.groundSpeedKt);
        arr[10] = std::llround(a.dataTime);
    }
    a.array = std::move(arr);
    return a;
}

std::vector<ParkedEntry> TrafficGenerator::parkedTraffic(double t, const Box& box) const
{
    const Scenario& sc = m_scenario;
    std::vector<ParkedEntry> out;
    std::set<std::string> keys;
    std::set<std::string> taken;
    const auto add = [&](std::string hex, const Stand& stand, const std::string& type, const std::string& reg,
                         double minutesAgo, const std::string& callsign)
    {
        keys.insert(hex);
        if (!box.contains(stand.pos))
        {
            return;
        }
        ParkedEntry e;
        e.key = std::move(hex);
        e.pos = stand.pos;
        e.array = json::array({round(stand.pos.lat, 6), round(stand.pos.lon, 6), stand.name, type, reg,
                               std::llround(t - minutesAgo * 60.0), callsign});
        out.push_back(std::move(e));
    };
    for (const ParkedAircraft& p : sc.parked)
    {
        taken.insert(p.stand);
        add(p.hex, *sc.stand(p.stand), p.type, p.registration, p.seenMinutesAgo, p.callsign);
    }
    if (sc.traffic.parkedGenerated <= 0 || sc.fleet.empty())
    {
        return out;
    }
    // free stands in an order that depends on the seed only
    std::vector<std::pair<std::uint64_t, std::size_t>> order;
    for (std::size_t i = 0; i < sc.stands.size(); ++i)
    {
        if (!taken.contains(sc.stands[i].name))
        {
            order.emplace_back(SeededRandom(sc.traffic.seed, kParkedOrderStream, i).next(), i);
        }
    }
    std::sort(order.begin(), order.end());
    const std::size_t count = std::min(order.size(), static_cast<std::size_t>(sc.traffic.parkedGenerated));
    for (std::size_t n = 0; n < count; ++n)
    {
        const std::size_t i = order[n].second;
        SeededRandom r(sc.traffic.seed, kParkedStream, i);
        const Operator& op = pickWeighted(sc.fleet, r);
        const FleetType& ft = pickWeighted(op.aircraft, r);
        const std::string reg = fillRegistration(ft.registration, r.next());
        unsigned address = hexAddressFor(reg);
        while (keys.contains(hexText(address)))
        {
            ++address;
        }
        std::string callsign;
        if (r.chance(0.6))
        {
            callsign =
                fmt::format("{}{}", op.icao,
                            op.firstFlightNumber + static_cast<int>(r.below(static_cast<std::size_t>(
                                                       op.lastFlightNumber - op.firstFlightNumber + 1))));
        }
        else if (r.chance(0.5))
        {
            callsign = "null";
        }
        add(hexText(address), sc.stands[i], ft.type, reg, r.uniform(5.0, 1200.0), callsign);
    }
    return out;
}

json TrafficGenerator::toData(const std::vector<LiveAircraft>& aircraft)
{
    json data = json::object();
    for (const LiveAircraft& a : aircraft)
    {
        data[a.key] = a.array;
    }
    return data;
}

json TrafficGenerator::toData(const std::vector<ParkedEntry>& parked)
{
    json data = json::object();
    for (const ParkedEntry& p : parked)
    {
        data[p.key] = p.array;
    }
    return data;
}

std::vector<std::string> TrafficGenerator::defectKinds()
{
    std::vector<std::string> out;
    for (const Defect& d : kDefects)
    {
        out.emplace_back(d.name);
    }
    return out;
}

} // namespace ovr::fakert
