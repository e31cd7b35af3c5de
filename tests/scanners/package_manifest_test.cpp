// Package manifests: the search upward from a scenery file, the keys and
// their JSON errors, the publisher of an airport and the airport code of a
// scenery file.
#include "scan_test_support.h"

#include "scanners/package_manifest.h"

namespace ovr::test
{
namespace
{

class Manifest : public ScanTest
{
  protected:
    fs::path package() const { return folder() / "Community" / "pkg"; }
    fs::path sceneryFile() const { return package() / "scenery" / "global" / "x.bgl"; }
};

TEST_F(Manifest, ThePackagesManifestIsFoundTwoFoldersUp)
{
    writeFile(
        package() / "manifest.json",
        R"({"title": "My Airport", "package_version": "1.2.3", "manufacturer": "Maker", "creator": "Me"})");
    writeFile(sceneryFile(), "");
    EXPECT_EQ(gf_searchManifest(sceneryFile()), (PackageManifest{"My Airport", "1.2.3", "Maker", "Me"}));
    EXPECT_TRUE(report().empty());
}

TEST_F(Manifest, AManifestSevenFoldersAboveTheFilesFolderIsNotFound)
{
    const fs::path deep = folder() / "top" / "a" / "b" / "c" / "d" / "e" / "f" / "g";
    writeFile(folder() / "top" / "manifest.json", R"({"title": "far"})");
    EXPECT_FALSE(gf_searchManifest(deep / "x.bgl").has_value()) << "g and six above it: f..a";
    EXPECT_TRUE(gf_searchManifest(deep.parent_path() / "x.bgl").has_value())
        << "f and six above it reach top";
}

TEST_F(Manifest, ManifestFileNamesCompareExactly)
{
    for (const char* name : {"Manifest.json", "manifest.JSON", "manifest.json.bak"})
        writeFile(package() / name, R"({"title": "t"})");
    fs::create_directories(package() / "scenery" / "manifest.json");
    EXPECT_FALSE(gf_searchManifest(package() / "scenery" / "x.bgl").has_value());
}

struct KeysCase
{
    std::string name;
    std::string json;
    PackageManifest expected;
};

class ManifestKeys : public Manifest, public ::testing::WithParamInterface<KeysCase>
{
};

TEST_P(ManifestKeys, ReadAsTexts)
{
    writeFile(package() / "manifest.json", GetParam().json);
    EXPECT_EQ(gf_searchManifest(sceneryFile()), GetParam().expected);
    EXPECT_TRUE(report().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ManifestKeys,
    ::testing::Values(
        KeysCase{"VersionFallback", R"({"package_version": "", "version": "1.2.3"})", {"", "1.2.3", "", ""}},
        KeysCase{"NoVersion", R"({"title": "t"})", {"t", "", "", ""}},
        KeysCase{"NullEmptyObjectEmptyArray",
                 R"({"creator": null, "manufacturer": {}, "title": []})",
                 {"", "", "", ""}},
        KeysCase{
            "PackageVersionWins", R"({"package_version": "2.0", "version": "1.0"})", {"", "2.0", "", ""}},
        KeysCase{"SplitOverLines", "{\n\"title\": \"a\",\n\"creator\": \"b\"\n}\n", {"a", "", "", "b"}},
        KeysCase{"Utf8", "{\"title\": \"Z\xC3\xBCrich\"}", {"Z\xC3\xBCrich", "", "", ""}}),
    caseName);

struct BadCase
{
    std::string name;
    std::string content;
    std::string reportStart; // empty: no report, the search goes on upward
};

class BadManifest : public Manifest, public ::testing::WithParamInterface<BadCase>
{
};

TEST_P(BadManifest, EndsTheSearchOrIsPassedOver)
{
    // A good manifest above the bad one: found only when the search goes on.
    writeFile(folder() / "Community" / "manifest.json", R"({"title": "above"})");
    writeFile(package() / "manifest.json", GetParam().content);
    const std::optional<PackageManifest> found = gf_searchManifest(sceneryFile());
    if (GetParam().reportStart.empty())
    {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->title, "above");
        EXPECT_TRUE(report().empty());
    }
    else
    {
        EXPECT_FALSE(found.has_value());
        ASSERT_EQ(report().size(), 1u);
        EXPECT_EQ(report()[0].rfind(GetParam().reportStart, 0), 0u) << report()[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadManifest,
    ::testing::Values(BadCase{"Empty", "", ""}, BadCase{"NotAnObject", "[1, 2]", ""},
                      BadCase{"NumberCreator", R"({"creator": 5})",
                              "exception in gf_searchManifest: [json.exception.type_error.302]"},
                      BadCase{"ArrayTitle", R"({"title": ["a"]})",
                              "exception in gf_searchManifest: [json.exception.type_error.302]"},
                      BadCase{"Syntax", R"({"title": )",
                              "exception in gf_searchManifest: [json.exception.parse_error.101]"}),
    caseName);

TEST_F(Manifest, ThePublisherComesFromThePathFirst)
{
    ScannedAirport airport = gf_scannedAirportAt(folder() / "Community" / "Microsoft-Airport-eddf" / "x.bgl");
    writeFile(airport.record.sceneryPath.parent_path() / "manifest.json", R"({"creator": 5})");
    lf_classifyPublisher(airport);
    EXPECT_EQ(airport.record.publisher, "simaddon");
    EXPECT_FALSE(airport.manifest.has_value()) << "no manifest is read";
    EXPECT_EQ(report(), std::vector<std::string>{"publisher: simaddon"});
}

struct PublisherCase
{
    std::string name;
    std::string packageName;
    std::string manifest; // empty: none
    std::string publisher;
    std::string reportLine;
};

class Publisher : public Manifest, public ::testing::WithParamInterface<PublisherCase>
{
};

TEST_P(Publisher, IsClassified)
{
    const fs::path pkg = folder() / "Community" / GetParam().packageName;
    if (!GetParam().manifest.empty())
        writeFile(pkg / "manifest.json", GetParam().manifest);
    ScannedAirport airport = gf_scannedAirportAt(pkg / "scenery" / "x.bgl");
    airport.record.publisher = "";
    lf_classifyPublisher(airport);
    EXPECT_EQ(airport.record.publisher, GetParam().publisher);
    if (GetParam().reportLine.empty())
        EXPECT_TRUE(report().empty());
    else
        EXPECT_EQ(report(), std::vector<std::string>{GetParam().reportLine});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Publisher,
    ::testing::Values(
        PublisherCase{"AsoboPath", "asobo-airport-lfpg", "", "simaddon", "publisher: simaddon"},
        PublisherCase{"NameInPath", "somedev-eddl", "", "Some Developer", "publisher: Some Developer"},
        PublisherCase{"Manufacturer", "pkg-eddl",
                      R"({"manufacturer": "FlyLand Studios", "creator": "TropicalSim"})", "FlyLand",
                      "publisher 'FlyLand'"},
        PublisherCase{"Creator", "pkg-eddl", R"({"manufacturer": "Unknown", "creator": "by TropicalSim"})",
                      "TropicalSim", "publisher 'TropicalSim'"},
        PublisherCase{"NoManifest", "pkg-eddl", "", "", ""},
        PublisherCase{"NobodyKnown", "pkg-eddl", R"({"manufacturer": "Unknown", "creator": "Nobody"})", "",
                      ""}),
    caseName);

struct CodeCase
{
    std::string name;
    std::string relativePath; // under Community
    std::string manifest;     // of Community/<first folder>; empty: none
    std::optional<std::string> code;
    bool unsupported;
    std::vector<std::string> report;
};

class AirportCode : public Manifest, public ::testing::WithParamInterface<CodeCase>
{
};

TEST_P(AirportCode, ComesFromPathStemOrTitle)
{
    const fs::path file = folder() / "Community" / GetParam().relativePath;
    if (!GetParam().manifest.empty())
    {
        const fs::path relative(GetParam().relativePath);
        writeFile(folder() / "Community" / *relative.begin() / "manifest.json", GetParam().manifest);
    }
    ScannedAirport airport = gf_scannedAirportAt(file);
    bool unsupported = false;
    const std::optional<IcaoCode> code = gf_airportCodeFromBgl(airport, unsupported);
    EXPECT_EQ(code ? std::optional<std::string>(code->text()) : std::nullopt, GetParam().code);
    EXPECT_EQ(unsupported, GetParam().unsupported);
    EXPECT_EQ(report(), GetParam().report);
}

// The package folder is named without a code unless a case names one; the
// folder name "Community" itself holds no four-character token.
INSTANTIATE_TEST_SUITE_P(
    Cases, AirportCode,
    ::testing::Values(
        CodeCase{"KnownInPath",
                 "x-eddf-scenery/s/a.bgl",
                 "",
                 "EDDF",
                 false,
                 {"airport has code 'EDDF' in BGL path"}},
        CodeCase{"SupportedUnknownInPath",
                 "x-zzzz-scenery/s/a.bgl",
                 "",
                 std::nullopt,
                 true,
                 {"airport has code 'ZZZZ' in BGL path", "no supported airport 'ZZZZ' in BGL path"}},
        // A stem that names an airport is itself a token of the path: the
        // path rule finds it first.
        CodeCase{"KmciStemIsInThePath",
                 "tropical-scenery/s/kmci.bgl",
                 "",
                 "KMCI",
                 false,
                 {"airport has code 'KMCI' in BGL path"}},
        CodeCase{"KnownStemNotSupported",
                 "tropical-scenery/s/egkk.bgl",
                 R"({"title": "EDDF"})",
                 "EGKK",
                 false,
                 {"no airport code found in BGL path", "code 'EGKK' as stem"}},
        CodeCase{"UnsupportedStem",
                 "tropical-scenery/s/ab12.bgl",
                 R"({"title": "EDDF"})",
                 std::nullopt,
                 true,
                 {"no airport code found in BGL path", "no supported airport code 'AB12' as stem"}},
        CodeCase{"BadStemCharacter",
                 "tropical-scenery/s/a_b1.bgl",
                 "",
                 std::nullopt,
                 false,
                 {"no airport code found in BGL path",
                  "Exception 'a_b1' FixedCode: invalid string (length/charset)"}},
        CodeCase{"FromTitle",
                 "tropical-scenery/s/apron.bgl",
                 R"({"title": "Dusseldorf EDDL"})",
                 "EDDL",
                 false,
                 {"no airport code found in BGL path", "airport has code 'EDDL' in title of manifest"}},
        CodeCase{"UnknownInTitle",
                 "tropical-scenery/s/apron.bgl",
                 R"({"title": "QQQQ field"})",
                 std::nullopt,
                 true,
                 {"no airport code found in BGL path", "airport has code 'QQQQ' in title of manifest",
                  "no supported airport 'QQQQ' in title of manifest"}},
        CodeCase{"NoneAnywhere",
                 "tropical-scenery/s/apron.bgl",
                 R"({"title": "Field"})",
                 std::nullopt,
                 false,
                 {"no airport code found in BGL path"}},
        CodeCase{"NoManifest",
                 "tropical-scenery/s/apron.bgl",
                 "",
                 std::nullopt,
                 false,
                 {"no airport code found in BGL path"}}),
    caseName);

} // namespace
} // namespace ovr::test
