// Data definitions: blocks laid out in the order of registration, with the
// units asked for, and data set on objects.
#include "sim_client.h"
#include "sim_link_definitions.h"

#include "platform/simconnect/world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace ovr::sim::test
{
namespace
{

constexpr double kRad = std::numbers::pi / 180.0;
constexpr std::int64_t kOneFrameMs = 34;
const char* const kTitle = "Airbus A320 Neo Asobo";

Scenario parkedAtFrankfurt()
{
    Scenario s;
    s.user.title = kTitle;
    s.user.atcModel = "TT:ATCCOM.AC_MODEL_A20N.0.text";
    s.user.atcId = "D-AINA";
    s.user.pose.latDeg = 50.0478;
    s.user.pose.lonDeg = 8.5693;
    s.user.pose.headingDeg = 150.0;
    s.user.pose.pitchDeg = -0.5;
    s.user.lights = 0x3;
    s.terrain.elevationFt = 364.0;
    s.installed.titles = {{kTitle, "A20N", 7.9, 0.4}};
    s.zuluYear = 2024;
    s.zuluDayOfYear = 152;
    s.zuluSeconds = 36000.0;
    return s;
}

class LinkDefinitions : public testing::Test
{
  protected:
    LinkDefinitions() : world(parkedAtFrankfurt())
    {
        registerLinkDefinitions(c.h);
        c.drain();
    }

    // The one data record that answers a request made now.
    Received requestOnce(DWORD define, DWORD object = SIMCONNECT_OBJECT_ID_USER)
    {
        EXPECT_EQ(SimConnect_RequestDataOnSimObject(c.h, 100 + define % 100, define, object,
                                                    SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0),
                  S_OK);
        world.advance(kOneFrameMs);
        auto got = c.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
        EXPECT_EQ(got.size(), 1U);
        return got.empty() ? Received{} : std::move(got[0]);
    }

    DWORD createAircraft(const char* tail)
    {
        SIMCONNECT_DATA_INITPOSITION at{50.0500, 8.5700, 0.0, 0, 0, 90, 1, 0};
        SimConnect_AICreateNonATCAircraft(c.h, kTitle, tail, at, 104);
        world.advance(200);
        return world.objects().back().id;
    }

    World world;
    Client c;
};

TEST_F(LinkDefinitions, RegistrationRaisesNoException)
{
    world.advance(kOneFrameMs);
    EXPECT_TRUE(c.drain(SIMCONNECT_RECV_ID_EXCEPTION).empty());
}

struct BlockCase
{
    DWORD define;
    std::size_t bytes; // of the data block, before padding
};

class BlockSize : public LinkDefinitions, public testing::WithParamInterface<BlockCase>
{
};

TEST_P(BlockSize, FollowsTheRegisteredFields)
{
    const Received r = requestOnce(GetParam().define);
    const auto& d = r.as<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ(d.dwDefineID, GetParam().define);
    EXPECT_EQ(d.dwRequestID, 100 + GetParam().define % 100);
    EXPECT_EQ(d.dwObjectID, 1U);
    EXPECT_EQ(d.dwentrynumber, 1U);
    EXPECT_EQ(d.dwoutof, 1U);
    const std::size_t padded = (GetParam().bytes + 3) / 4 * 4;
    EXPECT_EQ(r.dataSize<SIMCONNECT_RECV_SIMOBJECT_DATA>(), padded);
}

INSTANTIATE_TEST_SUITE_P(Definitions, BlockSize,
                         testing::Values(BlockCase{407, std::strlen(kTitle) + 1}, BlockCase{408, 32},
                                         BlockCase{409, 8}, BlockCase{402, 64}, BlockCase{403, 104},
                                         BlockCase{405, 16}, BlockCase{404, 56}, BlockCase{401, 24}));

TEST_F(LinkDefinitions, TitleIsTextWithItsNulInsideTheRecord)
{
    const Received r = requestOnce(407);
    const auto* text = reinterpret_cast<const char*>(r.data<SIMCONNECT_RECV_SIMOBJECT_DATA>());
    const std::size_t room = r.dataSize<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ(std::string(text, strnlen(text, room)), kTitle);
    EXPECT_LT(strnlen(text, room), room);
}

TEST_F(LinkDefinitions, UserStateInTheUnitsAskedFor)
{
    const Received r = requestOnce(403);
    const std::byte* d = r.data<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_DOUBLE_EQ(r.read<double>(d, 0), 50.0478);
    EXPECT_DOUBLE_EQ(r.read<double>(d, 8), 8.5693);
    EXPECT_NEAR(r.read<double>(d, 16), -0.5 * kRad, 1e-12);
    EXPECT_NEAR(r.read<double>(d, 32), 150.0 * kRad, 1e-12);
    EXPECT_DOUBLE_EQ(r.read<double>(d, 40), 364.0 + 7.9) << "standing on the ground on its static CG";
    EXPECT_NEAR(r.read<double>(d, 48), 7.9, 1e-9);
    EXPECT_EQ(r.read<std::int64_t>(d, 64), 36000);
    EXPECT_EQ(r.read<std::int64_t>(d, 72), 152);
    EXPECT_EQ(r.read<std::int64_t>(d, 80), 2024);
    EXPECT_EQ(r.read<std::int64_t>(d, 88), 0x3);
    EXPECT_NEAR(r.read<double>(d, 96), (288.15 - 0.0065 * 371.9 * 0.3048) * 1.8, 1e-6);
}

TEST_F(LinkDefinitions, ZuluTimeRunsWithTheWorldAndRollsOverTheYear)
{
    Scenario s = parkedAtFrankfurt();
    s.zuluYear = 2023;
    s.zuluDayOfYear = 365;
    s.zuluSeconds = 86399.0;
    World late(s);
    Client c2;
    registerLinkDefinitions(c2.h);
    late.advance(1500);
    c2.drain();
    SimConnect_RequestDataOnSimObject(c2.h, 109, 403, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE, 0, 0,
                                      0, 0);
    late.advance(kOneFrameMs);
    const auto got = c2.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(got.size(), 1U);
    const std::byte* d = got[0].data<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ(got[0].read<std::int64_t>(d, 64), 0);
    EXPECT_EQ(got[0].read<std::int64_t>(d, 72), 1);
    EXPECT_EQ(got[0].read<std::int64_t>(d, 80), 2024);
}

TEST_F(LinkDefinitions, String32KeepsThirtyOneCharactersAndANul)
{
    Scenario s = parkedAtFrankfurt();
    s.user.atcModel = std::string(40, 'M');
    World other(s);
    Client c2;
    registerLinkDefinitions(c2.h);
    SimConnect_RequestDataOnSimObject(c2.h, 107, 408, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE, 0, 0,
                                      0, 0);
    other.advance(kOneFrameMs);
    const auto got = c2.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(got.size(), 1U);
    const auto* text = reinterpret_cast<const char*>(got[0].data<SIMCONNECT_RECV_SIMOBJECT_DATA>());
    EXPECT_EQ(std::string(text, strnlen(text, 32)), std::string(31, 'M'));
}

TEST_F(LinkDefinitions, PerSecondDataWhileRunning)
{
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(c.h, 108, 409, SIMCONNECT_OBJECT_ID_USER,
                                                SIMCONNECT_PERIOD_SECOND, 0, 0, 0, 0),
              S_OK);
    world.advance(3000);
    const auto got = c.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(got.size(), 3U);
    for (const Received& r : got)
    {
        EXPECT_EQ(r.as<SIMCONNECT_RECV_SIMOBJECT_DATA>().dwRequestID, 108U);
        EXPECT_EQ(r.read<std::int64_t>(r.data<SIMCONNECT_RECV_SIMOBJECT_DATA>(), 0), 1) << "on the ground";
    }
    world.setRunning(false);
    world.advance(3000);
    EXPECT_TRUE(c.drain(SIMCONNECT_RECV_ID_SIMOBJECT_DATA).empty());
}

TEST_F(LinkDefinitions, PositionSetIsPositionRead)
{
    const DWORD id = createAircraft("DLH4TK");
    const double update[8] = {50.06, 8.58, 2.0 * kRad, -10.0 * kRad, 270.0 * kRad, 1500.0, -12.5, 160.0};
    ASSERT_EQ(SimConnect_SetDataOnSimObject(c.h, 402, id, 0, 0, 64, const_cast<double*>(update)), S_OK);

    const Received r = requestOnce(402, id);
    const std::byte* d = r.data<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    for (std::size_t i = 0; i < 8; ++i)
    {
        EXPECT_NEAR(r.read<double>(d, i * 8), update[i], 1e-9) << "field " << i;
    }
    const ObjectState o = *world.object(id);
    EXPECT_NEAR(o.headingDeg, 270.0, 1e-9);
    EXPECT_NEAR(o.bankDeg, -10.0, 1e-9);
    EXPECT_FALSE(o.onGround);
}

TEST_F(LinkDefinitions, SpoilersAndThrottlesSetOnTouchdown)
{
    const DWORD id = createAircraft("DLH4TK");
    const double touchdown[3] = {100.0, -100.0, 100.0};
    ASSERT_EQ(SimConnect_SetDataOnSimObject(c.h, 401, id, 0, 0, 24, const_cast<double*>(touchdown)), S_OK);
    const ObjectState o = *world.object(id);
    EXPECT_DOUBLE_EQ(o.spoilersPercent, 100.0);
    EXPECT_DOUBLE_EQ(o.throttlePercent[0], -100.0);
    EXPECT_DOUBLE_EQ(o.throttlePercent[1], 100.0);
}

struct RefusedCase
{
    const char* what;
    DWORD exception;
    DWORD index;
};

class Refused : public LinkDefinitions, public testing::WithParamInterface<RefusedCase>
{
  protected:
    void call(DWORD aircraft)
    {
        const std::string what = GetParam().what;
        double block[8] = {};
        if (what == "wrong size")
        {
            SimConnect_SetDataOnSimObject(c.h, 402, aircraft, 0, 0, 56, block);
        }
        else if (what == "unknown definition")
        {
            SimConnect_SetDataOnSimObject(c.h, 499, aircraft, 0, 0, 64, block);
        }
        else if (what == "unknown object")
        {
            SimConnect_SetDataOnSimObject(c.h, 402, aircraft + 50, 0, 0, 64, block);
        }
        else if (what == "unknown variable")
        {
            SimConnect_AddToDataDefinition(c.h, 410, "PLANE COLOUR", nullptr, SIMCONNECT_DATATYPE_FLOAT64,
                                           0.0F, SIMCONNECT_UNUSED);
        }
        else if (what == "units of another kind")
        {
            SimConnect_AddToDataDefinition(c.h, 410, "PLANE ALTITUDE", "knots", SIMCONNECT_DATATYPE_FLOAT64,
                                           0.0F, SIMCONNECT_UNUSED);
        }
        else if (what == "text as a number")
        {
            SimConnect_AddToDataDefinition(c.h, 410, "ATC ID", nullptr, SIMCONNECT_DATATYPE_FLOAT64, 0.0F,
                                           SIMCONNECT_UNUSED);
        }
        else if (what == "request on an unknown object")
        {
            SimConnect_RequestDataOnSimObject(c.h, 102, 405, aircraft + 50, SIMCONNECT_PERIOD_ONCE, 0, 0, 0,
                                              0);
        }
        else if (what == "radius too large")
        {
            SimConnect_RequestDataOnSimObjectType(c.h, 101, 404, 200001, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
        }
    }
};

TEST_P(Refused, AsAnExceptionWithThePacketOfTheCall)
{
    const DWORD aircraft = createAircraft("DLH4TK");
    c.drain();
    call(aircraft);
    const DWORD packet = c.lastPacket();
    world.advance(kOneFrameMs);
    const auto got = c.drain(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(got.size(), 1U);
    const auto& e = got[0].as<SIMCONNECT_RECV_EXCEPTION>();
    EXPECT_EQ(e.dwException, GetParam().exception);
    EXPECT_EQ(e.dwSendID, packet);
    EXPECT_EQ(e.dwIndex, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Refused,
    testing::Values(RefusedCase{"wrong size", SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, 6},
                    RefusedCase{"unknown definition", SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2},
                    RefusedCase{"unknown object", SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3},
                    RefusedCase{"unknown variable", 7, 3}, RefusedCase{"units of another kind", 7, 4},
                    RefusedCase{"text as a number", 18, 5},
                    RefusedCase{"request on an unknown object", SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 4},
                    RefusedCase{"radius too large", 31, 4}),
    [](const auto& p)
    {
        std::string name = p.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

} // namespace
} // namespace ovr::sim::test
