// The reader of output/LiveriesScanned.xml: its user errors, the optional
// attributes and the order of the liveries it leaves in g_liveries.

#include <fstream>

#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "core/user_error.h"
#include "liveries/livery_data.h"
#include "liveries/scanned_liveries_file.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

class ScannedLiveriesTest : public TablesTest
{
  protected:
    void writeDocument(std::string_view xml)
    {
        fs::create_directories("output");
        std::ofstream("output/LiveriesScanned.xml", std::ios::binary) << xml;
    }
    std::string readError()
    {
        return errorOf<UserErrorException>([] { lf_readScannedLiveries(); });
    }
};

struct ErrorCase
{
    const char* name;
    const char* document; // nullptr: no file at all
    const char* message;
};

const ErrorCase kErrorCases[] = {
    {"missing_file", nullptr, "51: File output/LiveriesScanned.xml not found"},
    // A file cut short is there: the message says what is wrong with it.
    {"malformed", "<root><liveries><l a=\"DLH\"",
     "51: File output/LiveriesScanned.xml is damaged: Error parsing start element tag at byte 25"},
    {"no_liveries_section", "<root><meta/></root>",
     "52: output/LiveriesScanned.xml does not contain a <liveries> section"},
    {"other_document_element", "<data><liveries><l a=\"DLH\" m=\"A320\" t=\"x\"/></liveries></data>",
     "533: output/LiveriesScanned.xml does not contain liveries"},
    {"empty_liveries", "<root><liveries/></root>",
     "533: output/LiveriesScanned.xml does not contain liveries"},
    {"missing_model", "<root><liveries><l a=\"DLH\" t=\"x\"/></liveries></root>",
     "999: Missing required attribute 'm' in <l>"},
    {"missing_all", "<root><liveries><l/></liveries></root>", "999: Missing required attribute 'a' in <l>"},
    {"missing_title_other_name", "<root><liveries><x a=\"DLH\" m=\"A320\"/></liveries></root>",
     "999: Missing required attribute 't' in <x>"},
    {"longer_names_are_not_the_attribute",
     "<root><liveries><l am=\"DLH\" A=\"DLH\" m=\"A320\" t=\"x\"/></liveries></root>",
     "999: Missing required attribute 'a' in <l>"},
};

class ScannedLiveriesErrorTest : public ScannedLiveriesTest, public ::testing::WithParamInterface<ErrorCase>
{
};

TEST_P(ScannedLiveriesErrorTest, ThrowsTheUserErrorWithItsText)
{
    if (GetParam().document != nullptr)
        writeDocument(GetParam().document);
    EXPECT_EQ(readError(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScannedLiveriesErrorTest, ::testing::ValuesIn(kErrorCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ScannedLiveriesTest, OptionalAttributesDefaultAndAnyElementNameIsALivery)
{
    writeDocument(R"(<root><liveries>
        <l a="DLH" m="A320" t="plain"/>
        <x a="KLM" o="" m="E190" t="other element" r="" c="no"/>
        <l a="DAL" o="SKW" m="CRJ9" t="operated" r="N123" c="yes"/>
        <l a="" m="" t=""/>
      </liveries></root>)");
    ASSERT_EQ(readError(), "");
    ASSERT_EQ(g_liveries.size(), 4u);

    // Sorted: "" < DAL < DLH < KLM.
    EXPECT_EQ(g_liveries[0].title, "");
    EXPECT_EQ(g_liveries[0].key.airline, 0);
    EXPECT_EQ(g_liveries[1].title, "operated");
    EXPECT_EQ(g_airlineCodes.text(g_liveries[1].key.secondAirline), "SKW");
    EXPECT_EQ(g_liveries[1].registration, "N123");
    EXPECT_EQ(g_liveries[1].key.cargo, 1);
    EXPECT_EQ(g_liveries[2].title, "plain");
    EXPECT_EQ(g_liveries[2].key.secondAirline, 0);
    EXPECT_EQ(g_liveries[2].registration, "");
    EXPECT_EQ(g_liveries[2].key.cargo, 0);
    EXPECT_EQ(g_liveries[3].title, "other element");
    EXPECT_EQ(g_liveries[3].key.secondAirline, 0);
    EXPECT_EQ(g_liveries[3].key.cargo, 0);
    for (const LiveryData& livery : g_liveries)
    {
        EXPECT_EQ(livery.key.mark, 0);
        EXPECT_EQ(livery.folder, 0);
    }
    EXPECT_EQ(logLinesWith("liveries read from"),
              std::vector<std::string>{"    4 liveries read from output/LiveriesScanned.xml"});
}

TEST_F(ScannedLiveriesTest, TheFirstAttributeOfANameCountsAndOthersAreIgnored)
{
    writeDocument(R"(<root><liveries>
        <l title="no" x="1" a="DLH" m="A320" t="first" t="second" r="D-AAAA" r="D-BBBB" ab="no" c="yes" c="no"
           o="SKW" o="KLM" a="KLM"/>
      </liveries></root>)");
    ASSERT_EQ(readError(), "");
    ASSERT_EQ(g_liveries.size(), 1u);
    EXPECT_EQ(g_liveries[0].title, "first");
    EXPECT_EQ(g_liveries[0].registration, "D-AAAA");
    EXPECT_EQ(g_airlineCodes.text(g_liveries[0].key.airline), "DLH");
    EXPECT_EQ(g_airlineCodes.text(g_liveries[0].key.secondAirline), "SKW");
    EXPECT_EQ(g_liveries[0].key.cargo, 1);
}

TEST_F(ScannedLiveriesTest, CargoValuesReadAsPugixmlBooleans)
{
    writeDocument(R"(<root><liveries>
        <l a="DLH" m="A320" t="1" c="1"/><l a="DLH" m="A320" t="2" c="true"/>
        <l a="DLH" m="A320" t="3" c="Yes"/><l a="DLH" m="A320" t="4" c="false"/>
        <l a="DLH" m="A320" t="5" c="0"/><l a="DLH" m="A320" t="6" c="no"/>
      </liveries></root>)");
    ASSERT_EQ(readError(), "");
    std::string flags;
    for (const LiveryData& livery : g_liveries)
        flags += livery.key.cargo != 0 ? 'c' : 'p';
    EXPECT_EQ(flags, "cccppp");
}

TEST_F(ScannedLiveriesTest, SortsByCodeTextsThenTitleAndKeepsTiesInFileOrder)
{
    writeDocument(R"(<root><liveries>
        <l a="ABC" m="A320" t="abc"/>
        <l a="AALX" m="A320" t="aalx"/>
        <l a="AAL" m="B744" t="aal b744"/>
        <l a="AAL" m="A320" t="same" c="true" r="first"/>
        <l a="AAL" m="A320" t="same" r="second"/>
        <l a="AAL" m="A320" t="a title"/>
        <l a="AAL" o="XYZ" m="A320" t="aal xyz"/>
      </liveries></root>)");
    ASSERT_EQ(readError(), "");
    std::vector<std::string> order;
    for (const LiveryData& livery : g_liveries)
        order.push_back(livery.title + (livery.registration.empty() ? "" : "/" + livery.registration));
    EXPECT_EQ(order, (std::vector<std::string>{"a title", "same/first", "same/second", "aal b744", "aal xyz",
                                               "aalx", "abc"}));
}

} // namespace
} // namespace ovr::test
