// The scenery-file reader on files made by the test writer: the decoded
// stands of a well-formed airport, and each malformed layout ending with its
// log or report line, never with a crash.
#include "scan_test_support.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <unordered_set>

#include "bgl_variants.h"
#include "core/geometry.h"
#include "scanners/bgl_reader.h"
#include "scanners/bgl_reader_detail.h"
#include "scanners/scan_report.h"

namespace ovr::test
{
namespace
{

constexpr double kLat = 50.0333;
constexpr double kLon = 8.5705;

struct Decoded
{
    std::vector<ScannedAirport> airports;
    std::vector<std::uint32_t> helipads;
    int linkAsked = 0;
};

class BglReader : public ScanTest
{
  protected:
    // Decodes the file; `linked` answers the sink's link question.
    Decoded decode(const fs::path& file, bool linked = false)
    {
        Decoded decoded;
        BglAirportSink sink;
        sink.link = [&](ScannedAirport&)
        {
            ++decoded.linkAsked;
            return linked;
        };
        sink.write = [&](ScannedAirport& airport, std::uint32_t helipads)
        {
            decoded.airports.push_back(airport);
            decoded.helipads.push_back(helipads);
        };
        lf_processBGLfile(file, sink);
        return decoded;
    }

    // Case names spell the variants with '_' for '-'.
    fs::path variantFile(std::string name)
    {
        std::replace(name.begin(), name.end(), '_', '-');
        const fs::path file = folder() / "scenery" / (name + ".bgl");
        writeBgl(file, genbgl::variant(name));
        return file;
    }
};

struct ExpectedStand
{
    std::string name;
    double latitude;
    double longitude;
    double headingDegrees;
    double radiusMetres;
    std::uint16_t type;
    bool helipad;
};

TEST_F(BglReader, TheSampleAirportDecodesToItsStands)
{
    const fs::path file = variantFile("airport");
    const Decoded decoded = decode(file);
    ASSERT_EQ(decoded.airports.size(), 1u);
    const AirportStands& record = decoded.airports[0].record;
    EXPECT_EQ(record.icao, IcaoCode("EDDF"));
    EXPECT_EQ(record.elevation, 364) << "111 m";
    EXPECT_EQ(record.sourceKind, 0);
    EXPECT_EQ(record.sceneryPath, file);
    EXPECT_EQ(record.sceneryPathText, file.string());
    EXPECT_TRUE(record.name.empty());
    EXPECT_TRUE(record.publisher.empty());
    EXPECT_EQ(decoded.helipads[0], 3u);

    // Helipads after the first taxiway-parking record, and that record's
    // successor, are never seen; the vehicle parking is no stand.
    const std::vector<ExpectedStand> expected = {
        {"helipad1", kLat - 0.001, kLon, 0.0, 10.0, 0, true},
        {"helipad2", kLat - 0.002, kLon, 0.0, 15.0, 0, true},
        {"helipad3", kLat - 0.003, kLon, 0.0, 8.0, 0, true},
        {"g12", kLat + 0.001, kLon + 0.001, 90.0, 24.0, 8, false},
        {"C5", kLat + 0.002, kLon + 0.001, 180.0, 30.0, 9, false},
        {"7", kLat + 0.003, kLon + 0.001, 360.0, 10.0, 1, false},
        {"g12a", kLat + 0.004, kLon + 0.001, 270.0, 18.0, 5, false},
        {"p10", kLat + 0.006, kLon + 0.001, 45.0, 15.0, 3, false},
    };
    ASSERT_EQ(record.stands.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        const Stand& stand = record.stands[i];
        const ExpectedStand& want = expected[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(stand.name, want.name);
        EXPECT_NEAR(stand.latitude, want.latitude, 1e-6);
        EXPECT_NEAR(stand.longitude, want.longitude, 1e-6);
        EXPECT_NEAR(stand.heading, want.headingDegrees * kDegToRad, 1e-9);
        EXPECT_NEAR(stand.radius * 1852.0, want.radiusMetres, 1e-9);
        EXPECT_EQ(stand.type, want.type);
        EXPECT_EQ(stand.heli != 0, want.helipad);
        EXPECT_EQ(stand.numericId, 0);
        EXPECT_EQ((std::tuple{stand.cargo, stand.ramp, stand.manual}), (std::tuple{0, 0, 0}));
        EXPECT_TRUE(stand.options.empty());
        EXPECT_TRUE(stand.adjacent.empty());
    }
    EXPECT_DOUBLE_EQ(record.stands[5].heading, 6.283185307179586) << "a heading of 0.0 is stored as 2 pi";
    EXPECT_TRUE(report().empty());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(BglReader, EveryAirportOfEverySectionIsDecoded)
{
    const Decoded decoded = decode(variantFile("two-airports"));
    ASSERT_EQ(decoded.airports.size(), 2u);
    EXPECT_EQ(decoded.airports[0].record.icao, IcaoCode("EDDF"));
    EXPECT_EQ(decoded.airports[1].record.icao, IcaoCode("EDDL"));
    EXPECT_EQ(decoded.airports[1].record.elevation, 121) << "37 m";
}

TEST_F(BglReader, ALinkedAirportIsNotDecoded)
{
    const Decoded decoded = decode(variantFile("airport"), true);
    EXPECT_EQ(decoded.linkAsked, 1);
    EXPECT_TRUE(decoded.airports.empty());
}

struct ManifestCase
{
    std::string name;
    std::string manufacturer;
    std::string creator;
    bool decoded;
};

class ThinManifest : public BglReader, public ::testing::WithParamInterface<ManifestCase>
{
};

TEST_P(ThinManifest, AnAirportOfAPackageWithoutMakerIsSkipped)
{
    const fs::path package = folder() / "Community" / "pkg";
    writeFile(package / "manifest.json",
              fmt::format(R"({{"title": "t", "manufacturer": "{}", "creator": "{}"}})",
                          GetParam().manufacturer, GetParam().creator));
    const fs::path file = package / "scenery" / "global" / "x.bgl";
    writeBgl(file, genbgl::variant("airport"));
    const Decoded decoded = decode(file);
    EXPECT_EQ(decoded.airports.size(), GetParam().decoded ? 1u : 0u);
    EXPECT_EQ(decoded.linkAsked, 1);
    if (GetParam().decoded)
    {
        ASSERT_TRUE(decoded.airports[0].manifest.has_value());
        EXPECT_EQ(decoded.airports[0].manifest->manufacturer, GetParam().manufacturer);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ThinManifest,
                         ::testing::Values(ManifestCase{"TwoLettersNoCreator", "ab", "", false},
                                           ManifestCase{"FourLetters", "abcd", "", true},
                                           ManifestCase{"CreatorOnly", "", "abcd", true}),
                         caseName);

// What a variant must leave: decoded airports and stands, a log line and a
// report line (exact, empty for none), and whether the file throws.
struct VariantCase
{
    std::string name;
    std::size_t airports;
    std::size_t stands; // of the first airport
    std::string logLine;
    std::string reportLine;
    bool throws = false;
    std::optional<std::int32_t> elevation = std::nullopt;
};

class BglVariant : public BglReader, public ::testing::WithParamInterface<VariantCase>
{
};

TEST_P(BglVariant, EndsWithItsLineAndNeverCrashes)
{
    const VariantCase& c = GetParam();
    const fs::path file = variantFile(c.name);
    Decoded decoded;
    if (c.throws)
    {
        EXPECT_THROW(decoded = decode(file), BglFormatError);
    }
    else
    {
        decoded = decode(file);
    }
    ASSERT_EQ(decoded.airports.size(), c.airports);
    if (c.airports > 0)
    {
        EXPECT_EQ(decoded.airports[0].record.stands.size(), c.stands);
        if (c.elevation)
        {
            EXPECT_EQ(decoded.airports[0].record.elevation, *c.elevation);
        }
    }
    const std::string logLine = fmt::format(fmt::runtime(c.logLine), fmt::arg("path", file.string()));
    if (logLine.empty())
        EXPECT_TRUE(logLines().empty()) << logLines().front();
    else
        EXPECT_TRUE(logHas(logLine) || logMentions(logLine)) << logLine;
    const std::string reportLine = fmt::format(fmt::runtime(c.reportLine), fmt::arg("path", file.string()));
    if (reportLine.empty())
        EXPECT_TRUE(report().empty()) << report().front();
    else
        EXPECT_TRUE(reported(reportLine)) << reportLine;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BglVariant,
    ::testing::Values(
        VariantCase{"short", 0, 0, "", ""}, VariantCase{"bad_header", 0, 0, "", ""},
        VariantCase{"no_sections", 0, 0, "", ""}, VariantCase{"table_overflow", 0, 0, "", ""},
        VariantCase{"flag_bit16", 0, 0, "", ""}, VariantCase{"no_airport_section", 0, 0, "", ""},
        VariantCase{"subsection_beyond", 0, 0, "", ""}, VariantCase{"ident_invalid", 0, 0, "", ""},
        VariantCase{"ident_3char", 0, 0, "", ""},
        VariantCase{"ident_unknown", 0, 0, "", "ZZZZ is not an airport supported by RealTraffic"},
        VariantCase{"elevation_negative", 1, 8, "", "", false, -11},
        VariantCase{"elevation_high", 1, 8, "", "", false, 364},
        VariantCase{"airport_size_0", 0, 0, "==>    Warning: decodeSizeAtBoundary returned 0 at o2 = 23", ""},
        VariantCase{"airport_beyond_data", 1, 1, "   Error: o3=49 exceeded data buffer size (49), aborting.",
                    ""},
        VariantCase{"subrecord_size_0", 1, 0, "   Warning: decodeSizeAtBoundary returned 0 at o3 = 40", ""},
        VariantCase{"helipad_size_0", 1, 1, "==>    Warning: decodeSizeAtBoundary returned 0 at o3 = 40", ""},
        VariantCase{"parkings_beyond_data", 0, 0, "==> Exception in lf_processBGLfile (std::ex): BGL word",
                    "", true},
        VariantCase{
            "record_loop", 0, 0,
            "==> Error: maximum loop iterations 9000 reached (2) \u2014 possible corrupt BGL or malformed "
            "input in:",
            ""},
        VariantCase{
            "subrecord_loop", 1, 0,
            "==> Error: Maximum loop iterations reached (1) \u2014 possible corrupt SIA or malformed input",
            ""},
        VariantCase{"bad_positions", 1, 2, "", "double helipad  (skipped) 50.033300,8.570500"},
        VariantCase{"duplicate_ids", 1, 11, "", "===> Warning: more than 10 duplicate IDs g12 in {path}"}),
    caseName);

TEST(BglWords, AFinalPartialWordIsZeroPaddedAlsoInAReusedBuffer)
{
    std::vector<std::uint32_t> words(5, 0xFFFFFFFFu);
    std::istringstream in(std::string("\x01\x02\x03\x04\x05\x06", 6));
    lf_readBglWords(in, words);
    EXPECT_EQ(words, (std::vector<std::uint32_t>{0x04030201u, 0x00000605u}));
    std::istringstream empty;
    EXPECT_TRUE(lf_readBglWords(empty).empty());
}

TEST_F(BglReader, MoreOffendingPositionsAreReportedAndDropped)
{
    decode(variantFile("bad_positions"));
    EXPECT_TRUE(reported("lat/lon helipad incorrect (skipped): 0.000050,0.000050"));
    EXPECT_TRUE(reported("LatLon -95.000000,8.570500 invalid (skipped)"));
    EXPECT_TRUE(reported("LatLon 50.033300,200.000000 invalid (skipped)"));
}

// Sizes and headings no airport file can hold are refused at decode, one
// warning naming each spot; the good spots stay.
TEST_F(BglReader, NonFiniteAndNegativeSizesAreRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    genbgl::AirportRecord airport;
    airport.ident = "EDDF";
    genbgl::TaxiwayParkings parkings;
    const auto parking = [&](std::uint32_t number, float radius, float heading) {
        genbgl::Parking p;
        p.number = number;
        p.radiusMetres = radius;
        p.headingDegrees = heading;
        p.latitude = kLat + 0.001 * number;
        p.longitude = kLon;
        return p;
    };
    parkings.parkings = {parking(1, 20.0F, 90.0F), parking(2, nan, 90.0F), parking(3, 20.0F, inf),
                         parking(4, -30.0F, 90.0F), parking(5, 0.0F, -90.0F)};
    airport.subrecords = {genbgl::Helipad{kLat - 0.001, kLon, nan}, genbgl::Helipad{kLat - 0.002, kLon, 10.0F},
                          parkings};
    const fs::path file = folder() / "scenery" / "corrupt.bgl";
    writeBgl(file, genbgl::bglFile({genbgl::Section{3, 0, {genbgl::airportRecord(airport)}}}));
    const Decoded decoded = decode(file);
    ASSERT_EQ(decoded.airports.size(), 1u);
    std::vector<std::string> names;
    for (const Stand& stand : decoded.airports[0].record.stands)
    {
        EXPECT_TRUE(std::isfinite(stand.radius) && stand.radius >= 0.0 && std::isfinite(stand.heading));
        names.push_back(stand.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"helipad1", "g1", "g5"}));
    const std::string in = " in " + file.string();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"==> helipad1 of EDDF refused: length nan" + in,
                                                    "==> Parking g2 of EDDF refused: radius nan, heading 90" + in,
                                                    "==> Parking g3 of EDDF refused: radius 20, heading inf" + in,
                                                    "==> Parking g4 of EDDF refused: radius -30, heading 90" + in}));
}

struct IdentCase
{
    std::string name;
    std::uint32_t ident;
    std::string text;
    bool supported;
    std::string reportLine;
};

class BglIdent : public BglReader, public ::testing::WithParamInterface<IdentCase>
{
};

TEST_P(BglIdent, DecodesAndClassifies)
{
    const auto [text, supported] = lf_decodeBglIdent(GetParam().ident);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_EQ(supported, GetParam().supported);
    if (GetParam().reportLine.empty())
        EXPECT_TRUE(report().empty());
    else
        EXPECT_EQ(report(), std::vector<std::string>{GetParam().reportLine});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BglIdent,
    ::testing::Values(IdentCase{"Known", genbgl::packIdent("EDDF"), "EDDF", true, ""},
                      IdentCase{"Digits", genbgl::packIdent("K2A9"), "K2A9", false,
                                "K2A9 is not an airport supported by RealTraffic"},
                      IdentCase{"ThreeCharacters", genbgl::packIdent("EDD"), "EDD", false, ""},
                      IdentCase{"FiveCharacters", genbgl::packIdent("EDDFX"), "EDDFX", false, ""},
                      IdentCase{"DigitZero", (38u * 38u * 38u * 14u) << 5, "C   ", false, ""},
                      IdentCase{"DigitOne", ((38u * 14u + 1u) * 38u * 38u + 14u * 38u + 14u) << 5, "C?CC",
                                false, ""},
                      IdentCase{"Nothing", 0x1Fu, "", false, ""}),
    caseName);

TEST(BglNames, NameCodesGiveTheirTexts)
{
    const std::vector<std::pair<std::uint32_t, std::string>> cases = {
        {0, ""},    {1, "r"},  {2, "p"}, {3, "np"}, {4, "ep"}, {5, "sep"}, {6, "sp"}, {7, "swp"}, {8, "wp"},
        {9, "nwp"}, {10, "g"}, {11, ""}, {12, "A"}, {14, "C"}, {37, "Z"},  {38, ""},  {63, ""}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(lf_parkingNameText(code), text) << code;
}

TEST_F(BglReader, ElevationsRoundHalfAwayFromZero)
{
    const std::vector<std::pair<std::int32_t, std::optional<std::int32_t>>> cases = {{-3400, -11},
                                                                                     {111000, 364},
                                                                                     {3100000, std::nullopt},
                                                                                     {-6200, -20},
                                                                                     {-6400, std::nullopt},
                                                                                     {3048000, 10000},
                                                                                     {3048200, std::nullopt},
                                                                                     {152, 0},
                                                                                     {-152, 0},
                                                                                     {-153, -1}};
    for (const auto& [millimetres, feet] : cases)
    {
        std::vector<std::uint32_t> words(8, 0);
        words[5] = static_cast<std::uint32_t>(millimetres);
        EXPECT_EQ(lf_bglAirportElevation(0, words), feet) << millimetres;
    }
}

TEST_F(BglReader, UniqueIdsTakeALetterUpToTen)
{
    std::unordered_set<std::string> used;
    std::vector<std::string> given;
    for (int i = 0; i < 12; ++i)
    {
        auto [id, ok] = lf_uniqueStandId("g12", used, "x.bgl");
        given.push_back(ok ? id : "-");
    }
    EXPECT_EQ(given, (std::vector<std::string>{"g12", "g12a", "g12b", "g12c", "g12d", "g12e", "g12f", "g12g",
                                               "g12h", "g12i", "g12j", "-"}));
    EXPECT_EQ(report(), std::vector<std::string>{"===> Warning: more than 10 duplicate IDs g12 in x.bgl"});
}

struct SectionCase
{
    std::string name;
    bool expected;
};

class AirportSection : public BglReader, public ::testing::WithParamInterface<SectionCase>
{
};

TEST_P(AirportSection, IsFoundFromTheTableAlone)
{
    EXPECT_EQ(lf_bglHasAirportSection(variantFile(GetParam().name)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AirportSection,
                         ::testing::Values(SectionCase{"airport", true}, SectionCase{"two_airports", true},
                                           SectionCase{"short", false}, SectionCase{"no_sections", false},
                                           SectionCase{"table_overflow", false},
                                           SectionCase{"no_airport_section", false}),
                         caseName);

TEST_F(BglReader, AMissingFileHasNoAirportSectionAndDecodesToNothing)
{
    EXPECT_FALSE(lf_bglHasAirportSection(folder() / "none.bgl"));
    EXPECT_TRUE(decode(folder() / "none.bgl").airports.empty());
}

// Everything a decode leaves, as text: the airports handed on with every
// field of their stands, the log and report lines, and what was thrown.
class BglWindowedRead : public BglReader
{
  protected:
    std::string outcome(const fs::path& file, bool windowed)
    {
        std::string text;
        BglAirportSink sink;
        sink.write = [&](ScannedAirport& airport, std::uint32_t helipads)
        {
            const AirportStands& r = airport.record;
            text += fmt::format("airport {} elevation {} helipads {} manifest {}\n", r.icao.text(), r.elevation,
                                helipads, airport.manifest.has_value());
            for (const Stand& s : r.stands)
                text += fmt::format("  {} {:.17g} {:.17g} {:.17g} {:.17g} {} {} {} {} {}\n", s.name, s.latitude,
                                    s.longitude, s.heading, s.radius, s.numericId, s.type, s.cargo, s.ramp, s.heli);
        };
        const std::size_t logBefore = logLines().size();
        g_scanMessages.clear();
        std::ifstream in(file, std::ios::binary);
        BglWords words;
        if (windowed)
            words.open(in);
        else
            words = BglWords(lf_readBglWords(in));
        try
        {
            lf_walkBglSections(words, file, sink);
        }
        catch (const BglFormatError& e)
        {
            text += fmt::format("thrown {}\n", e.what());
        }
        const std::vector<std::string> log = logLines();
        for (std::size_t i = logBefore; i < log.size(); ++i)
            text += "log " + log[i] + "\n";
        for (const std::string& line : report())
            text += "report " + line + "\n";
        g_scanMessages.clear();
        return text;
    }
};

// A file that is mostly other records, with the airport section behind
// them and its parkings across several blocks of the windowed read.
genbgl::Bytes lf_largeAirportFile()
{
    genbgl::AirportRecord airport = genbgl::sampleAirport("EDDF");
    genbgl::TaxiwayParkings parkings;
    for (std::uint32_t i = 0; i < 700; ++i)
        parkings.parkings.push_back(genbgl::Parking{10, i, 8, 20.0F, 90.0F, 50.0 + i * 1e-4, 8.5, 2});
    airport.subrecords.insert(airport.subrecords.begin(), parkings);
    airport.subrecords.insert(airport.subrecords.begin(), 40, genbgl::OtherRecord{0x04, 128});
    const std::vector<genbgl::Bytes> others(300, genbgl::plainRecord(0x22, 512));
    return genbgl::bglFile({genbgl::Section{0x65, 0, others}, genbgl::Section{3, 0, {genbgl::airportRecord(airport)}},
                            genbgl::Section{0x65, 0, others}});
}

// Reading only the blocks the decode looks at leaves exactly what reading
// the whole file leaves: every variant, a large file, and each of them with
// random bytes changed (in the header and tables, and anywhere).
TEST_F(BglWindowedRead, LeavesWhatTheWholeFileLeaves)
{
    std::vector<std::pair<std::string, genbgl::Bytes>> files;
    for (const std::string& name : genbgl::variantNames())
        files.emplace_back(name, genbgl::variant(name));
    files.emplace_back("large", lf_largeAirportFile());
    std::mt19937 engine(34);
    const fs::path file = folder() / "scenery" / "windowed.bgl";
    std::size_t decodedStands = 0;
    for (const auto& [name, bytes] : files)
    {
        for (int round = 0; round < 8; ++round)
        {
            genbgl::Bytes changed = bytes;
            for (int k = 0; round > 0 && k < 1 + round % 4; ++k)
            {
                const std::size_t span = round % 2 == 0 ? std::min<std::size_t>(changed.size(), 160) : changed.size();
                if (span == 0)
                    break;
                changed[std::uniform_int_distribution<std::size_t>(0, span - 1)(engine)] =
                    static_cast<std::uint8_t>(engine());
            }
            writeBgl(file, changed);
            const std::string whole = outcome(file, false);
            ASSERT_EQ(outcome(file, true), whole) << name << " round " << round;
            for (std::size_t at = whole.find("\n  "); at != std::string::npos; at = whole.find("\n  ", at + 1))
                ++decodedStands;
        }
    }
    EXPECT_GT(decodedStands, 5000u); // the cases decode, not only fail
}

TEST_F(BglWindowedRead, ReadsOnlyTheBlocksTheDecodeLooksAt)
{
    const fs::path file = folder() / "scenery" / "large.bgl";
    const genbgl::Bytes bytes = lf_largeAirportFile();
    writeBgl(file, bytes);
    std::ifstream in(file, std::ios::binary);
    BglWords words;
    words.open(in);
    lf_walkBglSections(words, file, BglAirportSink{});
    const std::size_t blocks = (bytes.size() + 4 * BglWords::kBlockWords - 1) / (4 * BglWords::kBlockWords);
    EXPECT_GT(blocks, 20u);
    EXPECT_LE(words.blocksRead(), 5u);
}

TEST(SkipAddonFolder, SkipsLongPathsAndPackagesThatHoldNoAirports)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"/sim/Community/my-airport-eddf/scenery/x.bgl", false},
        {"/sim/Community/SomeAircraft-pack", true},
        {"/sim/Community/AIRCRAFT", true},
        {"/sim/Official/fs-base-genericairports", true},
        {"/sim/Community/FSLTL-traffic", true},
        {"/sim/Community/gsx-pro-profiles", true},
        {"/sim/Community/x-LandingChallenge-y", true},
        {"/sim/Community/aig-aitraffic-oci", true},
        {"/sim/Community/point-of-interest-x", true},
        {"/sim/" + std::string(244, 'a'), false},
        {"/sim/" + std::string(245, 'a'), true},
        {"/sim/" + std::string(100, 'a') + "\u00e9", false},
    };
    for (const auto& [path, skipped] : cases)
        EXPECT_EQ(lf_skipAddonFolder(path), skipped) << path;
}

} // namespace
} // namespace ovr::test
