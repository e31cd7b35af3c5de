// AI objects: creation and its failures, the by-type report, removal,
// client events, control and flight plans, and the user aircraft's moves.
#include "sim_client.h"
#include "sim_link_definitions.h"

#include "platform/simconnect/world.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace ovr::sim::test
{
namespace
{

constexpr DWORD kGroup = 301;
const char* const kInstalled = "Airbus A320 Neo Asobo";

Scenario frankfurt()
{
    Scenario s;
    s.user.objectId = 1;
    s.user.atcId = "D-AINA";
    s.user.pose.latDeg = 50.0478;
    s.user.pose.lonDeg = 8.5693;
    s.terrain.elevationFt = 364.0;
    s.installed.acceptAll = false;
    s.installed.titles = {{kInstalled, "A20N", 7.9, 0.4}};
    return s;
}

// Standing on the ground there.
Pose standing(double latDeg, double lonDeg)
{
    Pose p;
    p.latDeg = latDeg;
    p.lonDeg = lonDeg;
    return p;
}

SIMCONNECT_DATA_INITPOSITION near(double dLat = 0.002)
{
    return SIMCONNECT_DATA_INITPOSITION{50.0478 + dLat, 8.5693, 0.0, 0.0, 0.0, 90.0, 1, 0};
}

class Objects : public testing::Test
{
  protected:
    explicit Objects(Scenario s = frankfurt()) : world(std::move(s))
    {
        SimConnect_SubscribeToSystemEvent(c.h, kObjectAdded, "ObjectAdded");
        SimConnect_SubscribeToSystemEvent(c.h, kObjectRemoved, "ObjectRemoved");
        registerLinkDefinitions(c.h);
        c.drain();
    }

    // Creates and waits for the object; its id.
    DWORD create(const char* tail, SIMCONNECT_DATA_INITPOSITION at = near())
    {
        EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c.h, kInstalled, tail, at, 104), S_OK);
        world.advance(200);
        const auto added = c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
        EXPECT_EQ(added.size(), 1U);
        return added.empty() ? 0 : added[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData;
    }

    std::vector<SIMCONNECT_RECV_EXCEPTION> exceptions()
    {
        std::vector<SIMCONNECT_RECV_EXCEPTION> out;
        for (const Received& r : c.drain(SIMCONNECT_RECV_ID_EXCEPTION))
        {
            out.push_back(r.as<SIMCONNECT_RECV_EXCEPTION>());
        }
        return out;
    }

    World world;
    Client c;
};

TEST_F(Objects, CreatedAfterAFewFramesThenReportedByTypeWithItsTailAsAtcId)
{
    const std::string tail = "AVERYLONGCALLSIGNTHATGOESONANDONFORALONGTIME"; // 44 characters
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(c.h, kInstalled, tail.c_str(), near(), 104), S_OK);
    world.advance(34);
    EXPECT_TRUE(c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE).empty()) << "not yet";
    world.advance(100);

    const auto got = c.drain();
    ASSERT_EQ(got.size(), 2U);
    ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    const auto& added = got[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>();
    EXPECT_EQ(added.uEventID, kObjectAdded);
    EXPECT_EQ(added.eObjType, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    const DWORD id = added.dwData;
    EXPECT_GT(id, 1U);
    ASSERT_EQ(got[1].id(), SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID);
    EXPECT_EQ(got[1].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID, id);
    EXPECT_EQ(got[1].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwRequestID, 104U);

    ASSERT_EQ(SimConnect_RequestDataOnSimObjectType(c.h, 101, 404, 20000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT),
              S_OK);
    world.advance(34);
    const auto reports = c.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE);
    ASSERT_EQ(reports.size(), 2U) << "the user aircraft and the new one";
    for (DWORD i = 0; i < 2; ++i)
    {
        const auto& d = reports[i].as<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE>();
        EXPECT_EQ(d.dwRequestID, 101U);
        EXPECT_EQ(d.dwentrynumber, i + 1);
        EXPECT_EQ(d.dwoutof, 2U);
    }
    const Received& mine = reports[1];
    EXPECT_EQ(mine.as<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE>().dwObjectID, id);
    const std::byte* block = mine.data<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE>();
    EXPECT_NEAR(mine.read<double>(block, 0), 7.9, 1e-9) << "altitude above ground: its static CG";
    EXPECT_DOUBLE_EQ(mine.read<double>(block, 8), 364.0) << "ground from the terrain";
    EXPECT_EQ(mine.read<std::int64_t>(block, 16), 1);
    const auto* atcId = reinterpret_cast<const char*>(block + 24);
    EXPECT_EQ(std::string(atcId, strnlen(atcId, 32)), tail.substr(0, 31));
}

TEST_F(Objects, ByTypeReportsOnlyWhatIsWithinTheRadius)
{
    create("NEAR1", near(0.002)); // about 220 m
    create("FAR1", near(0.2));    // about 22 km
    ForeignAircraft other;
    other.atcId = "AS-GEN";
    other.pose = standing(50.0490, 8.5693);
    world.addForeign(other);
    c.drain();

    const auto report = [&](DWORD radius)
    {
        SimConnect_RequestDataOnSimObjectType(c.h, 101, 404, radius, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
        world.advance(34);
        std::vector<std::string> ids;
        for (const Received& r : c.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE))
        {
            const auto* text =
                reinterpret_cast<const char*>(r.data<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE>() + 24);
            ids.emplace_back(text, strnlen(text, 32));
        }
        return ids;
    };
    EXPECT_EQ(report(0), std::vector<std::string>{"D-AINA"});
    EXPECT_EQ(report(1000), (std::vector<std::string>{"D-AINA", "NEAR1", "AS-GEN"}));
    EXPECT_EQ(report(200000), (std::vector<std::string>{"D-AINA", "NEAR1", "FAR1", "AS-GEN"}));
}

TEST_F(Objects, ATitleNotInstalledFailsWithThePacketOfTheCreate)
{
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(c.h, "Unknown Livery", "DLH1", near(), 104), S_OK);
    const DWORD packet = c.lastPacket();
    world.advance(200);
    const auto e = exceptions();
    ASSERT_EQ(e.size(), 1U);
    EXPECT_EQ(e[0].dwException, SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED);
    EXPECT_EQ(e[0].dwSendID, packet);
    EXPECT_EQ(world.objects().size(), 1U);
}

TEST(ObjectCap, ReachedGivesTooManyObjectsWithThePacketOfTheCreate)
{
    Scenario s = frankfurt();
    s.objectCap = 1;
    World world(s);
    Client c;
    c.drain();
    SimConnect_AICreateNonATCAircraft(c.h, kInstalled, "DLH1", near(), 104);
    SimConnect_AICreateNonATCAircraft(c.h, kInstalled, "DLH2", near(), 104);
    const DWORD second = c.lastPacket();
    world.advance(200);
    const auto got = c.drain(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EXCEPTION>().dwException, SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EXCEPTION>().dwSendID, second);
    EXPECT_EQ(world.objects().size(), 2U);
}

TEST_F(Objects, RemovingAnOwnObjectReportsItRemoved)
{
    const DWORD id = create("DLH1");
    ASSERT_EQ(SimConnect_AIRemoveObject(c.h, id, 105), S_OK);
    SimConnect_AIRemoveObject(c.h, id, 105); // asked twice, removed once
    world.advance(100);
    const auto got = c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().uEventID, kObjectRemoved);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData, id);
    EXPECT_FALSE(world.object(id).has_value());
    EXPECT_TRUE(exceptions().empty());
}

struct RemoveCase
{
    const char* what;
    DWORD object; // 0: the user by SIMCONNECT_OBJECT_ID_USER; 1: the user's id; 99: none; 50: a foreign one
    DWORD exception;
};

class RemoveRefused : public Objects, public testing::WithParamInterface<RemoveCase>
{
};

TEST_P(RemoveRefused, WithAnExceptionAndNothingRemoved)
{
    ForeignAircraft other;
    other.objectId = 50;
    world.addForeign(other);
    c.drain();
    SimConnect_AIRemoveObject(c.h, GetParam().object, 105);
    const DWORD packet = c.lastPacket();
    world.advance(100);
    const auto e = exceptions();
    ASSERT_EQ(e.size(), 1U);
    EXPECT_EQ(e[0].dwException, GetParam().exception);
    EXPECT_EQ(e[0].dwSendID, packet);
    EXPECT_EQ(world.objects().size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, RemoveRefused,
    testing::Values(RemoveCase{"user_by_constant", 0, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE},
                    RemoveCase{"user_by_id", 1, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE},
                    RemoveCase{"unknown", 99, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID},
                    RemoveCase{"not_created_by_this_client", 50, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID}),
    [](const auto& p) { return std::string(p.param.what); });

class ClientEvents : public Objects
{
  protected:
    ClientEvents()
    {
        // mapped and grouped as the simulator link does it
        for (const ClientEventSpec& event : kLinkClientEvents)
        {
            SimConnect_MapClientEventToSimEvent(c.h, event.id, event.name);
        }
        for (const DWORD id : kLinkGroupedEvents)
        {
            SimConnect_AddClientEventToNotificationGroup(c.h, kGroup, id, TRUE);
        }
        SimConnect_SetNotificationGroupPriority(c.h, kGroup, SIMCONNECT_GROUP_PRIORITY_HIGHEST);
        aircraft = create("DLH1");
    }

    DWORD aircraft = 0;
};

TEST_F(ClientEvents, AreAppliedToTheObjectAndEchoedWhenGrouped)
{
    const std::pair<DWORD, DWORD> sent[] = {{207, 1},     {206, 1},     {211, 1},     {219, 0},
                                            {217, 10240}, {222, 16383}, {218, 16383}, {220, 0},
                                            {214, 1},     {215, 1},     {216, 1}};
    for (const auto& [event, data] : sent)
    {
        EXPECT_EQ(SimConnect_TransmitClientEvent(c.h, aircraft, event, data, kGroup, 0), S_OK);
    }
    const ObjectState o = *world.object(aircraft);
    EXPECT_EQ(o.lights, kLightNav | kLightBeacon | kLightCabin);
    EXPECT_FALSE(o.gearDown);
    EXPECT_NEAR(o.flapsPercent, 62.5, 0.01);
    EXPECT_DOUBLE_EQ(o.throttlePercent[0], 100.0);
    EXPECT_DOUBLE_EQ(o.spoilersPercent, 100.0);
    EXPECT_TRUE(o.enginesRunning);
    EXPECT_TRUE(o.frozenLatLon && o.frozenAltitude && o.frozenAttitude);

    const auto echoes = c.drain(SIMCONNECT_RECV_ID_EVENT);
    ASSERT_EQ(echoes.size(), std::size(sent) - 1) << "ENGINE_AUTO_START is in no group";
    EXPECT_EQ(echoes[4].as<SIMCONNECT_RECV_EVENT>().uGroupID, kGroup);
    EXPECT_EQ(echoes[4].as<SIMCONNECT_RECV_EVENT>().uEventID, 217U);
    EXPECT_EQ(echoes[4].as<SIMCONNECT_RECV_EVENT>().dwData, 10240U);
    EXPECT_TRUE(exceptions().empty());
}

TEST_F(ClientEvents, ShutdownAndAllLightsToggle)
{
    SimConnect_TransmitClientEvent(c.h, aircraft, 220, 0, kGroup, 0);
    SimConnect_TransmitClientEvent(c.h, aircraft, 221, 0, kGroup, 0);
    SimConnect_TransmitClientEvent(c.h, aircraft, 207, 1, kGroup, 0);
    SimConnect_TransmitClientEvent(c.h, aircraft, 213, 0, kGroup, 0);
    const ObjectState o = *world.object(aircraft);
    EXPECT_FALSE(o.enginesRunning);
    EXPECT_EQ(o.lights, kLightAll & ~kLightNav);
}

TEST_F(ClientEvents, UnknownObjectOrUnmappedEventIsRefused)
{
    c.drain();
    SimConnect_TransmitClientEvent(c.h, 99, 207, 1, kGroup, 0);
    SimConnect_TransmitClientEvent(c.h, aircraft, 230, 1, kGroup, 0);
    const auto e = exceptions();
    ASSERT_EQ(e.size(), 2U);
    EXPECT_EQ(e[0].dwException, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID);
    EXPECT_EQ(e[0].dwIndex, 2U);
    EXPECT_EQ(e[1].dwIndex, 3U);
}

TEST_F(Objects, ReleaseControlOfOwnObjectsOnly)
{
    const DWORD id = create("DLH1");
    EXPECT_EQ(SimConnect_AIReleaseControl(c.h, id, 103), S_OK);
    EXPECT_TRUE(world.object(id)->aiReleased);
    SimConnect_AIReleaseControl(c.h, SIMCONNECT_OBJECT_ID_USER, 103);
    const auto e = exceptions();
    ASSERT_EQ(e.size(), 1U);
    EXPECT_EQ(e[0].dwException, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE);
}

TEST_F(Objects, AFlightPlanMustExist)
{
    const DWORD id = create("DLH1");
    const auto dir = uniqueTempPath("plans");
    std::filesystem::create_directories(dir);
    const auto plan = dir / "4b1805.pln";
    std::ofstream(plan) << "<SimBase.Document/>";

    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(c.h, id, plan.string().c_str(), 110), S_OK);
    EXPECT_TRUE(exceptions().empty());
    EXPECT_EQ(world.object(id)->flightPlan, plan.string());

    const auto missing = (dir / "missing.pln").string();
    EXPECT_EQ(SimConnect_AISetAircraftFlightPlan(c.h, id, missing.c_str(), 110), S_OK);
    const DWORD packet = c.lastPacket();
    const auto e = exceptions();
    ASSERT_EQ(e.size(), 1U);
    EXPECT_EQ(e[0].dwException, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED);
    EXPECT_EQ(e[0].dwSendID, packet);
    std::filesystem::remove_all(dir);
}

TEST(UserAircraft, FollowsItsPathAndJumpsOnTeleport)
{
    Scenario s = frankfurt();
    Pose start = standing(50.0, 8.0);
    start.altFt = 3000.0;
    start.headingDeg = 350.0;
    start.onGround = false;
    Pose later = start;
    later.latDeg = 50.1;
    later.headingDeg = 10.0;
    s.user.pose = start;
    s.user.path = {PathPoint{0, start}, PathPoint{10000, later}};
    World world(s);

    world.advance(5000);
    ObjectState u = *world.object(SIMCONNECT_OBJECT_ID_USER);
    EXPECT_NEAR(u.latDeg, 50.05, 1e-9);
    EXPECT_NEAR(u.headingDeg, 0.0, 1e-9) << "turns the short way round";

    world.teleportUser(standing(51.0, 9.0));
    world.advance(6000);
    u = *world.object(SIMCONNECT_OBJECT_ID_USER);
    EXPECT_DOUBLE_EQ(u.latDeg, 51.0) << "the path ends with a teleport";
    EXPECT_TRUE(u.onGround);
    EXPECT_NEAR(u.altFt, 364.0 + 7.9, 1e-9) << "on the terrain, on its static CG";

    world.apply(script::Move{standing(51.0, 9.1), 2000});
    world.advance(1000);
    EXPECT_NEAR(world.object(1)->lonDeg, 9.05, 1e-6);
    world.advance(1000);
    EXPECT_DOUBLE_EQ(world.object(1)->lonDeg, 9.1);
}

TEST(Terrain, DiscsRaiseTheGround)
{
    Scenario s;
    s.terrain.elevationFt = 100.0;
    s.terrain.discs = {ElevationDisc{47.0, 11.0, 5000.0, 1900.0}};
    s.user.pose = standing(47.01, 11.0);
    World world(s);
    EXPECT_NEAR(world.object(1)->altFt, 1900.0 + s.installed.defaultCgHeightFt, 1e-9);
    world.teleportUser(standing(48.0, 11.0));
    EXPECT_NEAR(world.object(1)->altFt, 100.0 + s.installed.defaultCgHeightFt, 1e-9);
}

} // namespace
} // namespace ovr::sim::test
