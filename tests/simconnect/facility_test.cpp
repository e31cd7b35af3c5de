// Facility data for the second client: the airport, its taxi parkings and
// helipads as blocks laid out by the facility definition.
#include "sim_client.h"

#include "platform/simconnect/world.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ovr::sim::test
{
namespace
{

constexpr DWORD kDefinition = 1001;
constexpr DWORD kRequest = 2001;

// The reader's definition, entry by entry.
constexpr const char* kEntries[] = {"OPEN AIRPORT",
                                    "LATITUDE",
                                    "LONGITUDE",
                                    "ALTITUDE",
                                    "NAME",
                                    "N_HELIPADS",
                                    "N_TAXI_PARKINGS",
                                    "OPEN TAXI_PARKING",
                                    "TYPE",
                                    "TAXI_POINT_TYPE",
                                    "NAME",
                                    "SUFFIX",
                                    "NUMBER",
                                    "ORIENTATION",
                                    "HEADING",
                                    "RADIUS",
                                    "BIAS_X",
                                    "BIAS_Z",
                                    "CLOSE TAXI_PARKING",
                                    "OPEN HELIPAD",
                                    "LATITUDE",
                                    "LONGITUDE",
                                    "ALTITUDE",
                                    "HEADING",
                                    "LENGTH",
                                    "WIDTH",
                                    "SURFACE",
                                    "TYPE",
                                    "CLOSE HELIPAD",
                                    "CLOSE AIRPORT"};

Scenario withFrankfurt()
{
    Scenario s;
    AirportFacility eddf;
    eddf.icao = "EDDF";
    eddf.name = "Frankfurt/Main International Airport"; // longer than the 32-byte field
    eddf.latDeg = 50.033333;
    eddf.lonDeg = 8.570556;
    eddf.altM = 111.9;
    eddf.parkings = {TaxiParking{9, 0, 12, 0, 26, 0, 150.0F, 24.0F, -89.7F, 1608.7F},
                     TaxiParking{10, 0, 13, 0, 26, 0, 205.0F, 36.0F, 310.3F, 1586.4F},
                     TaxiParking{13, 0, 1, 0, 7, 0, 0.0F, 5.0F, 10.0F, -20.0F}};
    eddf.helipads = {Helipad{50.04, 8.58, 111.0, 90.0F, 20.0F, 20.0F, 1, 2},
                     Helipad{50.05, 8.59, 111.0, 45.0F, 30.0F, 20.0F, 1, 3}};
    s.airports = {eddf};
    return s;
}

class Facility : public testing::Test
{
  protected:
    Facility() : world(withFrankfurt()), reader("PARKING_DATA_RDR")
    {
        for (const char* entry : kEntries)
        {
            SimConnect_AddToFacilityDefinition(reader.h, kDefinition, entry);
        }
        reader.drain();
    }

    World world;
    Client reader;
};

TEST_F(Facility, AirportThenParkingsThenHelipadsThenTheEnd)
{
    ASSERT_EQ(SimConnect_RequestFacilityData(reader.h, kDefinition, kRequest, "eddf", ""), S_OK);
    world.advance(34);
    const auto got = reader.drain();
    ASSERT_EQ(got.size(), 1U + 3U + 2U + 1U);

    const auto& airport = got[0].as<SIMCONNECT_RECV_FACILITY_DATA>();
    ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_FACILITY_DATA);
    EXPECT_EQ(airport.UserRequestId, kRequest);
    EXPECT_EQ(airport.Type, SIMCONNECT_FACILITY_DATA_AIRPORT);
    EXPECT_FALSE(airport.IsListItem);
    EXPECT_EQ(got[0].dataSize<SIMCONNECT_RECV_FACILITY_DATA>(), 64U);
    const std::byte* a = got[0].data<SIMCONNECT_RECV_FACILITY_DATA>();
    EXPECT_DOUBLE_EQ(got[0].read<double>(a, 0), 50.033333);
    EXPECT_DOUBLE_EQ(got[0].read<double>(a, 8), 8.570556);
    EXPECT_DOUBLE_EQ(got[0].read<double>(a, 16), 111.9);
    const auto* name = reinterpret_cast<const char*>(a + 24);
    EXPECT_EQ(std::string(name, strnlen(name, 32)),
              std::string("Frankfurt/Main International Airport").substr(0, 31));
    EXPECT_EQ(got[0].read<std::int32_t>(a, 56), 2);
    EXPECT_EQ(got[0].read<std::int32_t>(a, 60), 3);

    for (DWORD i = 0; i < 3; ++i)
    {
        const Received& r = got[1 + i];
        const auto& p = r.as<SIMCONNECT_RECV_FACILITY_DATA>();
        EXPECT_EQ(p.Type, SIMCONNECT_FACILITY_DATA_TAXI_PARKING);
        EXPECT_TRUE(p.IsListItem);
        EXPECT_EQ(p.ItemIndex, i);
        EXPECT_EQ(p.ListSize, 3U);
        EXPECT_EQ(p.ParentUniqueRequestId, airport.UniqueRequestId);
        EXPECT_EQ(r.dataSize<SIMCONNECT_RECV_FACILITY_DATA>(), 40U);
    }
    const std::byte* p = got[3].data<SIMCONNECT_RECV_FACILITY_DATA>();
    EXPECT_EQ(got[3].read<std::int32_t>(p, 0), 13) << "TYPE";
    EXPECT_EQ(got[3].read<std::uint32_t>(p, 16), 7U) << "NUMBER";
    EXPECT_FLOAT_EQ(got[3].read<float>(p, 28), 5.0F) << "RADIUS";
    EXPECT_FLOAT_EQ(got[3].read<float>(p, 32), 10.0F) << "BIAS_X";
    EXPECT_FLOAT_EQ(got[3].read<float>(p, 36), -20.0F) << "BIAS_Z";
    EXPECT_FLOAT_EQ(got[1].read<float>(got[1].data<SIMCONNECT_RECV_FACILITY_DATA>(), 24), 150.0F)
        << "HEADING";

    const std::byte* h = got[4].data<SIMCONNECT_RECV_FACILITY_DATA>();
    EXPECT_EQ(got[4].as<SIMCONNECT_RECV_FACILITY_DATA>().Type, SIMCONNECT_FACILITY_DATA_HELIPAD);
    EXPECT_EQ(got[4].dataSize<SIMCONNECT_RECV_FACILITY_DATA>(), 44U);
    EXPECT_DOUBLE_EQ(got[4].read<double>(h, 0), 50.04);
    EXPECT_DOUBLE_EQ(got[4].read<double>(h, 8), 8.58);
    EXPECT_FLOAT_EQ(got[4].read<float>(h, 24), 90.0F) << "HEADING";
    EXPECT_FLOAT_EQ(got[4].read<float>(h, 32), 20.0F) << "WIDTH";
    EXPECT_EQ(got[4].read<std::int32_t>(h, 40), 2) << "TYPE";

    ASSERT_EQ(got[6].id(), SIMCONNECT_RECV_ID_FACILITY_DATA_END);
    EXPECT_EQ(got[6].as<SIMCONNECT_RECV_FACILITY_DATA_END>().RequestId, kRequest);
}

TEST_F(Facility, AnUnknownAirportIsAnExceptionWithThePacketOfTheRequest)
{
    SimConnect_RequestFacilityData(reader.h, kDefinition, kRequest, "ZZZZ", "");
    const DWORD packet = reader.lastPacket();
    world.advance(34);
    const auto got = reader.drain();
    ASSERT_EQ(got.size(), 1U);
    ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_EXCEPTION);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EXCEPTION>().dwSendID, packet);
}

TEST_F(Facility, EntriesOutOfPlaceAreRefused)
{
    for (const char* entry : {"NUMBER", "OPEN HELIPAD", "CLOSE AIRPORT", "OPEN RUNWAY", "WINGSPAN"})
    {
        SimConnect_AddToFacilityDefinition(reader.h, 1002, entry);
    }
    EXPECT_EQ(reader.drain(SIMCONNECT_RECV_ID_EXCEPTION).size(), 5U);
    SimConnect_RequestFacilityData(reader.h, 1003, kRequest, "EDDF", "");
    EXPECT_EQ(reader.drain(SIMCONNECT_RECV_ID_EXCEPTION).size(), 1U) << "no such definition";
}

TEST_F(Facility, OnlyTheBlocksTheDefinitionOpens)
{
    for (const char* entry : {"OPEN AIRPORT", "NAME", "CLOSE AIRPORT"})
    {
        SimConnect_AddToFacilityDefinition(reader.h, 1004, entry);
    }
    SimConnect_RequestFacilityData(reader.h, 1004, 2002, "EDDF", "");
    world.advance(34);
    const auto got = reader.drain();
    ASSERT_EQ(got.size(), 2U);
    EXPECT_EQ(got[0].dataSize<SIMCONNECT_RECV_FACILITY_DATA>(), 32U);
    EXPECT_EQ(got[1].id(), SIMCONNECT_RECV_ID_FACILITY_DATA_END);
}

} // namespace
} // namespace ovr::sim::test
