// Every record the readers decode from the fake service's replies and from
// the fuzz seeds, field by field, against the records the first decoder of
// these replies produced (tests/service/golden/decoded_replies.txt). A
// faster decoder must not change one of them. VORA_WRITE_GOLDEN=1 writes the
// file afresh instead of comparing.
#include "core/code_pool.h"
#include "core/parameters.h"
#include "fake-rt/scenario.h"
#include "fake-rt/traffic_generator.h"
#include "liveries/model_database.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "service_test_support.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <sstream>
#include <vector>

namespace ovr::test
{
namespace
{

using nlohmann::json;

constexpr double kNow = 1750000000.25;
const std::filesystem::path kSource = VORA_SOURCE_DIR;
const std::filesystem::path kGolden = kSource / "tests/service/golden/decoded_replies.txt";

std::vector<TrafficRecord> g_decoded;

void lf_takeDecoded(const TrafficRecord& record)
{
    g_decoded.push_back(record);
}

std::string lf_optional(const std::optional<double>& value)
{
    return value ? fmt::format("{:.17g}", *value) : std::string{"-"};
}

std::string lf_key(const FlightKey& key)
{
    return fmt::format("{}/{}/{}/{}/{}", g_airlineCodes.text(key.airline), g_airlineCodes.text(key.secondAirline),
                       g_modelCodes.text(key.model), key.cargo, key.mark);
}

std::string lf_live(const TrafficRecord& r)
{
    const PositionSample& s = r.sample;
    return fmt::format("  {:x} {} cs={} reg={} {}>{} t={:.17g} pos={:.17g},{:.17g} alt={:.17g} gs={:.17g} "
                       "trk={:.17g} vs={:.17g} tas={:.17g} air={} gnd={} hk={} bank={} hdg={}\n",
                       r.hexId, lf_key(r.key), r.callsign, r.registration, r.origin.text(),
                       r.destination.text(), r.dataTime, s.latitude, s.longitude, s.altitude, s.groundSpeed,
                       s.track, s.verticalRate, s.trueAirspeed, s.airborne, s.onGround, s.headingKnown,
                       lf_optional(r.bank), lf_optional(r.trueHeading));
}

std::string lf_parked(const ParkedTrafficRecord& r)
{
    return fmt::format("  {:x} {} cs={} reg={} slot={} pos={:.17g},{:.17g} stand={}\n", r.hexId, lf_key(r.key),
                       r.callsign, r.registration, r.slot, r.latitude, r.longitude, r.standName);
}

std::string lf_collected(TrafficReader& reader)
{
    CollectedIdentities seen = reader.takeCollected();
    std::vector<std::string> callsigns(seen.callsigns.begin(), seen.callsigns.end());
    std::vector<std::uint32_t> ids(seen.ids.begin(), seen.ids.end());
    std::sort(callsigns.begin(), callsigns.end());
    std::sort(ids.begin(), ids.end());
    return fmt::format("  seen {} / {}\n", fmt::join(callsigns, ","), fmt::join(ids, ","));
}

// The reply both ways the Traffic Reader takes one.
std::string lf_traffic(const std::string& name, const std::string& reply)
{
    std::string out = fmt::format("== traffic {}\n", name);
    TrafficReader& reader = g_trafficReader;
    g_decoded.clear();
    reader.dataTime.store(0.0);
    try
    {
        std::int32_t status = 0;
        const bool taken = reader.takeBufferedReply(reply, status);
        out += fmt::format(" buffered {} status {} rrl {} data time {:.17g}\n", taken, status, reader.rrl.load(),
                           reader.dataTime.load());
    }
    catch (const std::exception&)
    {
        out += " buffered refused\n";
    }
    for (const TrafficRecord& r : g_decoded)
    {
        out += lf_live(r);
    }
    out += lf_collected(reader);
    reader.liveRecords.clear();
    reader.dataTime.store(0.0);
    reader.rrl.store(kDefaultRateLimitMs);
    try
    {
        const std::int32_t status = reader.takeLiveReply(reply);
        out += fmt::format(" live status {} rrl {} data time {:.17g} count {}\n", status, reader.rrl.load(),
                           reader.dataTime.load(), reader.liveCount.load());
    }
    catch (const std::exception&)
    {
        out += " live refused\n";
    }
    {
        const std::scoped_lock lock(g_trafficMutex);
        for (const TrafficRecord& r : g_trafficHandover)
        {
            out += lf_live(r);
        }
        g_trafficHandover.clear();
    }
    reader.liveRecords.clear();
    reader.rrl.store(kDefaultRateLimitMs);
    return out;
}

std::string lf_parkedReply(const std::string& name, const std::string& reply)
{
    std::string out = fmt::format("== parked {}\n", name);
    TrafficReader& reader = g_trafficReader;
    std::int32_t status = 1;
    try
    {
        status = reader.decodeParkedReply(reply);
    }
    catch (const std::exception&)
    {
        reader.parkedBatch.clear();
        out += " refused\n";
    }
    out += fmt::format(" status {} rrl {}\n", status, reader.rrl.load());
    for (const ParkedTrafficRecord& r : reader.parkedBatch)
    {
        out += lf_parked(r);
    }
    reader.parkedBatch.clear();
    reader.rrl.store(kDefaultRateLimitMs);
    return out;
}

std::string lf_weather(const std::string& name, const std::string& reply)
{
    std::string out = fmt::format("== weather {}\n", name);
    WeatherReader& reader = g_weatherReader;
    try
    {
        std::int32_t status = 0;
        reader.lastQnh = 1013;
        const std::int32_t replyStatus = reader.takeWeatherReply(reply, status);
        out += fmt::format(" reply {} status {} wrrl {} qnh {}\n", replyStatus, status, reader.wrrl.load(),
                           reader.lastQnh);
    }
    catch (const std::exception&)
    {
        out += " refused\n";
    }
    try
    {
        std::int32_t status = 0;
        const bool found = reader.takeMetarReply(reply, status);
        out += fmt::format(" metar {} status {} station {}\n", found, status, reader.airports);
    }
    catch (const std::exception&)
    {
        out += " metar refused\n";
    }
    reader.airports.clear();
    reader.wrrl.store(kDefaultRateLimitMs);
    return out;
}

// An airborne A320 near the reference position, as the text of a live
// array; `edit` changes it first.
std::string lf_array(const char* callsign, const std::function<void(json&)>& edit = {})
{
    json a = json::array();
    for (int i = 0; i < 48; ++i)
    {
        a.push_back(nullptr);
    }
    a[0] = "4ca7b2";
    a[1] = 50.1;
    a[2] = 8.57;
    a[3] = 250.0;
    a[4] = 3000;
    a[5] = 180.0;
    a[8] = "A320";
    a[9] = "D-AIZA";
    a[10] = 1750000000.5;
    a[13] = callsign;
    a[17] = "X_adsb_icao";
    a[20] = 200;
    a[23] = 5.0;
    a[25] = 252.0;
    if (edit)
    {
        edit(a);
    }
    return a.dump();
}

std::string lf_replaced(std::string text, std::initializer_list<std::pair<std::string, std::string>> replacements)
{
    for (const auto& [from, to] : replacements)
    {
        text.replace(text.find(from), from.size(), to);
    }
    return text;
}

// Replies written by hand for what a JSON reader may read its own way:
// repeated names, names out of order, numbers at the edges, values of
// another kind where the decoder looks, text that is not all JSON.
std::vector<std::pair<std::string, std::string>> lf_edgeReplies()
{
    const std::string a = lf_array("AAA1");
    const std::string b = lf_array("BBB2", [](json& x) { x[0] = "4ca7b3"; });
    const std::string c = lf_array("CCC3", [](json& x) { x[0] = "4ca7b4"; x[10] = 1750000001.5; });
    return {
        {"repeated member", R"({"status":200,"data":{"k2":)" + a + R"(,"k1":)" + b + R"(,"k2":)" + c + "}}"},
        {"names out of order", R"({"status":200,"data":{"z":)" + c + R"(,"a":)" + a + R"(,"m":)" + b + "}}"},
        {"repeated member last not an aircraft", R"({"status":200,"data":{"k":)" + a + R"(,"k":[1,2]}})"},
        {"repeated data", R"({"status":200,"data":{"x":)" + a + R"(},"data":{"y":)" + b + "}}"},
        {"repeated status", R"({"status":406,"rrl":1500,"status":200,"data":[)" + a + "]}"},
        {"status a float", R"({"status":200.7,"rrl":2500.2,"data":[)" + a + "," + b + "]}"},
        {"status a text", R"({"status":"200","data":[)" + a + "]}"},
        {"rrl beyond 32 bits", R"({"status":200,"rrl":3000000000,"data":[)" + a + "]}"},
        {"rrl beyond 63 bits", R"({"status":406,"rrl":9223372036854775808,"message":"wait"})"},
        {"message not a text", R"({"status":406,"rrl":1200,"message":[1]})"},
        {"numbers at the edges", R"({"status":200,"data":[)" +
                                     lf_array("EDG1", [](json& x) { x[10] = 1; x[3] = -0.0; x[15] = 1e300; }) +
                                     "," + lf_array("EDG2", [](json& x) { x[0] = "4ca7c0"; x[4] = 0; }) + "]}"},
        {"integers beyond 63 and 64 bits", R"({"status":200,"data":[)" +
                                               lf_replaced(lf_array("BIG1", [](json& x) { x[3] = "@3"; x[5] = "@5"; }),
                                                           {{"\"@3\"", "18446744073709551616"},
                                                            {"\"@5\"", "9223372036854775808"}}) +
                                               "," + lf_replaced(lf_array("BIG2", [](json& x) { x[0] = "4ca7c3"; x[15] = "@"; }),
                                                                 {{"\"@\"", "-0"}}) + "]}"},
        {"kept positions of other kinds", R"({"status":200,"data":[)" +
                                              lf_array("OTH1", [](json& x) { x[9] = json::object({{"a", 1}}); x[11] = json::array({"FRA"}); x[25] = true; x[1] = "50.1"; }) +
                                              "," + lf_array("OTH2", [](json& x) { x[0] = "4ca7c1"; x[13] = json::array({"X"}); x[20] = "fast"; }) + "]}"},
        {"escaped texts", R"({"status":200,"data":{"A":)" +
                              lf_array("\u0044LH1", [](json& x) { x[0] = "4ca7c2"; }) + "}}"},
        {"an overflowing number unread", R"({"status":200,"data":[)" + a + R"(],"other":1e400})"},
        {"content after the reply", R"({"status":200,"data":[)" + a + "]} x"},
        {"an invalid literal unread", R"({"status":200,"data":[)" + a + R"(],"other":[tru]})"},
        {"buffers repeated and out of order",
         R"({"status":200,"data":{"buffer_0":[)" + a + R"(],"buffer_4":[)" + b + R"(],"buffer_0":{"q":)" + c +
             R"(},"buffer_9":[)" + a + "]}}"},
        {"buffers in an array", R"({"status":200,"data":[[)" + a + "]]}"},
        {"data a number", R"({"status":200,"data":5})"},
        {"data empty", R"({"status":200,"data":{}})"},
        {"data null", R"({"status":200,"data":null})"},
        {"a whole number", "5"},
    };
}

std::vector<std::filesystem::path> lf_seeds(const char* target)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSource / "fuzz/corpus" / target))
    {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string lf_read(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DecodedRepliesTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        setParkAirport(frankfurt());
        setUserPosition(50.1, 8.6, 3000.0);
        setKnownModels({"A320", "A321", "B738", "B744", "B752", "B763", "A388", "C172"});
        g_largeModels = {gf_modelId("A320"), gf_modelId("A321"), gf_modelId("B738"), gf_modelId("B752"),
                         gf_modelId("B763"), gf_modelId("A388")};
        g_heavyModels = {gf_modelId("B744")};
        g_trafficReader.refPos = LatLon{50.0379, 8.5622};
        g_trafficReader.parkElevation = std::optional<double>{364.0};
        g_rangeNm.store(40.0);
        gf_setReceivedTaker(&lf_takeDecoded);
        const std::scoped_lock lock(g_trafficMutex);
        g_running = 1;
    }
    void TearDown() override
    {
        gf_setReceivedTaker(nullptr);
        g_largeModels.clear();
        g_heavyModels.clear();
        resetServiceState();
    }
    LogCapture m_log;
};

// Every reply of the comparison decoded, as the lines of the golden file.
std::string lf_decodeAll()
{
    std::string out;
    for (const auto& file : lf_seeds("traffic_reply"))
    {
        out += lf_traffic(file.filename().string(), lf_read(file));
    }
    // One aircraft array per reply, padded to the size of a live array.
    for (const auto& file : lf_seeds("live_record"))
    {
        json value = json::parse(lf_read(file), nullptr, false);
        if (value.is_array())
        {
            value.get_ref<json::array_t&>().resize(48);
        }
        const json reply = {{"status", 200}, {"data", {{"a", value}}}};
        out += lf_traffic(file.filename().string(), reply.dump());
    }
    for (const auto& [name, reply] : lf_edgeReplies())
    {
        out += lf_traffic(name, reply);
        out += lf_parkedReply(name, reply);
        out += lf_weather(name, reply);
    }
    const fakert::Scenario scenario = fakert::loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", kNow);
    const fakert::TrafficGenerator generator(scenario);
    const fakert::Box box{50.70, 49.37, 7.53, 9.61};
    for (const int bad : {0, 20, 40})
    {
        json buffers = json::object();
        for (int k = 0; k < 5; ++k)
        {
            const double t = kNow + 600.0 * k;
            const json data = fakert::TrafficGenerator::toData(generator.liveTraffic(t, box, bad));
            const json reply = {{"status", 200}, {"rrl", 1500}, {"data", data}};
            out += lf_traffic(fmt::format("generated {} bad at {}", bad, k), reply.dump());
            buffers[fmt::format("buffer_{}", 4 - k)] = data;
        }
        const json reply = {{"status", 200}, {"rrl", 3000}, {"data", buffers}};
        out += lf_traffic(fmt::format("generated buffers {} bad", bad), reply.dump());
    }
    for (const auto& file : lf_seeds("parked_reply"))
    {
        out += lf_parkedReply(file.filename().string(), lf_read(file));
    }
    for (const auto& file : lf_seeds("parked_record"))
    {
        json value = json::parse(lf_read(file), nullptr, false);
        std::string member = "3c6444";
        if (value.is_object() && !value.empty())
        {
            member = value.begin().key();
            value = json(value.begin().value());
        }
        const json reply = {{"status", 200}, {"data", {{member, value}}}};
        out += lf_parkedReply(file.filename().string(), reply.dump());
    }
    for (const auto& file : lf_seeds("weather_reply"))
    {
        out += lf_weather(file.filename().string(), lf_read(file));
    }
    return out;
}

void lf_expectGolden(const std::string& out)
{
    const std::string expected = lf_read(kGolden);
    ASSERT_FALSE(expected.empty()) << kGolden;
    std::istringstream got(out);
    std::istringstream want(expected);
    std::string gotLine;
    std::string wantLine;
    int line = 0;
    while (std::getline(want, wantLine))
    {
        ++line;
        ASSERT_TRUE(std::getline(got, gotLine)) << "missing from line " << line << ": " << wantLine;
        ASSERT_EQ(gotLine, wantLine) << "line " << line;
    }
    EXPECT_FALSE(std::getline(got, gotLine)) << "more lines than expected: " << gotLine;
}

TEST_F(DecodedRepliesTest, SameRecordsAsTheFirstDecoder)
{
    const std::string out = lf_decodeAll();
    if (std::getenv("VORA_WRITE_GOLDEN") != nullptr)
    {
        std::filesystem::create_directories(kGolden.parent_path());
        std::ofstream(kGolden, std::ios::binary) << out;
        GTEST_SKIP() << "wrote " << kGolden;
    }
    lf_expectGolden(out);
}

// A long reply's aircraft are read a second time as they are taken rather
// than kept from the first read; every reply read that way gives the same
// records.
TEST_F(DecodedRepliesTest, SameRecordsReadTwice)
{
    g_trafficReader.replies.setRereadAbove(0);
    const std::string out = lf_decodeAll();
    g_trafficReader.replies.setRereadAbove(kRereadAbove);
    lf_expectGolden(out);
}

} // namespace
} // namespace ovr::test
