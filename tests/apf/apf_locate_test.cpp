// Finding an airport's parking file, the learned file that belongs to it,
// and fetching archive files from the download service.
#include "apf_test_support.h"

#include "airports/airport_list.h"
#include "airports/apf_locate.h"
#include "airports/apf_locate_detail.h"
#include "core/globals.h"
#include "core/paths.h"

namespace ovr::test
{
namespace
{

const IcaoCode kEddf{"EDDF"};

struct FindCase
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> files; // path, content
    std::int32_t listedStands = -1;                         // -1: not in the airport list
    std::string expected;
};

class FindAirportFile : public ApfTest, public ::testing::WithParamInterface<FindCase>
{
};

TEST_P(FindAirportFile, FirstMatchWins)
{
    const FindCase& c = GetParam();
    for (const auto& [path, content] : c.files)
        writeFile(path, content);
    if (c.listedStands >= 0)
        g_airports.push_back(Airport{kEddf, IataCode("FRA"), 50.0, 8.5, 364.0f, c.listedStands});

    EXPECT_EQ(gf_findAirportFile(kEddf), c.expected);
    EXPECT_EQ(gf_hasAirportFile(kEddf), !c.files.empty() || c.listedStands >= 1);
}

const std::string kLink = "archive/thirdparty/Some%20Pub/EDDF.XML  \t\nsecond line\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, FindAirportFile,
    ::testing::Values(
        FindCase{"ThirdpartyLinkBeforeItsFile",
                 {{"airports/my_thirdparty/EDDF.txt", kLink}, {"airports/my_thirdparty/EDDF.xml", "<root/>"}},
                 5,
                 "archive/thirdparty/Some%20Pub/EDDF.XML"},
        FindCase{"ThirdpartyFileBeforeSimaddonLink",
                 {{"airports/my_thirdparty/EDDF.xml", "<root/>"}, {"airports/my_simaddon/EDDF.txt", kLink}},
                 -1,
                 "airports\\my_thirdparty\\EDDF.xml"},
        FindCase{"LinkToATextFileIsNoLink",
                 {{"airports/my_thirdparty/EDDF.txt", "archive/stock/EDDF.txt\n"},
                  {"airports/my_simaddon/EDDF.xml", "<root/>"}},
                 -1,
                 "airports\\my_simaddon\\EDDF.xml"},
        FindCase{"EmptyLinkIsNoLink", {{"airports/my_simaddon/EDDF.txt", ""}}, 3, "archive/stock/EDDF.xml"},
        FindCase{"FileNameInOtherCase",
                 {{"airports/my_simaddon/eddf.xml", "<root/>"}},
                 -1,
                 "airports\\my_simaddon\\eddf.xml"},
        FindCase{"StockWhenListedWithStands", {}, 1, "archive/stock/EDDF.xml"},
        FindCase{"NothingWhenListedWithoutStands", {}, 0, ""}, FindCase{"NothingWhenNotListed", {}, -1, ""}),
    caseName);

TEST_F(ApfTest, ALinkNamesItsArchiveFileAfterTrailingWhiteSpaceIsCut)
{
    std::string name = "left over";
    writeFile("a.txt", "x.Xml \r\n");
    EXPECT_TRUE(lf_readLinkFile("a.txt", name));
    EXPECT_EQ(name, "x.Xml");
    EXPECT_FALSE(lf_readLinkFile("missing.txt", name));
    EXPECT_EQ(name, "");
    writeFile("b.txt", "xml\n");
    EXPECT_FALSE(lf_readLinkFile("b.txt", name));
}

struct LearnedCase
{
    std::string name;
    std::string file;
    std::string publisher;
    fs::path expected; // empty: no learned file
};

class LearnedPath : public ApfTest, public ::testing::WithParamInterface<LearnedCase>
{
};

TEST_P(LearnedPath, OneMappingForReaderAndSaver)
{
    EXPECT_EQ(gf_learnedPathFor(GetParam().file, GetParam().publisher), GetParam().expected);
}

const fs::path kLearned = g_airportsLearnedPath;

INSTANTIATE_TEST_SUITE_P(
    Cases, LearnedPath,
    ::testing::Values(
        LearnedCase{"ArchiveStock", "archive/stock/EDDF.xml", "stock", kLearned / "stock" / "EDDF.xml"},
        LearnedCase{"ArchiveSimaddon", "archive/simaddon/EDDF.xml", "", kLearned / "simaddon" / "EDDF.xml"},
        LearnedCase{"ArchiveThirdpartyWithBlank", "archive/thirdparty/Some%20Pub/EDDF.xml", "ignored",
                    kLearned / "thirdparty" / "Some Pub" / "EDDF.xml"},
        LearnedCase{"ArchiveThirdpartyTrimmed", "archive\\thirdparty\\%20Pub%20\\EDDF.xml", "",
                    kLearned / "thirdparty" / "Pub" / "EDDF.xml"},
        LearnedCase{"ArchiveThirdpartyBlankFolder", "archive/thirdparty/%20/EDDF.xml", "Pub", {}},
        LearnedCase{"ArchiveThirdpartyWithoutFolder", "archive/thirdparty/EDDF.xml", "Pub", {}},
        LearnedCase{"ArchiveThirdpartyDotDot", "archive/thirdparty/../EDDF.xml", "", {}},
        LearnedCase{"UpperCaseExtension", "archive/stock/EDDF.XML", "", kLearned / "stock" / "EDDF.XML"},
        LearnedCase{"NotAnXmlFile", "archive/stock/EDDF.txt", "", {}},
        LearnedCase{"EmptyName", "", "Pub", {}},
        LearnedCase{"LocalStock", "airports\\stock\\EDDF.xml", "", kLearned / "stock" / "EDDF.xml"},
        LearnedCase{"LocalSimaddonGoesWhereTheSaverWrites", "airports\\my_simaddon\\EDDF.xml", "",
                    kLearned / "simaddon" / "EDDF.xml"},
        LearnedCase{"LocalThirdpartyWithoutPublisher", "airports\\my_thirdparty\\EDDF.xml", "", {}},
        LearnedCase{"LocalThirdpartyBlankPublisher", "airports\\my_thirdparty\\EDDF.xml", "   ", {}},
        LearnedCase{"LocalThirdparty", "airports/my_thirdparty/EDDF.xml", "Some Pub",
                    kLearned / "thirdparty" / "Some Pub" / "EDDF.xml"},
        LearnedCase{"LocalThirdparty2024", "airports\\my_thirdparty2024\\EDDF.xml", " A/B\\C ",
                    kLearned / "thirdparty" / "A B C" / "EDDF.xml"},
        LearnedCase{"PublisherDotDot", "airports\\my_thirdparty\\EDDF.xml", "..", {}},
        LearnedCase{"PublisherSlashesAndDots", "airports\\my_thirdparty\\EDDF.xml", "/../", {}},
        LearnedCase{"PublisherWithColon", "airports\\my_thirdparty\\EDDF.xml", "C:evil", {}},
        LearnedCase{"PublisherWithControlCharacter", "airports\\my_thirdparty\\EDDF.xml", "Pub\tX", {}},
        LearnedCase{"OtherLocalFolder", "airports\\mine\\EDDF.xml", "", kLearned / "mine" / "EDDF.xml"},
        LearnedCase{"OtherLocalFolderLeavingUp", "airports\\..\\..\\EDDF.xml", "", {}},
        LearnedCase{"AnyOtherName", "C:\\sceneries\\EDDF.xml", "", {}}),
    caseName);

TEST_F(ApfTest, AThirdpartyFileWithoutPublisherIsLoggedOncePerFile)
{
    EXPECT_TRUE(gf_learnedPathFor("airports\\my_thirdparty\\EHAM.xml", "").empty());
    EXPECT_TRUE(gf_learnedPathFor("airports\\my_thirdparty\\EHAM.xml", "").empty());
    std::size_t lines = 0;
    for (const std::string& line : logLines())
        lines += line.find("EHAM.xml") != std::string::npos ? 1 : 0;
    EXPECT_EQ(lines, 1u);
}

struct BaseNameCase
{
    std::string name;
    std::string expected;
};

// A miss in a folder that has not changed does not list it again; a name
// added later is found.
TEST_F(ApfTest, ACaseBlindLookUpListsAnUnchangedFolderOnce)
{
    const fs::path folder = "airports/my_simaddon";
    writeFile(folder / "Eddf.XML", "x");
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_EQ(gf_existingCaseBlind(folder / "EDDF.xml"), folder / "Eddf.XML");
    const std::uint64_t listings = detail::caseBlindListings();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(gf_existingCaseBlind(folder / "EHAM.xml"), fs::path());
    EXPECT_EQ(gf_existingCaseBlind(folder / "eddf.xml"), folder / "Eddf.XML");
    EXPECT_EQ(detail::caseBlindListings(), listings);

    writeFile(folder / "eham.XML", "x");
    EXPECT_EQ(gf_existingCaseBlind(folder / "EHAM.xml"), folder / "eham.XML");
}

TEST(ApfBaseName, TheStemIsCutToTheCode)
{
    for (const BaseNameCase& c :
         {BaseNameCase{"EDD.xml", "EDD.xml"}, BaseNameCase{"EDDF.xml", "EDDF.xml"},
          BaseNameCase{"airports\\my_simaddon\\EDDF_v2.xml", "airports\\my_simaddon\\EDDF.xml"},
          BaseNameCase{"archive/stock/EDDF2.xml", "archive/stock/EDDF.xml"}})
        EXPECT_EQ(lf_apfBaseName(c.name), c.expected) << c.name;
}

TEST(ApfNames, CodesAndFileNames)
{
    EXPECT_EQ(gf_icaoXmlName(IcaoCode("eddf")), "EDDF.xml");
    EXPECT_EQ(gf_icaoXmlPath(IcaoCode()), fs::path("    .xml"));
    EXPECT_EQ(gf_icaoTxtPath(IcaoCode("EDDF")), fs::path("EDDF.txt"));
    EXPECT_EQ(gf_icaoNamedFile(IcaoCode("EDDF"), "v1.2.3.zip"), "EDDFv123zip");
    EXPECT_EQ(lf_trimBlanks("  a b  "), "a b");
    EXPECT_EQ(lf_trimBlanks("   "), "");
}

TEST_F(ApfTest, ArchiveFilesComeFromTheSimulatorsFolderOfTheService)
{
    DownloadServer server;
    server.put("/downloads/MSFS/archive/stock/EDDF.xml", "2020");
    // The server sees the address decoded.
    server.put("/downloads/MSFS2024/archive/thirdparty/Some Pub/EDDF.xml", "2024");

    EXPECT_EQ(gf_downloadAirportFile("archive/stock/EDDF.xml", "a.xml"), "");
    EXPECT_EQ(readFile("a.xml"), "2020");
    g_simIs2020 = 0;
    EXPECT_EQ(gf_downloadAirportFile("archive/thirdparty/Some%20Pub/EDDF.xml", "b.xml"), "");
    EXPECT_EQ(readFile("b.xml"), "2024");
}

TEST_F(ApfTest, AFailedDownloadLeavesNothingBehind)
{
    DownloadServer server;
    writeFile("airports/park_airport.xml", "the airport read before");

    const std::string message = gf_downloadAirportFile("archive/stock/XXXX.xml", "airports/park_airport.xml");

    EXPECT_EQ(message, "failed to download: '" + server.base() + "MSFS/archive/stock/XXXX.xml'");
    EXPECT_TRUE(logHas(message));
    EXPECT_FALSE(fs::exists("airports/park_airport.xml"));
    EXPECT_FALSE(fs::exists("airports/park_airport.xml.part"));
}

} // namespace
} // namespace ovr::test
