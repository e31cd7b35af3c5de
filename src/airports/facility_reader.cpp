// The answer to one facility request is a stream of FACILITY_DATA records,
// the airport's block first, then one block per taxi parking and helipad,
// closed by FACILITY_DATA_END. Each block is laid out as the definition
// built at open lists its fields. Parkings are given as offsets from the
// airport's reference point, helipads with their own position.
//
// Every request gets an id of its own and only records of that id count, so
// that a late answer to an abandoned request is never taken for the next
// airport's. The wait ends with the answer, a failing dispatch, a stop, or
// after a while without any message.
#include "airports/facility_reader.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <fmt/format.h>

#include "airports/apf_format.h"
#include "airports/facility_reader_detail.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/received_record.h"
#include "core/user_error.h"

namespace ovr
{

HANDLE g_parkingDataRdr = nullptr;
bool g_parkingDataRdrOpen = false;

namespace
{

constexpr DWORD kDefinition = 1001;
constexpr DWORD kFirstRequest = 2001;
constexpr std::int32_t kErrorRestart = 111;
constexpr std::size_t kExpectedStands = 512;
constexpr std::uint16_t kParkingNone = 0;
constexpr std::uint16_t kParkingVehicles = 13;
constexpr std::int32_t kSquareHelipad = 2;

constexpr const char* kDefinitionEntries[] = {"OPEN AIRPORT",
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

// Offsets of the fields used, and the length of each block.
namespace airport
{
constexpr std::size_t kLatitude = 0, kLongitude = 8, kAltitude = 16, kName = 24, kNameBytes = 32, kSize = 64;
}
namespace parking
{
constexpr std::size_t kType = 0, kNumber = 16, kHeading = 24, kRadius = 28, kBiasX = 32, kBiasZ = 36,
                      kSize = 40;
}
namespace helipad
{
constexpr std::size_t kLatitude = 0, kLongitude = 8, kHeading = 24, kWidth = 32, kType = 40, kSize = 44;
}

constexpr std::size_t kDataAt = sizeof(SIMCONNECT_RECV_FACILITY_DATA) - sizeof(DWORD);

std::chrono::milliseconds g_wait{30000};
DWORD g_nextRequest = kFirstRequest;

struct FacilityRequest
{
    std::string icao;
    DWORD requestId = 0;
    std::string name;
    LatLon reference;
    double elevationFeet = 0.0;
    std::vector<Stand> stands;
    bool done = false;
    std::uint64_t messages = 0;
    std::exception_ptr error;
};

template <class T> T lf_read(std::span<const std::byte> block, std::size_t offset)
{
    T value{};
    std::memcpy(&value, block.data() + offset, sizeof(T));
    return value;
}

bool lf_fits(const FacilityRequest& request, std::span<const std::byte> block, std::size_t size,
             std::string_view kind)
{
    if (block.size() >= size)
        return true;
    gf_logWarning(fmt::format("Fac: {} {} block of {} bytes is shorter than {} bytes, dropped", request.icao,
                              kind, block.size(), size));
    return false;
}

void lf_onAirport(FacilityRequest& request, std::span<const std::byte> block)
{
    if (!lf_fits(request, block, airport::kSize, "airport"))
        return;
    request.reference = {lf_read<double>(block, airport::kLatitude),
                         lf_read<double>(block, airport::kLongitude)};
    request.elevationFeet = lf_read<double>(block, airport::kAltitude) * kFeetPerMetre;
    request.name =
        gf_fieldText(reinterpret_cast<const char*>(block.data() + airport::kName), airport::kNameBytes);
}

void lf_onHelipad(FacilityRequest& request, std::span<const std::byte> block)
{
    if (!lf_fits(request, block, helipad::kSize, "helipad"))
        return;
    const double width = lf_read<float>(block, helipad::kWidth);
    const double radius =
        width * (lf_read<std::int32_t>(block, helipad::kType) == kSquareHelipad ? 0.7 : 0.5);
    const double latitude = lf_read<double>(block, helipad::kLatitude);
    const double longitude = lf_read<double>(block, helipad::kLongitude);
    if (!gf_standGeometryValid(latitude, longitude, radius))
    {
        gf_logWarning(fmt::format("Fac: {} helipad with an invalid position or size, dropped", request.icao));
        return;
    }
    request.stands.push_back(gf_makeStand({}, {}, latitude, longitude,
                                          lf_read<float>(block, helipad::kHeading) * kDegToRad, radius, 0,
                                          false, false, true));
}

void lf_onParking(FacilityRequest& request, std::span<const std::byte> block)
{
    if (!lf_fits(request, block, parking::kSize, "taxi parking"))
        return;
    LatLon position = request.reference;
    const double biasX = lf_read<float>(block, parking::kBiasX);
    const double biasZ = lf_read<float>(block, parking::kBiasZ);
    if (biasX != 0.0)
        position = gf_destinationPoint(position, biasX > 0.0 ? kPi / 2.0 : 3.0 * kPi / 2.0,
                                       std::fabs(biasX) * kFeetPerMetre);
    if (biasZ != 0.0)
        position = gf_destinationPoint(position, biasZ > 0.0 ? 0.0 : kPi, std::fabs(biasZ) * kFeetPerMetre);

    const auto type = static_cast<std::uint16_t>(lf_read<std::uint32_t>(block, parking::kType) & 0xFFFFu);
    if (type == kParkingNone || type == kParkingVehicles)
        return;
    const double radius = lf_read<float>(block, parking::kRadius);
    const auto number = static_cast<std::int32_t>(lf_read<std::uint32_t>(block, parking::kNumber));
    if (!gf_standGeometryValid(position.lat, position.lon, radius))
    {
        gf_logWarning(fmt::format("Fac: {} parking {} with an invalid position or radius, dropped", request.icao,
                                  number));
        return;
    }
    Stand stand = gf_makeStand({}, {}, position.lat, position.lon,
                               lf_read<float>(block, parking::kHeading) * kDegToRad, radius, type, false, false,
                               false);
    stand.numericId = number;
    request.stands.push_back(std::move(stand));
}

void onRecvFacilityData(FacilityRequest& request, const SIMCONNECT_RECV_FACILITY_DATA& data, DWORD bytes)
{
    if (data.UserRequestId != request.requestId)
        return;
    try
    {
        const auto* start = reinterpret_cast<const std::byte*>(&data) + kDataAt;
        const std::span<const std::byte> block(start, bytes - kDataAt);
        switch (data.Type)
        {
        case SIMCONNECT_FACILITY_DATA_AIRPORT:
            lf_onAirport(request, block);
            break;
        case SIMCONNECT_FACILITY_DATA_HELIPAD:
            lf_onHelipad(request, block);
            break;
        case SIMCONNECT_FACILITY_DATA_TAXI_PARKING:
            lf_onParking(request, block);
            break;
        default:
            break;
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{} exception: {}", "onRecvFacilityData", e.what()));
    }
}

void lf_dispatch(FacilityRequest& request, const SIMCONNECT_RECV& record, DWORD size)
{
    const DWORD bytes = gf_recordBytes(record, size);
    switch (record.dwID)
    {
    case SIMCONNECT_RECV_ID_EXCEPTION:
        if (const auto* e = gf_recordAs<SIMCONNECT_RECV_EXCEPTION>(record, size))
        {
            gf_logWarning(fmt::format("SimConnect EXCEPTION id={} sendID={} index={}", e->dwException,
                                      e->dwSendID, e->dwIndex));
            throw UserErrorException(kErrorRestart, "restart");
        }
        break;
    case SIMCONNECT_RECV_ID_FACILITY_DATA:
        if (bytes >= kDataAt)
            onRecvFacilityData(request, static_cast<const SIMCONNECT_RECV_FACILITY_DATA&>(record), bytes);
        break;
    case SIMCONNECT_RECV_ID_FACILITY_DATA_END:
        if (const auto* end = gf_recordAs<SIMCONNECT_RECV_FACILITY_DATA_END>(record, size);
            end != nullptr && end->RequestId == request.requestId)
            request.done = true;
        break;
    default:
        break;
    }
}

// The simulator's library calls this; an exception must not unwind through
// it, so it is kept and thrown again once the dispatch call has returned.
void CALLBACK lf_dispatchProc(SIMCONNECT_RECV* record, DWORD size, void* context)
{
    auto& request = *static_cast<FacilityRequest*>(context);
    ++request.messages;
    if (request.error || record == nullptr)
        return;
    try
    {
        lf_dispatch(request, *record, size);
    }
    catch (...)
    {
        request.error = std::current_exception();
    }
}

bool lf_openClient()
{
    const HRESULT hr = SimConnect_Open(&g_parkingDataRdr, "PARKING_DATA_RDR", nullptr, 0, nullptr, 0);
    if (FAILED(hr))
    {
        g_parkingDataRdr = nullptr;
        gf_logWarning(fmt::format("SimConnect_Open (PARKING_DATA_RDR) FAILED hr=0x{:08X}",
                                  static_cast<std::uint32_t>(hr)));
        return false;
    }
    for (const char* entry : kDefinitionEntries)
        SimConnect_AddToFacilityDefinition(g_parkingDataRdr, kDefinition, entry);
    g_parkingDataRdrOpen = true;
    return true;
}

// Dispatches until the answer has ended; false when it will not.
bool lf_awaitAnswer(FacilityRequest& request)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastMessage = Clock::now();
    while (!request.done)
    {
        if (gf_isQuiet())
            return false;
        const std::uint64_t before = request.messages;
        const HRESULT hr = SimConnect_CallDispatch(g_parkingDataRdr, &lf_dispatchProc, &request);
        if (request.error)
            std::rethrow_exception(request.error);
        if (FAILED(hr))
        {
            gf_logWarning(fmt::format("SimConnect_CallDispatch (PARKING_DATA_RDR) FAILED hr=0x{:08X}",
                                      static_cast<std::uint32_t>(hr)));
            gf_closeFacilityReader();
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (request.messages != before)
            lastMessage = now;
        else if (now - lastMessage >= g_wait)
        {
            gf_logWarning(fmt::format("Fac: no answer for {} within {} ms", request.icao, g_wait.count()));
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::uint32_t lf_nameStands(std::vector<Stand>& stands)
{
    std::uint32_t helipads = 0;
    std::unordered_map<std::int32_t, std::uint32_t> repeats;
    repeats.max_load_factor(1.0f);
    repeats.reserve(stands.size());
    for (Stand& stand : stands)
    {
        if (stand.heli != 0)
        {
            stand.name = fmt::format("helipad{}", ++helipads);
            continue;
        }
        std::uint32_t& repeat = repeats[stand.numericId];
        const auto number = static_cast<std::uint32_t>(stand.numericId);
        stand.name = repeat == 0 ? fmt::format("{}", number)
                                 : fmt::format("{}{}", number, detail::repeatSuffix(repeat));
        ++repeat;
    }
    return helipads;
}

std::int32_t lf_feet(double feet)
{
    return std::isfinite(feet) && std::fabs(feet) < 1e9 ? static_cast<std::int32_t>(feet) : 0;
}

} // namespace

bool gf_readFacility(std::string_view icaoText, AirportStands& record, std::uint32_t& helipads)
{
    IcaoCode icao;
    try
    {
        icao = IcaoCode(icaoText);
    }
    catch (const std::invalid_argument& e)
    {
        gf_logWarning(fmt::format("{}: {}", "gf_readFacility", e.what()));
        return false;
    }
    if (!g_parkingDataRdrOpen && !lf_openClient())
        return false;

    FacilityRequest request;
    request.icao = icao.text();
    request.requestId = g_nextRequest++;
    request.stands.reserve(kExpectedStands);
    if (FAILED(SimConnect_RequestFacilityData(g_parkingDataRdr, kDefinition, request.requestId,
                                              request.icao.c_str(), "")))
    {
        gf_logWarning(fmt::format("RequestFacilityData failed for {}", request.icao));
        return false;
    }
    if (!lf_awaitAnswer(request))
        return false;

    helipads = lf_nameStands(request.stands);
    record.icao = icao;
    record.sourceKind = 1;
    record.name = std::move(request.name);
    record.elevation = lf_feet(request.elevationFeet);
    record.stands = std::move(request.stands);
    if (record.stands.empty())
        gf_log(fmt::format("Fac: {} has no stands", request.icao));
    return true;
}

void gf_closeFacilityReader()
{
    if (g_parkingDataRdrOpen)
        SimConnect_Close(g_parkingDataRdr);
    g_parkingDataRdr = nullptr;
    g_parkingDataRdrOpen = false;
}

namespace detail
{

void setFacilityWait(std::chrono::milliseconds wait)
{
    g_wait = wait;
}

std::span<const char* const> facilityDefinitionEntries()
{
    return kDefinitionEntries;
}

std::string repeatSuffix(std::uint32_t n)
{
    std::string suffix;
    while (n > 0)
    {
        const std::uint32_t m = n - 1;
        suffix.insert(suffix.begin(), static_cast<char>('a' + m % 26));
        n = m / 26;
    }
    return suffix;
}

} // namespace detail

} // namespace ovr
