#include "traffic/park_airports.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/airport_panel_figures.h"
#include "airports/airport_settings.h"
#include "airports/apf_locate.h"
#include "airports/apf_reader.h"
#include "airports/apf_updates.h"
#include "airports/apf_writer.h"
#include "airports/learned_stands.h"
#include "airports/quality_factors.h"
#include "airports/nearest_stand.h"
#include "airports/park_airport_panel.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/static_count.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/text_convert.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/time.h"
#include "core/user_on_ground.h"
#include "core/window_requests.h"
#include "service/traffic_reader.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_aircraft.h"
#include "traffic/park_airport_file.h"
#include "traffic/parking_adjust.h"
#include "traffic/parking_window.h"
#include "traffic/static_parking.h"

namespace ovr
{

std::vector<ParkAirportEntry> g_parkAirports;
std::atomic<std::uint8_t> g_parkingBusy{0};
std::atomic<std::int32_t> g_parkingCandidateCount{0};
std::uint8_t g_recalcPending = 0;

namespace
{

constexpr std::int32_t kRenewalMinutes = 20;

// The texts of the park airport's file that its learned file repeats.
std::string g_keptApfName;
std::string g_keptApfKind;

// The stands were read when the calculation became pending (it waits only
// for the parked traffic).
bool g_standsReadForCalc = false;

// The position of the last distance computation.
LatLon g_lastDistancePos{};

void lf_markParkingBusy()
{
    if (const auto busy = gf_parkingWindow().parkingBusy)
    {
        busy();
    }
    else
    {
        g_parkingBusy.store(1);
    }
}

void lf_markParkingDone()
{
    if (const auto done = gf_parkingWindow().parkingDone)
    {
        done();
    }
    else
    {
        g_parkingBusy.store(0);
        g_staticRenewMinutes.store(kRenewalMinutes);
    }
}

// The index of the stand of that name in the stand list, or none.
std::optional<std::size_t> lf_standIndex(std::string_view name)
{
    if (name.empty())
    {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < g_stands.size(); ++i)
    {
        if (g_stands[i].name == name)
        {
            return i;
        }
    }
    return std::nullopt;
}

bool lf_destinationSet()
{
    return !DESTINATION.value().empty();
}

IcaoCode lf_parkAirportCode()
{
    return g_parkAirport.icao;
}

} // namespace

bool gf_readParkAirports()
{
    return lf_readMyParkAirports();
}

bool gf_recheckParkAirports(bool checkStand, std::string& message)
{
    message.clear();
    if (!lf_readMyParkAirports())
    {
        return false;
    }
    if (checkStand && g_userOnGroundValid.load() != 0 && g_parkingBusy.load() == 0)
    {
        std::string newStand;
        std::string oldStand;
        bool changed = false;
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            if (!g_parkAirports.empty() && g_parkAirports.front().icao == g_parkAirport.icao &&
                !g_parkAirport.icao.empty() && !g_parkAirports.front().reservedStand.empty() &&
                g_parkAirports.front().reservedStand != g_reservedStand)
            {
                oldStand = g_reservedStand;
                newStand = g_parkAirports.front().reservedStand;
                changed = true;
            }
        }
        // The user's current stand is the one the window shows: a user who
        // stands on a stand keeps the reservation they stand on.
        if (changed && gf_simPanelTexts().userStand.empty())
        {
            message = fmt::format("reserved stand changed from '{}' to '{}'", oldStand, newStand);
            gf_log(message);
            if (const auto old = lf_standIndex(oldStand))
            {
                g_stands[*old].reserved = 0;
            }
            {
                const std::scoped_lock lock(g_parkAirportsMutex);
                g_reservedStand = newStand;
            }
            gf_removeLiveAtStand(newStand);
            if (const auto now = lf_standIndex(newStand))
            {
                g_stands[*now].reserved = 1;
                g_reservedStandFound.store(1);
            }
        }
    }
    if (message.empty())
    {
        message = "park airports and stands are okay";
    }
    return true;
}

void gf_setFirstParkAirport(const IcaoCode& code, double latitude, double longitude)
{
    bool added = false;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        const auto it = std::ranges::find_if(g_parkAirports, [&](const ParkAirportEntry& e) { return e.icao == code; });
        if (it != g_parkAirports.end())
        {
            std::rotate(g_parkAirports.begin(), it, std::next(it));
        }
        else
        {
            g_parkAirports.insert(g_parkAirports.begin(), ParkAirportEntry{code, {}, latitude, longitude, 0.0});
            added = true;
        }
    }
    if (added)
    {
        gf_addParkAirport();
    }
}

void lf_updateParkAirportDistances(double latitude, double longitude)
{
    const bool destinationSet = lf_destinationSet();
    const std::scoped_lock lock(g_parkAirportsMutex);
    if (g_parkAirports.empty())
    {
        return;
    }
    const LatLon pos{latitude, longitude};
    const auto distanceOf = [&](const ParkAirportEntry& e) { return gf_distanceNm(pos, LatLon{e.latitude, e.longitude}); };
    if (std::abs(latitude - g_lastDistancePos.lat) <= 1e-8 &&
        std::abs(longitude - g_lastDistancePos.lon) <= 1e-8)
    {
        g_parkAirports.front().distance = distanceOf(g_parkAirports.front());
        return;
    }
    g_lastDistancePos = pos;
    if (destinationSet)
    {
        return;
    }
    for (ParkAirportEntry& e : g_parkAirports)
    {
        e.distance = distanceOf(e);
    }
    std::ranges::stable_sort(g_parkAirports, {}, &ParkAirportEntry::distance);
}

bool lf_setParkAirport(const IcaoCode& code)
{
    const Airport* airport = gf_findAirport(code);
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport = airport != nullptr ? *airport : Airport{};
    }
    if (airport == nullptr)
    {
        return false;
    }
    gf_log(fmt::format("\nThe park airport is {}", code.text()));
    return true;
}

void lf_startParkingCalc(bool showStatus)
{
    lf_markParkingBusy();
    g_trafficReader.collecting.store(true);
    gf_armCalcParkedTraffic();
    if (showStatus)
    {
        gf_setStatus("Calculating static parked aircraft ...", false);
    }
}

void lf_beginParking(bool now)
{
    if (!now)
    {
        g_recalcPending = 1;
        lf_startParkingCalc(false);
        return;
    }
    g_recalcPending = 0;
    const std::string error = lf_readParkedFile();
    // Whatever the read gave, a destination may be typed again.
    gf_enableParameterControl(DESTINATION, true);
    if (!error.empty())
    {
        lf_markParkingDone();
        gf_setStatus(error, true);
        lf_resetParkAirport();
        return;
    }
    g_staticRenewMinutes.store(kRenewalMinutes);
    // The parked traffic is never waited for on the main loop: when it is to
    // be asked, the calculation follows at the next parking pass.
    if (MAX_PARK_SEL.current.load() > 0 && !g_trafficReader.parkedRefused.load())
    {
        g_recalcPending = 1;
        g_standsReadForCalc = true;
        lf_startParkingCalc(false);
        return;
    }
    gf_calcStaticParked();
}

void lf_findParkAirport(double latitude, double longitude, double aboveGroundFt, bool onGround, bool now)
{
    if (onGround)
    {
        const Airport* airport = gf_findClosestAirport(latitude, longitude);
        if (airport == nullptr)
        {
            gf_setStatus("User aircraft on the ground, no RT supported airport in sight", true);
            return;
        }
        bool hasFile = false;
        try
        {
            hasFile = gf_hasAirportFile(airport->icao);
        }
        catch (const std::exception& e)
        {
            gf_logWarning(fmt::format("{}: {}", "lf_findParkAirport", e.what()));
        }
        if (!hasFile)
        {
            gf_setStatus(fmt::format("User aircraft on the ground at {}, no airport file found", airport->icao.text()),
                         true);
            return;
        }
        gf_log(fmt::format("User aircraft on the ground at {}", airport->icao.text()));
        if (lf_setParkAirport(airport->icao))
        {
            lf_beginParking(now);
        }
        return;
    }
    gf_enableParameterControl(DESTINATION, true);
    ParkAirportEntry first;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        if (g_parkAirports.empty())
        {
            return;
        }
        first = g_parkAirports.front();
    }
    const double distance = gf_distanceNm(LatLon{latitude, longitude}, LatLon{first.latitude, first.longitude});
    if (distance > AIRP_RANGE.current.load() || aboveGroundFt > AIRP_HEIGHT.current.load())
    {
        return;
    }
    if (!lf_setParkAirport(first.icao))
    {
        return;
    }
    gf_setStatus(fmt::format("{} in sight at {:.1F} nm", first.icao.text(), distance), true);
    g_recalcPending = 1;
    lf_startParkingCalc(false);
}

std::string lf_readParkedFile()
{
    gf_clearStands();
    const IcaoCode code = lf_parkAirportCode();
    std::string name;
    try
    {
        name = code.empty() ? std::string() : gf_findAirportFile(code);
    }
    catch (const std::exception& e)
    {
        return fmt::format("{}: {}", "lf_readParkedFile", e.what());
    }
    if (name.empty())
    {
        return fmt::format("{} {} not found", "lf_readParkedFile", code.text());
    }
    ApfHeader header;
    g_keptApfName.clear();
    g_keptApfKind.clear();
    std::string error = gf_readApf(name, header, g_coverage, g_stands);
    g_keptApfName = header.airportName;
    g_keptApfKind = header.publisher;
    if (header.parkElevation)
    {
        g_trafficReader.parkElevation = header.parkElevation;
    }
    if (!error.empty())
    {
        return error;
    }
    if (g_userOnGroundValid.load() != 0 && g_userOnGround.load() != 0)
    {
        const std::string userStand = gf_nearestStandName(g_userPos.latitude, g_userPos.longitude);
        bool write = false;
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            if (!g_parkAirports.empty() && g_parkAirports.front().icao == code)
            {
                if (!userStand.empty() && userStand != g_parkAirports.front().reservedStand)
                {
                    g_parkAirports.front().reservedStand = userStand;
                    write = true;
                }
            }
            else
            {
                g_parkAirports.insert(g_parkAirports.begin(), ParkAirportEntry{code, userStand, g_parkAirport.latitude,
                                                                               g_parkAirport.longitude, 0.0});
                write = true;
            }
        }
        if (write)
        {
            gf_addParkAirport();
        }
    }
    g_stands.shrink_to_fit();
    std::string reserved;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        if (!g_parkAirports.empty() && g_parkAirports.front().icao == code)
        {
            reserved = g_parkAirports.front().reservedStand;
        }
    }
    const std::optional<std::size_t> stand = lf_standIndex(reserved);
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_reservedStand = stand ? reserved : std::string();
    }
    if (stand)
    {
        g_stands[*stand].reserved = 1;
    }
    g_reservedStandFound.store(stand ? 1 : 0);
    g_parkDataRead.store(1);
    gf_showParkDescription(header.airportName);
    g_apfUpdates = 0;
    g_apfUpdatesShown.store(0);
    return {};
}

void lf_checkParkAirportInSight(double latitude, double longitude, double aboveGroundFt, bool onGround)
{
    if (onGround)
    {
        return;
    }
    const LatLon pos{latitude, longitude};
    const double d = gf_distanceNm(pos, LatLon{g_parkAirport.latitude, g_parkAirport.longitude});
    const double range = AIRP_RANGE.current.load();
    const double height = AIRP_HEIGHT.current.load();
    if (d <= range && aboveGroundFt <= height)
    {
        ParkAirportEntry first;
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            if (g_parkAirports.empty())
            {
                return;
            }
            first = g_parkAirports.front();
        }
        const double firstDistance = gf_distanceNm(pos, LatLon{first.latitude, first.longitude});
        if (first.icao == g_parkAirport.icao || firstDistance > range || firstDistance > d)
        {
            return;
        }
        gf_log(fmt::format("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first",
                           gf_shiftedTimeString(), first.icao.text(), firstDistance, g_parkAirport.icao.text()));
        gf_leaveParkAirport();
        return;
    }
    gf_log(fmt::format("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_shiftedTimeString(),
                       g_parkAirport.icao.text(), d));
    gf_leaveParkAirport();
}

void gf_leaveParkAirport()
{
    g_parkCandidates.clear();
    gf_removeAllStatics();
    for (LiveAc& ac : g_liveAircraft)
    {
        const bool onGround = ac.situation == kSituationParked || ac.situation == kSituationParking ||
                              ac.situation <= kSituationTakeOff;
        if (!onGround)
        {
            continue;
        }
        ac.standId = 0;
        ac.standFlagCopy = 0;
        ac.lastParkLatitude = 0.0;
        ac.lastParkLongitude = 0.0;
        if (ac.simState == kSimStateActive || ac.simState == kSimStateAdding)
        {
            removeAircraftFromSim(ac);
        }
    }
    g_liveAircraft.eraseIf([](const LiveAc& a) { return a.erase != 0 || a.createCancelled != 0; });
    lf_resetParkAirport();
}

void gf_saveAirportFile()
{
    if (g_learnedApfPath.empty() || g_parkAirport.icao.empty())
    {
        return;
    }
    AirportStands record;
    record.icao = g_parkAirport.icao;
    record.name = g_keptApfName;
    record.publisher = g_keptApfKind;
    record.elevation = static_cast<std::int32_t>(g_parkAirport.elevation);
    record.stands = gf_learnedStands(g_stands.span(), g_handmade);
    const CoveragePair figures = gf_coverageOf(gf_qualityFactors(record.stands));
    record.realFigure = figures.real;
    record.softFigure = figures.soft;
    const std::string path = gf_pathToUtf8(g_learnedApfPath);
    if (!gf_writeAirportFile(record, g_learnedApfPath, kApfLearnedMode, g_handmade, g_simNumber.load()))
    {
        gf_log(fmt::format("{} saving '{}' did not succeed", gf_timeOfDayString(), path));
        return;
    }
    const std::uint32_t updates = g_apfUpdates;
    gf_log(fmt::format("{}{} '{}' saved with {} update{}", gf_timeOfDayString(), g_handmade ? " handmade" : "", path,
                       updates, updates == 1 ? "" : "s"));
}

void lf_resetParkAirport()
{
    if (g_learnedOverride.load() != 0)
    {
        gf_saveAirportFile();
        gf_restoreAirportSettings();
    }
    g_handmade = false;
    g_learnedOverride.store(0);
    gf_showParkTrafficWeek(0);
    if (const auto left = gf_parkingWindow().parkAirportLeft)
    {
        left();
    }
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
        g_reservedStand.clear();
    }
    g_apfUpdates = 0;
    g_apfUpdatesShown.store(0);
    g_staticRemovals.clear();
    g_parkCandidates.clear();
    g_parkingCandidateCount.store(0);
    g_standsReadForCalc = false;
    gf_clearStands();
    g_parkDataRead.store(0);
    g_reservedStandFound.store(0);
    gf_showParkDescription({});
    gf_showParkFileText({}, false);
    g_coverage = CoveragePair{-1, -1};
    g_trafficReader.parkElevation = std::optional<double>{};
}

void gf_handleParking(bool initial)
{
    if (g_parkingBusy.load() != 0 && g_parkCandidates.empty() && g_recalcPending == 0)
    {
        lf_markParkingDone();
        gf_clearStatus();
        gf_countStaticAc(true);
        gf_countParkedLiveAc(true);
    }
    if (g_recalcPending == 0)
    {
        const UserAcState user = g_userPos;
        if (!gf_positionKnown(user.latitude, user.longitude))
        {
            return;
        }
        lf_updateParkAirportDistances(user.latitude, user.longitude);
        const bool onGround = g_userOnGround.load() != 0;
        if (!g_parkAirport.icao.empty())
        {
            lf_checkParkAirportInSight(user.latitude, user.longitude, user.altitudeAboveGround, onGround);
        }
        else
        {
            lf_findParkAirport(user.latitude, user.longitude, user.altitudeAboveGround, onGround, initial);
        }
        return;
    }
    if (!gf_calcParkedTrafficReady())
    {
        return;
    }
    gf_clearStatus();
    g_recalcPending = 0;
    if (!std::exchange(g_standsReadForCalc, false))
    {
        const std::string error = lf_readParkedFile();
        if (!error.empty())
        {
            lf_markParkingDone();
            gf_setStatus(error, true);
            lf_resetParkAirport();
            return;
        }
        g_staticRenewMinutes.store(kRenewalMinutes);
    }
    gf_calcStaticParked();
}

std::size_t gf_countParkedLiveAc(bool withMean)
{
    std::size_t count = 0;
    double hours = 0.0;
    const std::int64_t now = gf_loopClock().now().time_since_epoch().count();
    for (const LiveAc& ac : g_liveAircraft)
    {
        if (ac.situation == kSituationParked && ac.simState == kSimStateActive)
        {
            ++count;
            hours += static_cast<double>(now - ac.parkedTime) / 3.6e12;
        }
    }
    if (withMean)
    {
        g_parkedMeanHoursShown.store(count == 0 ? -1.0f : static_cast<float>(hours / static_cast<double>(count)));
    }
    return count;
}

void gf_removeAllStatics()
{
    for (StaticAc& ac : g_staticAircraft)
    {
        removeAircraftFromSim(ac);
    }
    std::erase_if(g_staticAircraft, [](const StaticAc& a) { return a.erase != 0 || a.createCancelled != 0; });
}

void gf_removeLiveAtStand(std::string_view standName)
{
    const std::optional<std::size_t> index = lf_standIndex(standName);
    if (!index || g_stands[*index].numericId < 1)
    {
        return;
    }
    const auto standId = static_cast<std::uint32_t>(g_stands[*index].numericId);
    const auto onStand = [&](const StaticAc& a) { return a.standId == standId && a.simState == kSimStateActive; };
    if (const auto it = std::ranges::find_if(g_staticAircraft, onStand); it != g_staticAircraft.end())
    {
        removeAircraftFromSim(*it);
        return;
    }
    const auto parked = std::ranges::find_if(
        g_liveAircraft, [&](const LiveAc& a) { return onStand(a) && a.situation == kSituationParked; });
    if (parked != g_liveAircraft.end())
    {
        removeAircraftFromSim(*parked);
    }
}

} // namespace ovr
