#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "plot.h"
#include "trace_model.h"

namespace fs = std::filesystem;
using namespace ovr::traceplot;

namespace
{

// One object of an object table, as the stand-in writes it.
std::string object(long long id, const std::string& atcId, bool user, const std::string& owner, double lat, double lon,
                   double alt, bool onGround)
{
    return fmt::format(R"({{"id":{},"atc_id":"{}","user":{},"owner":"{}","lat":{},"lon":{},"alt_ft":{},)"
                       R"("on_ground":{},"title":"T{}"}})",
                       id, atcId, user ? "true" : "false", owner, lat, lon, alt, onGround ? "true" : "false", id);
}

std::string table(double tMs, const std::vector<std::string>& objects)
{
    std::string joined;
    for (const std::string& o : objects)
        joined += (joined.empty() ? "" : ",") + o;
    return fmt::format(R"({{"t_ms":{},"kind":"objects","objects":[{}]}})", tMs, joined) + "\n";
}

Trace traceOf(const std::string& text)
{
    std::istringstream in(text);
    return readTrace(in);
}

LogCounts logOf(const std::string& text)
{
    std::istringstream in(text);
    return readLog(in);
}

fs::path writeFile(const std::string& name, const std::string& text)
{
    const fs::path path = fs::path(testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

} // namespace

TEST(TraceRead, ObjectsAreToldApartByOwnerUserAndTail)
{
    struct Case
    {
        const char* atcId;
        bool user;
        const char* owner;
        ObjectKind kind;
    };
    const Case cases[] = {
        {"D-AINA", true, "", ObjectKind::user},
        {"AS-GEN", false, "", ObjectKind::other},
        {"AS-GEN", false, "OtherTool", ObjectKind::other},
        {"DLH824", false, "Vora", ObjectKind::live},
        {"DLH4AB*", false, "Vora", ObjectKind::parkedStatic},
        {"", false, "Vora", ObjectKind::live},
    };
    for (const Case& c : cases)
    {
        const Trace trace = traceOf(table(1000, {object(7, c.atcId, c.user, c.owner, 50.0, 8.5, 300, true)}));
        ASSERT_EQ(trace.objects.size(), 1u) << c.atcId;
        EXPECT_EQ(trace.objects[0].kind, c.kind) << c.atcId << " owner " << c.owner;
    }
}

TEST(TraceRead, SamplesFollowTheIdUntilItComesBackWithAnotherTail)
{
    const std::string text = "not json\n" + table(1000, {object(4, "DLH1", false, "Vora", 50.0, 8.0, 900, false)}) +
                             R"({"t_ms":1500,"kind":"msg","record":"EXCEPTION","fields":{}})" "\n" +
                             table(2000, {object(4, "DLH1", false, "Vora", 50.1, 8.1, 800, false)}) +
                             R"({"t_ms":2500,"kind":"call","fn":"SimConnect_AIRemoveObject"})" "\n" +
                             table(3000, {object(4, "BAW2*", false, "Vora", 50.2, 8.2, 300, true)}) +
                             R"({"kind":"objects","objects":[{"id":9}]})" "\n";
    const Trace trace = traceOf(text);
    EXPECT_EQ(trace.objectTables, 4);
    EXPECT_EQ(trace.exceptions, 1);
    ASSERT_EQ(trace.objects.size(), 2u);
    EXPECT_EQ(trace.objects[0].callsign, "DLH1");
    ASSERT_EQ(trace.objects[0].samples.size(), 2u);
    EXPECT_DOUBLE_EQ(trace.objects[0].samples[1].lat, 50.1);
    EXPECT_DOUBLE_EQ(trace.objects[0].samples[1].tMs, 2000);
    EXPECT_EQ(trace.objects[1].kind, ObjectKind::parkedStatic);
    EXPECT_EQ(trace.objects[1].samples.size(), 1u);
}

TEST(TraceRead, LandedMeansAirborneFirstThenOnTheGround)
{
    struct Case
    {
        std::vector<bool> onGround;
        bool landed;
    };
    const Case cases[] = {
        {{false, false, true}, true},   {{false, true, false}, true}, {{true, true, true}, false},
        {{true, false, false}, false},  {{false, false}, false},      {{}, false},
    };
    for (const Case& c : cases)
    {
        TracedObject o;
        for (bool g : c.onGround)
            o.samples.push_back(Sample{0, 0, 0, 0, g});
        EXPECT_EQ(o.landed(), c.landed) << ::testing::PrintToString(c.onGround);
    }
}

TEST(LogRead, ParkingLinesErrorsAndTheListWithoutLivery)
{
    const std::string log = "Fri Dec 11 02:44:58 2026 (utc) Vora version 12.5.5\n"
                            "A26     : DLH100   parks\n"
                            "B44     : DLH400   parks over static DLH7*   \n"
                            "V155    : CFG77    arrived at stand\n"
                            "          towed aircraft DLH9 parks\n"
                            "          SimConnect: User aircraft title: Airbus A320 Neo Asobo\n"
                            "Download error: 'download service not configured (VORA_DOWNLOAD_BASE)' for versions.json\n"
                            "==> Downloading version info from my web site failed!\n"
                            "No errors\n"
                            "SimConnect request StaticCG fails\n"
                            "Error writing file output/x.txt: disk full\n"
                            "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE\n"
                            "Exiting: USER CLOSED SIM\n"
                            "No match found for:\n"
                            "GEC     B77L     D-ALFF\n"
                            "BOX     B77L     D-AALB\n"
                            "\n"
                            "Fri Dec 11 02:45:38 2026\n";
    const LogCounts counts = logOf(log);
    EXPECT_EQ(counts.parkedOnCreation, 2);
    EXPECT_EQ(counts.arrivedAtStand, 1);
    EXPECT_EQ(counts.noLivery, 2);
    EXPECT_EQ(counts.downloadLines, 2);
    EXPECT_EQ(counts.errors, (std::vector<std::string>{"SimConnect request StaticCG fails",
                                                       "Error writing file output/x.txt: disk full",
                                                       "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"}));
    EXPECT_EQ(counts.exitReason, "USER CLOSED SIM");
}

TEST(LogRead, AnEmptyLogCountsNothing)
{
    const LogCounts counts = logOf("");
    EXPECT_EQ(counts.parkedOnCreation + counts.arrivedAtStand + counts.noLivery + counts.downloadLines, 0);
    EXPECT_TRUE(counts.errors.empty());
    EXPECT_TRUE(counts.exitReason.empty());
}

TEST(Summary, CountsWhatTheTraceAndTheLogShow)
{
    const std::string text =
        table(1000, {object(1000, "D-AINA", true, "", 50.0, 8.5, 364, true),
                     object(4, "DLH1", false, "Vora", 50.1, 8.6, 1500, false),
                     object(5, "DLH2", false, "Vora", 50.1, 8.7, 3000, false),
                     object(6, "DLH3*", false, "Vora", 50.04, 8.56, 370, true)}) +
        table(2000, {object(4, "DLH1", false, "Vora", 50.05, 8.55, 370, true),
                     object(5, "DLH2", false, "Vora", 50.1, 8.8, 3500, false),
                     object(6, "DLH3*", false, "Vora", 50.04, 8.56, 370, true),
                     object(7, "BAW9*", false, "Vora", 50.041, 8.561, 370, true)}) +
        table(3000, {object(4, "DLH1", false, "Vora", 50.05, 8.55, 370, true),
                     object(5, "DLH2", false, "Vora", 50.1, 8.8, 3500, false),
                     object(7, "BAW9*", false, "Vora", 50.041, 8.561, 370, true)}) +
        R"({"t_ms":3500,"kind":"call","fn":"SimConnect_Close"})" "\n" +
        table(4000, {object(1000, "D-AINA", true, "", 50.0, 8.5, 364, true)});
    LogCounts log;
    log.arrivedAtStand = 1;
    log.parkedOnCreation = 2;
    log.errors = {"SimConnect request StaticCG fails"};
    log.downloadLines = 2;
    log.exitReason = "USER CLOSED SIM";
    const std::string summary = summaryText(traceOf(text), log);
    for (const char* line : {"Live aircraft created:  2 (2 still there at the end)\n", "Landed:                 1\n",
                             "Parked:                 3 (1 taxied to a stand, 2 created on one)\n",
                             "Static aircraft placed: 2 (1 still there at the end)\n", "Errors:                 1 in the log, 0 simulator exceptions\n",
                             "  SimConnect request StaticCG fails\n", "Exit reason:            USER CLOSED SIM\n"})
    {
        EXPECT_NE(summary.find(line), std::string::npos) << line << " not in\n" << summary;
    }
}

TEST(Stands, ReadFromParkingFilesAndBothScenarioKinds)
{
    const fs::path xml = writeFile("EDDF.xml", R"(<?xml version="1.0"?>
<root><meta/><parkpositions>
  <parkpos id="A11" latitude="50.048473" longitude="8.565095" heading="337.3" radius="24"/>
  <parkpos id="B20" latitude="50.0491" longitude="8.570423" heading="261.9" radius="40"><opt airl="DLH"/></parkpos>
  <parkpos id="nowhere"/>
</parkpositions></root>)");
    const fs::path fake = writeFile("rt.json", R"({"stands":[{"name":"A11","lat":50.1,"lon":8.5,"heading":1}]})");
    const fs::path sim = writeFile("sim.json",
                                   R"({"airports":[{"icao":"EDDF","parkings":[
        {"name":"GATE_A","number":13,"lat":50.2,"lon":8.6},{"name":"NONE","number":1,"lat":50.3,"lon":8.7}]}]})");

    const std::vector<StandPoint> fromXml = readStands(xml);
    ASSERT_EQ(fromXml.size(), 2u);
    EXPECT_EQ(fromXml[1].name, "B20");
    EXPECT_DOUBLE_EQ(fromXml[1].lat, 50.0491);
    EXPECT_DOUBLE_EQ(fromXml[1].lon, 8.570423);
    const std::vector<StandPoint> fromFake = readStands(fake);
    ASSERT_EQ(fromFake.size(), 1u);
    EXPECT_EQ(fromFake[0].name, "A11");
    const std::vector<StandPoint> fromSim = readStands(sim);
    ASSERT_EQ(fromSim.size(), 2u);
    EXPECT_EQ(fromSim[0].name, "GATE_A 13");
    EXPECT_DOUBLE_EQ(fromSim[1].lon, 8.7);
}

TEST(Stands, AFileWithoutStandsIsRefused)
{
    const fs::path cases[] = {
        fs::path(testing::TempDir()) / "no-such-file.xml",
        writeFile("empty.json", R"({"name":"x"})"),
        writeFile("broken.json", "{"),
        writeFile("broken.xml", "<root><parkpos"),
        writeFile("noparkpos.xml", "<root/>"),
    };
    for (const fs::path& file : cases)
        EXPECT_THROW(readStands(file), std::runtime_error) << file;
}

namespace
{

int countColour(const ovr::win::Image& img, int x0, int x1, std::uint32_t colour)
{
    int n = 0;
    for (int y = kLegendHeight; y < kLegendHeight + kPanelSize; ++y)
        for (int x = x0; x < x1; ++x)
            n += img.at(x, y) == colour ? 1 : 0;
    return n;
}

} // namespace

TEST(Picture, ShowsStandsStaticsAndTracksInTheirPanels)
{
    const Trace trace = traceOf(table(1000, {object(1000, "D-AINA", true, "", 50.0478, 8.5693, 364, true),
                                             object(4, "DLH1", false, "Vora", 50.2, 8.9, 3000, false),
                                             object(6, "DLH3*", false, "Vora", 50.0485, 8.5650, 370, true)}) +
                                table(2000, {object(4, "DLH1", false, "Vora", 50.19, 8.88, 2900, false)}));
    const std::vector<StandPoint> stands = {{"A11", 50.048473, 8.565095}, {"B20", 50.0491, 8.570423}};

    const ovr::win::Image img = drawTrace(trace, stands);
    ASSERT_EQ(img.width, kPictureWidth);
    ASSERT_EQ(img.height, kLegendHeight + kPanelSize + kAltitudeHeight);
    // The close view holds the rings of both stands and the static's square,
    // the whole area the live track that is far from the airport.
    EXPECT_GT(countColour(img, kPanelSize, kPictureWidth, kStandColour), 40);
    EXPECT_GT(countColour(img, kPanelSize, kPictureWidth, kStaticColour), 40);
    EXPECT_GT(countColour(img, 0, kPanelSize, 0xE6194B), 9);
    EXPECT_EQ(countColour(img, kPanelSize, kPictureWidth, 0xE6194B), 0);

    const ovr::win::Image bare = drawTrace(trace, {});
    EXPECT_EQ(countColour(bare, 0, kPictureWidth, kStandColour), 0);
}
