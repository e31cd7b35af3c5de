// Writing airport files and learned files: each mode against a golden file
// of the fixtures, and each written file read back and written again, byte
// for byte the same.
#include "apf_test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <pugixml.hpp>

#include "airports/apf_locate.h"
#include "airports/apf_reader.h"
#include "airports/apf_writer.h"
#include "airports/learned_stands.h"
#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "liveries/model_database.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

class WriteApf : public ApfTest
{
  protected:
    void SetUp() override
    {
        ApfTest::SetUp();
        g_dbase = {{"PH-BFA", dbaseKey("KLM", "B744")}};
    }

    // The airport file as the airport scan gives it.
    static AirportStands scannedAirport()
    {
        AirportStands record;
        record.icao = IcaoCode("EDDF");
        record.name = "Frankfurt/Main";
        record.sceneryPathText = "C:\\Scenery\\EDDF.bgl";
        record.version = "1.2";
        record.manufacturer = "Maker";
        record.creator = "Me & Co";
        record.packageDetails = 1;
        record.realFigure = 63;
        record.elevation = 364;

        Stand gate = makeStand("A1", 0, 0, 18.52, 8);
        gate.heading = 90.0 * kDegToRad;
        gate.options.push_back(makeOption("D-AIBC", FlightKey{}, 1, gf_slotBit(3), 1, 1));
        Stand cargo = makeStand("C5", 0, 80, 40, 5);
        cargo.cargo = 1;
        cargo.heading = 271.25 * kDegToRad;
        Stand heli = makeStand("helipad1", 120, -30, 10);
        heli.heli = 1;
        record.stands = {gate, cargo, heli};
        return record;
    }

    // The record the learned-file saver builds from the park airport.
    static AirportStands learnedRecord(const ApfHeader& header, bool handmade)
    {
        AirportStands record;
        record.icao = g_parkAirport.icao;
        record.name = header.airportName;
        record.publisher = header.publisher;
        record.elevation = header.altitude;
        record.realFigure = g_coverage.real;
        record.softFigure = g_coverage.soft;
        record.stands = gf_learnedStands(g_stands.span(), handmade);
        return record;
    }

    // Reads the airport file (and its learned file) into the stand list.
    ApfHeader readParkAirport()
    {
        gf_clearStands();
        ApfHeader header;
        EXPECT_EQ(gf_readApf(kLocalName, header, g_coverage, g_stands), "");
        return header;
    }

    static Stand& standNamed(std::string_view name)
    {
        for (Stand& stand : g_stands)
            if (stand.name == name)
                return stand;
        throw std::runtime_error("no stand " + std::string(name));
    }

    // What is learned at the airport while it is the park airport.
    static void learn()
    {
        const FlightKey dlh{gf_airlineId("DLH"), 0, gf_modelId("A320"), 0, 0};
        std::vector<StandOption>& a1 = standNamed("A1").options;
        const auto next = [&] { return static_cast<std::uint32_t>(a1.size() + 1); };
        StandOption withCallsigns = makeOption("D-AIBD", dlh, 1, gf_slotRange(3, 5), next());
        withCallsigns.callsign = "DLH12";
        withCallsigns.callsign2 = "DLH12X";
        withCallsigns.cpl = 1;
        a1.push_back(withCallsigns);
        StandOption soft = makeOption("PH-BFA", dbaseKey("KLM", "B744"), 7, gf_slotBit(7), next());
        soft.real = 0;
        soft.callsign = "KLM1";
        a1.push_back(soft);
        a1.push_back(
            makeOption("D-AIBE", dlh, 2, gf_slotBit(3) | gf_slotBit(5) | gf_slotRange(10, 11), next()));
        a1.push_back(makeOption("", dlh, 2, gf_slotBit(1), next()));
        a1.push_back(makeOption("D-AIBF", dlh, 2, gf_slotBit(1), 0));
        a1.push_back(makeOption("D-AIBG", dlh, 2, 0, next()));

        Stand& c5 = standNamed("C5");
        c5.radius = 30.0 * kNmPerMetre;
        c5.radiusChanged = 1;
        c5.cargo = 0;
        c5.cargoChanged = 1;

        Stand manual = makeStand("M1", -60, 0, 25, 3);
        manual.manual = 1;
        manual.ramp = 1;
        manual.options.push_back(makeOption("D-AIBH", dlh, 3, gf_slotBit(47), 1));
        g_stands.push_back(manual);

        RANGE.current = 10;
        WEEK.current = true;
        MAX_FIT_FL.current = 1.5f;
        MAX_LIVE_SEL.current = 25;
    }
};

TEST_F(WriteApf, FullFileReadAndWrittenAgain)
{
    ASSERT_TRUE(gf_writeAirportFile(scannedAirport(), kLocalFile, kApfFullMode, false, 1));
    expectGolden(kLocalFile, "full_EDDF.xml");

    const ApfHeader header = readParkAirport();
    AirportStands again = scannedAirport();
    again.stands = standsCopy();
    ASSERT_TRUE(gf_writeAirportFile(again, "again.xml", kApfFullMode, false, 1));
    EXPECT_EQ(readFile("again.xml"), readFile(kLocalFile));
    EXPECT_EQ(header.altitude, 364);
}

TEST_F(WriteApf, LearnedFileMergedAndWrittenAgain)
{
    ASSERT_TRUE(gf_writeAirportFile(scannedAirport(), kLocalFile, kApfFullMode, false, 1));
    ApfHeader header = readParkAirport();
    learn();

    const fs::path learned = gf_learnedPathFor(kLocalName, header.publisher);
    ASSERT_EQ(learned, g_learnedApfPath);
    ASSERT_TRUE(gf_writeAirportFile(learnedRecord(header, false), learned, kApfLearnedMode, false, 1));
    expectGolden(learned, "learned_EDDF.xml");
    EXPECT_TRUE(logHas("==> bit set problem: D-AIBG  DLH     A320    "));

    header = readParkAirport();
    EXPECT_EQ(MAX_FIT.current.load(), 2);
    ASSERT_TRUE(gf_writeAirportFile(learnedRecord(header, false), "again.xml", kApfLearnedMode, false, 1));
    EXPECT_EQ(readFile("again.xml"), readFile(learned));
}

// A full disk while a learned file is written again: the write is reported
// as failed and the file of the earlier save stays whole, with no temporary
// file beside it. The disk is stood for by a file-size limit in a child
// process, which ignores the signal the kernel sends when a write passes it.
TEST_F(WriteApf, ALearnedFileWrittenOnAFullDiskKeepsTheEarlierFile)
{
    ASSERT_TRUE(gf_writeAirportFile(scannedAirport(), kLocalFile, kApfFullMode, false, 1));
    const ApfHeader header = readParkAirport();
    learn();
    const fs::path learned = gf_learnedPathFor(kLocalName, header.publisher);
    ASSERT_TRUE(gf_writeAirportFile(learnedRecord(header, false), learned, kApfLearnedMode, false, 1));
    const std::string before = readFile(learned);
    ASSERT_GT(before.size(), 512U);

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{512, 512};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(2);
        const bool written = gf_writeAirportFile(learnedRecord(header, false), learned, kApfLearnedMode, false, 1);
        _exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write on a full disk was reported as done";
    EXPECT_EQ(readFile(learned), before);
    EXPECT_FALSE(fs::exists(learned.string() + ".tmp"));
}

TEST_F(WriteApf, HandmadeFileReadAndWrittenAgain)
{
    ASSERT_TRUE(gf_writeAirportFile(scannedAirport(), kLocalFile, kApfFullMode, false, 1));
    ApfHeader header = readParkAirport();
    learn();
    g_coverage = gf_coverageOf(gf_qualityFactors(g_stands.span()));

    const fs::path learned = g_learnedApfPath;
    ASSERT_TRUE(gf_writeAirportFile(learnedRecord(header, true), learned, kApfLearnedMode, true, 1));
    expectGolden(learned, "handmade_EDDF.xml");

    header = readParkAirport();
    ASSERT_TRUE(g_handmade);
    ASSERT_TRUE(gf_writeAirportFile(learnedRecord(header, true), "again.xml", kApfLearnedMode, true, 1));
    EXPECT_EQ(readFile("again.xml"), readFile(learned));
}

// The value of a parameter of a written file.
std::string writtenParameter(const fs::path& file, std::string_view name)
{
    pugi::xml_document document;
    document.load_file(file.c_str());
    for (const pugi::xml_node p : document.child("root").child("parameters").children("parameter"))
        if (name == p.attribute("name").value())
            return p.attribute("value").value();
    return "<none>";
}

TEST_F(WriteApf, ParametersOfTheRecord)
{
    AirportStands record;
    record.publisher = "stock";
    record.version = "9";
    record.packageDetails = 1;
    ASSERT_TRUE(gf_writeAirportFile(record, "a.xml", kApfFullMode, false, 2));
    EXPECT_EQ(writtenParameter("a.xml", "icao"), "    ");
    EXPECT_EQ(writtenParameter("a.xml", "version"), "<none>");
    EXPECT_EQ(writtenParameter("a.xml", "Facilities"), "<none>");
    EXPECT_EQ(writtenParameter("a.xml", "BGLpath"), "<none>");
    EXPECT_EQ(writtenParameter("a.xml", "num_parkpos"), "0");

    MAX_FIT_FL.current = 24.0f;
    ASSERT_TRUE(gf_writeAirportFile(record, "b.xml", kApfLearnedMode, false, 2));
    EXPECT_EQ(writtenParameter("b.xml", "MAX_FIT"), "47");
    EXPECT_EQ(writtenParameter("b.xml", "altitude"), "<none>");
    EXPECT_NE(readFile("b.xml").find(R"(<info name="sim" value="2" />)"), std::string::npos);
}

TEST_F(WriteApf, TheFolderIsMadeAndAnEmptyPathIsRefused)
{
    EXPECT_TRUE(gf_writeAirportFile(scannedAirport(), "airports/learned/thirdparty/New Pub/EDDF.xml",
                                    kApfLearnedMode, false, 1));
    EXPECT_FALSE(gf_writeAirportFile(scannedAirport(), "", kApfFullMode, false, 1));
}

} // namespace
} // namespace ovr::test
