// Merging a learned file into the stands of the airport file just read.
#include "apf_test_support.h"

#include "airports/airport_settings.h"
#include "airports/apf_reader.h"
#include "airports/park_airport_panel.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "core/status_line.h"

namespace ovr::test
{
namespace
{

const fs::path kLearnedFile = "airports/learned/simaddon/EDDF.xml";
const fs::path kLearnedBackup = "airports/learned/simaddon/EDDF0.xml";

// The airport file: stand A with one option of Monday, stand B without.
const std::string kAirportStands =
    parkposAt("A", 0, 0, 20, R"(type="8")",
              R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh="10:12"/>)") +
    parkposAt("B", 0, 100, 20, R"(type="8")");

class LearnedFile : public ApfTest
{
  protected:
    // Reads the airport file after writing the learned file.
    std::string readWithLearned(std::string_view learned)
    {
        writeFile(kLocalFile, apfText(kHead, kAirportStands));
        writeFile(kLearnedFile, learned);
        return gf_readApf(kLocalName, header, coverage, g_stands);
    }

    const Stand& stand(std::string_view name) const
    {
        for (const Stand& s : g_stands)
            if (s.name == name)
                return s;
        throw std::runtime_error("no stand " + std::string(name));
    }

    ApfHeader header;
    CoveragePair coverage;
};

const std::string kLearnedA =
    R"(<parkpos id="A" radius_change="true" radius="30.0" cargo_change="true" cargo="true">)"
    R"(<opt reg="D-AIBD" airl="DLH" type="A320" day="2" hh="20" cs="DLH4:DLH4X" cpl="true"/></parkpos>)";

struct VersionCase
{
    std::string name;
    std::string version;
    bool handmade;
    std::size_t optionsOfA;
};

class LearnedVersion : public LearnedFile, public ::testing::WithParamInterface<VersionCase>
{
};

TEST_P(LearnedVersion, OlderFilesKeepTheirStandChangesOnly)
{
    const VersionCase& c = GetParam();
    const std::string parameters = kHead + (c.handmade ? param("handmade", "true") : "");
    const std::string stands =
        c.handmade ? parkposAt("A", 0, 0, 30, "", R"(<opt reg="X" day="1" hh="1"/>)") : kLearnedA;
    ASSERT_EQ(readWithLearned(apfText(parameters, stands, c.version)), "");
    EXPECT_EQ(stand("A").options.size(), c.optionsOfA);
    EXPECT_NEAR(stand("A").radius * 1852.0, 30.0, 1e-9);
    if (!c.handmade)
    {
        EXPECT_EQ(stand("A").radiusChanged, 1);
        EXPECT_EQ(stand("A").cargo, 1);
        EXPECT_EQ(stand("A").cargoChanged, 1);
    }
    EXPECT_EQ(logHas("This learned file was created with and older Vora version than 11.10.0,"),
              c.version == "11.9.5");
}

INSTANTIATE_TEST_SUITE_P(Cases, LearnedVersion,
                         ::testing::Values(VersionCase{"Old", "11.9.5", false, 1},
                                           VersionCase{"FirstMerged", "11.10.0", false, 2},
                                           VersionCase{"OldHandmade", "11.9.5", true, 1}),
                         caseName);

TEST_F(LearnedFile, LearnedOptionsFollowTheAirportFilesOptions)
{
    ASSERT_EQ(readWithLearned(apfText(kHead, kLearnedA)), "");
    const StandOption& learned = stand("A").options.at(1);
    EXPECT_EQ(learned.id, 2u);
    EXPECT_EQ(learned.registration, "D-AIBD");
    EXPECT_EQ((std::tuple{learned.day, learned.hours, learned.fromFile, learned.real, learned.cpl}),
              (std::tuple{2u, gf_slotBit(20), 0u, 1u, std::uint8_t{1}}));
    EXPECT_EQ(learned.callsign2, "DLH4X");
    EXPECT_TRUE(logHas("Read from learned airport file: 'airports/learned/simaddon/EDDF.xml'"));
}

TEST_F(LearnedFile, AnOptionTheAirportFileHasIsDroppedTheSameOnAnotherDayAdded)
{
    const std::string options = R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh="12:14" cs="DLH9"/>)"
                                R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="3" hh="12:14"/>)"
                                R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh="12" soft="true"/>)"
                                R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh=""/>)";
    ASSERT_EQ(readWithLearned(apfText(kHead, parkposAt("A", 0, 0, 0, "", options))), "");
    const std::vector<StandOption>& got = stand("A").options;
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ((std::pair{got[1].day, got[1].id}), (std::pair{3u, 2u}));
    EXPECT_EQ((std::pair{got[2].real, got[2].id}), (std::pair{0u, 3u}));
    EXPECT_TRUE(
        logHas("==> learned A: day:1 12,13,14 DLH     A320     cs:DLH9 reg:D-AIBC already in airport file"));
    EXPECT_TRUE(logHas("==> empty bit set"));
}

TEST_F(LearnedFile, StandsMadeByHand)
{
    const std::string stands =
        parkposAt("M0", 0, 0, 20, R"(manual="true")") +
        R"(<parkpos id="Mzero" manual="true" latitude="50.1" longitude="8.1" radius="0"/>)"
        R"(<parkpos id="Mnear0" manual="true" latitude="0" longitude="0.0002" radius="20"/>)"
        R"(<parkpos id="Mflat" manual="true" latitude="0.0001" longitude="0" radius="20"/>)" +
        parkposAt("B", 0, 0, 20, R"(manual="true")") + parkposAt("Gone", 0, 0, 20);
    ASSERT_EQ(readWithLearned(apfText(kHead, stands)), "");

    ASSERT_EQ(g_stands.size(), 4u);
    EXPECT_EQ(g_stands[2].name, "M0");
    EXPECT_EQ((std::pair{g_stands[2].manual, g_stands[2].numericId}), (std::pair{std::uint8_t{1}, 3}));
    EXPECT_EQ(g_stands[3].name, "Mnear0");
    EXPECT_TRUE(logMentions("manually created standid Mzero misses correct attributes in"));
    EXPECT_TRUE(logMentions("manually created standid Mflat misses correct attributes in"));
    EXPECT_TRUE(logMentions("manually created standid B already exists in"));
    EXPECT_TRUE(logHas("learned stand Gone in airports/learned/simaddon/EDDF.xml not found?"));
}

// A learned radius that is not usable keeps the airport file's; a stand made
// by hand with one is not added.
TEST_F(LearnedFile, AnUnusableLearnedRadiusIsRefused)
{
    const std::string stands =
        R"(<parkpos id="A" radius_change="true" radius="-100"/>)"
        R"(<parkpos id="B" radius_change="true" radius="nan"/>)" +
        parkposAt("Mneg", 0, 50, -100, R"(manual="true")");
    ASSERT_EQ(readWithLearned(apfText(kHead, stands)), "");
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_NEAR(stand("A").radius, 20.0 * kNmPerMetre, 1e-9);
    EXPECT_NEAR(stand("B").radius, 20.0 * kNmPerMetre, 1e-9);
    EXPECT_EQ(stand("A").radiusChanged, 0);
    EXPECT_TRUE(logHas("==> learned stand A has an invalid radius, the airport file's is kept"));
    EXPECT_TRUE(logHas("==> learned stand B has an invalid radius, the airport file's is kept"));
    EXPECT_TRUE(logHas("==> stand Mneg has an invalid position or radius, dropped"));
}

TEST_F(LearnedFile, SettingsOverrideUntilTheAirportIsLeft)
{
    const std::string settings = param("RANGE", "10") + param("AUTO_RANGE", "false") + param("WEEK", "true") +
                                 param("PARK_SOFT", "1") + param("INITIAL_LOAD_ONLY", "true") +
                                 param("RT_PARKTRAFFIC_ONLY", "true") + param("MAX_LIVE_SEL", "75") +
                                 param("MAX_FIT", "2");
    ASSERT_EQ(readWithLearned(apfText(kHead + settings, "")), "");
    EXPECT_EQ(RANGE.current.load(), 10);
    EXPECT_FALSE(AUTO_RANGE.current.load());
    EXPECT_TRUE(WEEK.current.load());
    EXPECT_TRUE(PARK_SOFT.current.load());
    EXPECT_TRUE(INITIAL_LOAD_ONLY.current.load());
    EXPECT_TRUE(RT_PARKTRAFFIC_ONLY.current.load());
    EXPECT_EQ(MAX_LIVE_SEL.current.load(), 75);
    EXPECT_EQ(MAX_FIT.current.load(), 2);
    EXPECT_EQ(MAX_FIT_FL.current.load(), 1.5f);
    EXPECT_EQ(parking_percentage.current.load(), 30);
    EXPECT_TRUE(logMentions("MAX_FIT                 : 2 (max number of half hours, is 1.5 hrs decimal)"));
    EXPECT_TRUE(logMentions("RANGE                   : 10"));
    EXPECT_EQ(parametersFileText(), "") << "a learned file's settings are not saved";

    gf_restoreAirportSettings();
    EXPECT_EQ(RANGE.current.load(), RANGE.defaultValue);
    EXPECT_EQ(AUTO_RANGE.current.load(), AUTO_RANGE.defaultValue);
    EXPECT_EQ(WEEK.current.load(), WEEK.defaultValue);
    EXPECT_EQ(MAX_FIT.current.load(), MAX_FIT.defaultValue);
    EXPECT_EQ(MAX_FIT_FL.current.load(), 24.0f);
    EXPECT_EQ(MAX_LIVE_SEL.current.load(), MAX_LIVE_SEL.defaultValue);
    const std::string saved = parametersFileText();
    for (const char* key : {"RANGE", "AUTO_RANGE", "WEEK", "PARK_SOFT", "INITIAL_LOAD_ONLY",
                            "RT_PARKTRAFFIC_ONLY", "MAX_FIT", "MAX_LIVE_SEL"})
        EXPECT_NE(saved.find(fmt::format("\"{}\"", key)), std::string::npos) << key;
    EXPECT_EQ(saved.find("parking_percentage"), std::string::npos) << "unchanged: not saved";
}

TEST_F(LearnedFile, NothingIsPutBackBeforeAReadKeptTheSettings)
{
    g_savedApfParameters = SavedApfParameters{};
    RANGE.current = 12;
    gf_restoreAirportSettings();
    EXPECT_EQ(RANGE.current.load(), 12);
    EXPECT_EQ(parametersFileText(), "");
}

TEST_F(LearnedFile, MissingSettingsStayButTheParkingPercentageIsSet)
{
    MAX_FIT.current = 5;
    parking_percentage.current = 75;
    ASSERT_EQ(readWithLearned(apfText(kHead, "")), "");
    EXPECT_EQ(MAX_FIT.current.load(), 5);
    EXPECT_EQ(parking_percentage.current.load(), 30);
    EXPECT_FALSE(logMentions("parking_percentage"));
}

TEST_F(LearnedFile, AnotherAirportNameIsShown)
{
    ASSERT_EQ(readWithLearned(apfText(param("airport_name", "Frankfurt Main"), "")), "");
    EXPECT_EQ(gf_statusTexts().status,
              "Warning: learned file airport name: 'Frankfurt Main' differs from archived file airport name: "
              "'Frankfurt'");
    gf_clearStatus();
}

TEST_F(LearnedFile, AHandmadeFileReplacesTheAirportFilesStandsWhateverItsValue)
{
    const std::string stands =
        parkposAt("H1", 0, 0, 25, R"(type="5")", R"(<opt reg="PH-X" day="4" hh="2:3"/>)");
    ASSERT_EQ(readWithLearned(apfText(kHead + param("handmade", "false") + param("Qf_real", "5"), stands)),
              "");
    EXPECT_TRUE(g_handmade);
    ASSERT_EQ(g_stands.size(), 1u);
    EXPECT_EQ(g_stands[0].name, "H1");
    EXPECT_EQ(g_stands[0].options.at(0).fromFile, 1u);
    EXPECT_TRUE(logHas("A handmade airport file overruled the archived file!"));
    EXPECT_TRUE(logMentions("handmade                : false"));
    EXPECT_EQ(gf_parkAirportPanel().fileText, "");
    EXPECT_TRUE(gf_parkAirportPanel().handmade);
    EXPECT_TRUE(logHas("Airport file read from 'airports/learned/simaddon/EDDF.xml' for Frankfurt"));
}

struct UnmergedCase
{
    std::string name;
    std::string content;
    std::size_t stands;
    std::string logged;
};

class UnmergedLearnedFile : public LearnedFile, public ::testing::WithParamInterface<UnmergedCase>
{
};

TEST_P(UnmergedLearnedFile, IsKeptBeforeItCanBeOverwritten)
{
    const UnmergedCase& c = GetParam();
    ASSERT_EQ(readWithLearned(c.content), "");
    EXPECT_EQ(g_stands.size(), c.stands);
    EXPECT_EQ(readFile(kLearnedBackup), c.content);
    EXPECT_TRUE(logMentions(c.logged)) << c.logged;
    EXPECT_EQ(logMentions("EDDF.xml was not merged completely, saved as *.0.xml"), c.name != "NotLoadable");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnmergedLearnedFile,
    ::testing::Values(
        UnmergedCase{"NotLoadable", "<root><parkpositions>", 2,
                     "airports/learned/simaddon/EDDF.xml found, but could not be loaded, saved as *.0.xml: "},
        UnmergedCase{"MetaRefused",
                     std::string(R"(<root><meta><info name="copyright" value=""/></meta><parkpositions>)") +
                         R"(<parkpos id="A" radius_change="true" radius="30"/>)" + "</parkpositions></root>",
                     2, "no copyright info in the file"},
        UnmergedCase{
            "HandmadeWithARepeatedStand",
            apfText(kHead + param("handmade", "true"),
                    parkposAt("H1", 0, 0, 20) + parkposAt("H2", 0, 50, 20) + parkposAt("H1", 0, 0, 20)),
            2, "lf_readLearned: 94: Stand 'H1' appears more than once."}),
    caseName);

} // namespace
} // namespace ovr::test
