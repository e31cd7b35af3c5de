#include "core/meta_info.h"
#include "test_support.h"

namespace ovr::test
{
namespace
{

struct MetaCase
{
    const char* name;
    const char* infos; // the <info> elements of the block
    bool simMarkerOptional;
    bool accepted;
    std::int32_t sim;
    bool warns = false; // "no copyright info in the file"
};

const MetaCase kCases[] = {
    {"copyright and author, learned file",
     R"(<info name="copyright" value="c"/><info name="author" value="a"/>)", true, true, -1},
    {"copyright and author, airport file",
     R"(<info name="copyright" value="c"/><info name="author" value="a"/>)", false, false, -1},
    {"first copyright empty",
     R"(<info name="copyright" value=""/><info name="copyright" value="c"/>)"
     R"(<info name="sim" value="1"/>)",
     false, false, -1, true},
    {"later copyright empty",
     R"(<info name="copyright" value="c"/><info name="copyright" value=""/>)"
     R"(<info name="sim" value="1"/>)",
     false, true, 1},
    {"copyright without value", R"(<info name="copyright"/><info name="sim" value="1"/>)", true, false, -1,
     true},
    {"MSFS marker", R"(<info name="MSFS" value="whatever"/><info name="copyright" value="c"/>)", false, true,
     -1},
    {"P3D marker", R"(<info name="P3D" value=""/><info name="copyright" value="c"/>)", false, true, -1},
    {"sim without value", R"(<info name="copyright" value="c"/><info name="sim"/>)", false, true, 0},
    {"first sim counts",
     R"(<info name="copyright" value="c"/><info name="sim" value="2"/><info name="sim" value="5"/>)", false,
     true, 2},
    {"no copyright entry", R"(<info name="author" value="a"/><info name="sim" value="1"/>)", true, false, -1},
    {"names are case-sensitive", R"(<info name="Copyright" value="c"/><info name="SIM" value="1"/>)", true,
     false, -1},
};

class ReadMeta : public TempFolderTest, public ::testing::WithParamInterface<MetaCase>
{
};

TEST_P(ReadMeta, AcceptsOnlyACopyrightAndAMarker)
{
    const MetaCase& c = GetParam();
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string((std::string("<root><meta>") + c.infos + "</meta></root>").c_str()));
    const std::optional<MetaInfo> meta = gf_readMeta(doc, c.simMarkerOptional);
    ASSERT_EQ(meta.has_value(), c.accepted);
    if (meta)
    {
        EXPECT_TRUE(meta->present);
        EXPECT_EQ(meta->sim, c.sim);
    }
    EXPECT_EQ(logText().find("==> no copyright info in the file\n") != std::string::npos, c.warns);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ReadMeta, ::testing::ValuesIn(kCases), caseName);

TEST(Meta, WriterCreatesRootAndFiveEntriesThatReadBack)
{
    pugi::xml_document doc;
    MetaInfo info;
    info.version = "12.5.5";
    info.sim = 1;
    ASSERT_TRUE(gf_writeMeta(doc, info));
    std::vector<std::string> names;
    for (pugi::xml_node entry : doc.child("root").child("meta").children("info"))
    {
        names.emplace_back(entry.attribute("name").value());
        EXPECT_STREQ(entry.first_attribute().name(), "name");
        EXPECT_STRNE(entry.attribute("value").value(), "");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"author", "version", "date", "copyright", "sim"}));

    const std::optional<MetaInfo> read = gf_readMeta(doc, false);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->author, "Vora");
    EXPECT_EQ(read->version, "12.5.5");
    EXPECT_EQ(read->sim, 1);
    EXPECT_FALSE(read->date.empty());
}

TEST(Meta, ReaderSeesOnlyTheFirstBlock)
{
    pugi::xml_document doc;
    MetaInfo first;
    first.version = "1.0.0";
    first.sim = 1;
    MetaInfo second;
    second.version = "2.0.0";
    second.sim = 2;
    ASSERT_TRUE(gf_writeMeta(doc, first));
    ASSERT_TRUE(gf_writeMeta(doc, second));
    EXPECT_EQ(
        std::distance(doc.child("root").children("meta").begin(), doc.child("root").children("meta").end()),
        2);
    EXPECT_EQ(gf_readMeta(doc, false)->version, "1.0.0");
}

TEST(Meta, BlockDirectlyUnderTheDocumentIsRead)
{
    pugi::xml_document doc;
    ASSERT_TRUE(
        doc.load_string(R"(<meta><info name="copyright" value="c"/><info name="sim" value="1"/></meta>)"));
    EXPECT_TRUE(gf_readMeta(doc, false));
    pugi::xml_document none;
    ASSERT_TRUE(none.load_string("<root/>"));
    EXPECT_FALSE(gf_readMeta(none, true));
}

} // namespace
} // namespace ovr::test
