#include "airports_test_support.h"

#include <fstream>

#include <fmt/format.h>

#include "airports/airport_panel_figures.h"
#include "airports/apf_updates.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/log_detail.h"
#include "core/user_on_ground.h"
#include "liveries/dbase_reader_detail.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace ovr::test
{

namespace
{

// Types of every category with their wingspans, and registrations whose keys
// the stand learning takes from the database.
constexpr std::string_view kDbaseXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <aircrafts><aircraft types="A320, B744, C172, EC35, F16, C25C, B77L"/></aircrafts>
  <cargo_types><cargo_type types="B77L"/></cargo_types>
  <heavy><hvy types="B744, B77L"/></heavy>
  <large><lar types="A320"/></large>
  <buzjet><bzj types="C25C"/></buzjet>
  <high_performance><hpf types="F16"/></high_performance>
  <rotorcraft><rot types="EC35"/></rotorcraft>
  <ICAO_airlines><ICAO codes="KLM, DLH, EZY"/></ICAO_airlines>
  <cargo_operators><ICAO codes="FDX"/></cargo_operators>
  <wingspans>
    <wingspan type="A320" meters="35.8"/>
    <wingspan type="B744" meters="64.4"/>
    <wingspan type="C172" meters="11.0"/>
    <wingspan type="EC35" meters="10.2"/>
  </wingspans>
  <simaddons20><simaddon20 arpts="EHAM"/></simaddons20>
  <simaddons24><simaddon24 arpts="EHAM"/></simaddons24>
  <dbase>
    <d r="PH-BFA" a="KLM" m="B744"/>
    <d r="PH-EZA" a="KLM" m="A320"/>
    <d r="D-AIBC" a="DLH" m="A320"/>
    <d r="N123FX" a="FDX" m="B77L" c="1"/>
    {}
  </dbase>
</root>
)";

void lf_resetParkAirport()
{
    gf_clearStands();
    g_staticAircraft.clear();
    g_parkCandidates.clear();
    g_parkedLive.clear();
    g_callsignsInUse.clear();
    g_fitPassNumber = 0;
    g_currentFitStep = -1;
    g_fitPassesRunning = 0;
    g_apfUpdates = 0;
    g_apfUpdatesShown.store(0);
    g_staticMeanFitShown.store(-1.0f);
    g_userOnGround.store(1);
    g_weekdayHour.store(0);
}

} // namespace

void ParkAirportTest::SetUp()
{
    ScratchTest::SetUp();
    detail::clearDbase();
    const fs::path enc = folder() / "dbase.enc";
    std::ofstream(enc, std::ios::binary)
        << datatool::encryptText(fmt::format(fmt::runtime(kDbaseXml), registrations()));
    ASSERT_TRUE(detail::readDbaseFrom(enc, folder() / "dbase.xml"));
    lf_resetParkAirport();
}

void ParkAirportTest::TearDown()
{
    lf_resetParkAirport();
    detail::clearDbase();
    ScratchTest::TearDown();
}

Stand makeTestStand(std::string name, std::int32_t numericId, double north, double east, double radiusMetres,
                    std::uint16_t type)
{
    const LatLon p = offsetMetres(north, east);
    Stand stand =
        gf_makeStand(std::move(name), {}, p.lat, p.lon, 0.0, radiusMetres, type, false, false, false);
    stand.numericId = numericId;
    return stand;
}

} // namespace ovr::test
