#include "core/xml.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ovr
{
namespace
{

TEST(Xml, SavingWritesOneDeclarationAndIndentsByTwo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<root><a/></root>", "no declaration"},
        {"<?xml version=\"2.0\"?><root><a/></root>", "another version"},
        {"<?xml encoding=\"latin1\"?><root><a/></root>", "encoding only"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><a/></root>", "already right"},
    };
    test::TempDir dir;
    for (auto [source, what] : cases)
    {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(source, pugi::parse_default | pugi::parse_declaration)) << what;
        ASSERT_TRUE(gf_saveXmlDocument(doc, dir / "out.xml")) << what;
        EXPECT_EQ(test::readFile(dir / "out.xml"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <a />\n</root>\n")
            << what;
    }
}

TEST(Xml, SavingToAMissingFolderFails)
{
    test::TempDir dir;
    pugi::xml_document doc;
    doc.append_child("root");
    EXPECT_FALSE(gf_saveXmlDocument(doc, dir / "missing" / "out.xml"));
}

TEST(Xml, Attributes)
{
    pugi::xml_document doc;
    pugi::xml_node node = doc.append_child("parameter");
    EXPECT_TRUE(gf_setXmlAttr(node, "name", std::string_view("RANGE")));
    EXPECT_TRUE(gf_setXmlAttr(node, "value", std::string("30")));
    EXPECT_TRUE(gf_setXmlAttr(node, "value", "31")); // a second attribute, not a change
    EXPECT_TRUE(gf_setXmlAttr(node, "empty", ""));
    EXPECT_FALSE(gf_setXmlAttr(pugi::xml_node(), "name", "x"));

    EXPECT_EQ(gf_attributeAsString(node, "name"), "RANGE");
    EXPECT_EQ(gf_attributeAsString(node, "value"), "30");
    EXPECT_EQ(gf_attributeAsString(node, "missing"), "");
    EXPECT_EQ(gf_attributeAsString(node, "empty"), "");
    EXPECT_EQ(std::distance(node.attributes_begin(), node.attributes_end()), 4);

    EXPECT_EQ(lf_attrAsDouble(node, "value"), 30.0);
    EXPECT_EQ(lf_attrAsDouble(node, "name"), 0.0);
    EXPECT_EQ(lf_attrAsDouble(node, "missing"), 0.0);
}

} // namespace
} // namespace ovr
