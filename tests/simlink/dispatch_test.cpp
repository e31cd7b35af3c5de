// The dispatch procedure: the simulator's exceptions, records of every kind
// read only within their bounds, and a handler's exception carried out of the
// dispatch call.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_error.h"
#include "link_fixture.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

namespace ovr::test
{
namespace
{

struct ExceptionCase
{
    const char* label;
    DWORD exception;
    const char* line;
};

class SimulatorException : public LinkTest, public ::testing::WithParamInterface<ExceptionCase>
{
};

TEST_P(SimulatorException, IsLoggedAsItsKindSays)
{
    startWorld();
    connect();
    world().raiseException(GetParam().exception, 0, 2, "Vora");
    step();
    EXPECT_EQ(logCount(GetParam().line), 1);
    EXPECT_EQ(g_stop.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SimulatorException,
    ::testing::Values(ExceptionCase{"TooManyObjects", 11, "SimConnect: too many objects (max 1000)"},
                      ExceptionCase{"InvalidDataSize", 19, "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"},
                      ExceptionCase{"FlightPlan", 23, "==> SimConnect exception: load flight plan failed"},
                      ExceptionCase{"InvalidForType", 24,
                                    "SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE"},
                      ExceptionCase{"Other", 31, "==> SIMCONNECT_EXCEPTION #31"}),
    caseLabel<ExceptionCase>);

class Dispatch : public LinkTest
{
  protected:
    // A record of `size` bytes of zeros with its header filled in.
    static std::vector<std::uint64_t> record(DWORD id, DWORD size)
    {
        std::vector<std::uint64_t> storage((size + 7) / 8, 0);
        auto* r = reinterpret_cast<SIMCONNECT_RECV*>(storage.data());
        r->dwSize = size;
        r->dwVersion = 6;
        r->dwID = id;
        return storage;
    }

    static void dispatch(std::vector<std::uint64_t>& storage)
    {
        auto* r = reinterpret_cast<SIMCONNECT_RECV*>(storage.data());
        lf_simDispatch(r, r->dwSize, nullptr);
    }

    // A data record of the request with the bytes as its block.
    static std::vector<std::uint64_t> data(DWORD id, DWORD request, DWORD object, const std::string& block)
    {
        constexpr DWORD kAt = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD);
        std::vector<std::uint64_t> storage = record(id, kAt + static_cast<DWORD>(block.size()));
        auto* d = reinterpret_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(storage.data());
        d->dwRequestID = request;
        d->dwObjectID = object;
        std::memcpy(reinterpret_cast<char*>(storage.data()) + kAt, block.data(), block.size());
        return storage;
    }
};

TEST_F(Dispatch, UnrecognisedIdsAreReportedOnlyWhileTheUserIsKnownAndNoStopRuns)
{
    startWorld();
    connect();
    world().raiseException(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 0, 2, "Vora");
    step();
    EXPECT_EQ(logCount("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"), 0) << "before the user's position is known";

    userTick();
    world().raiseException(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 0, 2, "Vora");
    step();
    EXPECT_EQ(logCount("==> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"), 1);

    g_stop.store(1);
    world().raiseException(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 0, 2, "Vora");
    step();
    EXPECT_EQ(logCount("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"), 1);
}

// A version mismatch is the user's to solve: it leaves the dispatch call as
// error 95, and what the same call still held is not acted on.
TEST_F(Dispatch, AProgramExceptionLeavesTheCallAndSkipsTheRest)
{
    startWorld();
    connect();
    world().raiseException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 0, 7, "Vora");
    world().loadFlight();
    world().advance(kFrameMs);
    try
    {
        lf_dispatchPending(h);
        FAIL() << "no exception";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(e.what(), "95: SimConnect Version Mismatch, dwIndex: 7");
    }
    EXPECT_EQ(g_stop.load(), 0) << "the flight load after it was not handled";
    EXPECT_EQ(lf_dispatchPending(h), S_OK) << "the next call starts clean";
}

TEST_F(Dispatch, TheThreadShowsAVersionMismatchAndEnds)
{
    startWorld();
    ClientThread client;
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load() == 1; }));
    world().raiseException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 0, 7, "Vora");
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
    EXPECT_EQ(gf_statusTexts().error, "95: SimConnect Version Mismatch, dwIndex: 7");
    EXPECT_EQ(g_stop.load(), 1);
    EXPECT_EQ(g_exitReason.load(), kExitSystemError);
    EXPECT_EQ(logCount("SimConnect closed ok"), 1);
}

TEST_F(Dispatch, ShortRecordsAreDropped)
{
    std::vector<std::uint64_t> exception = record(SIMCONNECT_RECV_ID_EXCEPTION, 16);
    dispatch(exception);
    EXPECT_EQ(logCount("! SimConnect record 1 of 16 bytes is too short, dropped"), 1);

    std::vector<std::uint64_t> header = record(SIMCONNECT_RECV_ID_SIMOBJECT_DATA, 20);
    dispatch(header);
    EXPECT_EQ(logCount("! SimConnect data record of 20 bytes has no header, dropped"), 1);

    std::vector<std::uint64_t> state =
        data(SIMCONNECT_RECV_ID_SIMOBJECT_DATA, kReqUserState, 1, std::string(52, 'x'));
    dispatch(state);
    EXPECT_EQ(logCount("==> SimConnect data of request 109 dropped: 52 bytes instead of 104"), 1);
    EXPECT_EQ(g_userState.latitude, 0.0);
    EXPECT_EQ(g_userObjectId.load(), 2U);

    std::vector<std::uint64_t> nearby =
        data(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, kReqNearby, 9, std::string(40, 'x'));
    dispatch(nearby);
    EXPECT_EQ(logCount("==> SimConnect data of request 101 dropped: 40 bytes instead of 56"), 1);
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(Dispatch, TextsAreReadWithinTheirFields)
{
    // An application name that fills its field without a NUL.
    std::vector<std::uint64_t> open = record(SIMCONNECT_RECV_ID_OPEN, sizeof(SIMCONNECT_RECV_OPEN));
    auto* o = reinterpret_cast<SIMCONNECT_RECV_OPEN*>(open.data());
    std::memset(o->szApplicationName, 'A', sizeof(o->szApplicationName));
    o->dwApplicationVersionMajor = 0x42424242;
    dispatch(open);
    const std::exception_ptr error = lf_takeDispatchError();
    ASSERT_TRUE(error);
    try
    {
        std::rethrow_exception(error);
    }
    catch (const UserErrorException& e)
    {
        EXPECT_EQ(std::string(e.what()),
                  "77: '" + std::string(256, 'A') + "' not being MSFS 2020 or MSFS 2024 connects ... ?");
    }

    // An ATC ID of 32 characters with more text behind it in the record.
    g_userObjectId.store(1);
    g_newObjectIds.push_back(9);
    g_pendingCreates.push_back({5, 0x3C0001, std::string(32, 'X')});
    std::string block(56 + 8, 'Y');
    std::memset(block.data(), 0, 24);
    std::memset(block.data() + 24, 'X', 32);
    std::vector<std::uint64_t> nearby = data(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, kReqNearby, 9, block);
    dispatch(nearby);
    const std::vector<SimEvent> events = takeEvents();
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].key, 0x3C0001U);

    // A title that runs to the end of its record.
    std::vector<std::uint64_t> title = data(SIMCONNECT_RECV_ID_SIMOBJECT_DATA, kReqUserTitle, 1, "Cessna");
    dispatch(title);
    EXPECT_EQ(g_userTitle, "Cessna");
}

TEST_F(Dispatch, OtherRecordsAreIgnoredOrNamed)
{
    for (const DWORD ignored : {12U, 16U, 27U})
    {
        std::vector<std::uint64_t> r = record(ignored, 24);
        dispatch(r);
    }
    std::vector<std::uint64_t> unknown = record(99, 12);
    dispatch(unknown);
    lf_simDispatch(nullptr, 0, nullptr);
    EXPECT_EQ(logLines(), std::vector<std::string>{"! Unknown Dispatch dwID 99"});
}

} // namespace
} // namespace ovr::test
