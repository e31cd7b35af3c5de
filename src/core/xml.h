// XML helpers over pugixml: saving a document with its declaration, and
// reading and writing attributes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace ovr
{

// Makes sure the document starts with <?xml version="1.0" encoding="UTF-8"?>
// and saves it indented by two blanks as UTF-8. The file is replaced whole:
// a failed save leaves the old file as it was.
bool gf_saveXmlDocument(pugi::xml_document& document, const std::filesystem::path& path);

// Appends an attribute (an existing one of the same name is not looked for).
bool gf_setXmlAttr(pugi::xml_node node, const char* name, std::string_view value);
bool gf_setXmlAttr(pugi::xml_node node, const char* name, const std::string& value);
bool gf_setXmlAttr(pugi::xml_node node, const char* name, const char* value);
// The attribute's text; the empty text when the node does not have it.
std::string gf_attributeAsString(pugi::xml_node node, const char* name);
// The attribute's value as a number; 0 when it is missing or not a number.
double lf_attrAsDouble(pugi::xml_node node, const char* name);

} // namespace ovr
