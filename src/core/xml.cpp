#include "core/xml.h"

#include "core/files.h"

namespace ovr
{

namespace
{

// Sets an attribute of the declaration, adding it when missing; "version"
// must come first in a declaration, so it is put in front.
void lf_setDeclarationAttr(pugi::xml_node declaration, const char* name, const char* value, bool first)
{
    pugi::xml_attribute attr = declaration.attribute(name);
    if (!attr)
        attr = first ? declaration.prepend_attribute(name) : declaration.append_attribute(name);
    attr.set_value(value);
}

} // namespace

bool gf_saveXmlDocument(pugi::xml_document& document, const std::filesystem::path& path)
{
    pugi::xml_node declaration;
    for (pugi::xml_node child : document.children())
    {
        if (child.type() == pugi::node_declaration)
        {
            declaration = child;
            break;
        }
    }
    if (!declaration)
        declaration = document.prepend_child(pugi::node_declaration);
    lf_setDeclarationAttr(declaration, "version", "1.0", true);
    lf_setDeclarationAttr(declaration, "encoding", "UTF-8", false);

    return gf_replaceFile(path,
                          [&document](std::ostream& out)
                          {
                              document.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
                              return true;
                          });
}

bool gf_setXmlAttr(pugi::xml_node node, const char* name, std::string_view value)
{
    pugi::xml_attribute attr = node.append_attribute(name);
    if (!attr)
        return false;
    return attr.set_value(value.data(), value.size());
}

bool gf_setXmlAttr(pugi::xml_node node, const char* name, const std::string& value)
{
    return gf_setXmlAttr(node, name, std::string_view(value));
}

bool gf_setXmlAttr(pugi::xml_node node, const char* name, const char* value)
{
    return gf_setXmlAttr(node, name, std::string_view(value));
}

std::string gf_attributeAsString(pugi::xml_node node, const char* name)
{
    pugi::xml_attribute attr = node.attribute(name);
    return attr ? std::string(attr.value()) : std::string();
}

double lf_attrAsDouble(pugi::xml_node node, const char* name)
{
    pugi::xml_attribute attr = node.attribute(name);
    return attr ? attr.as_double() : 0.0;
}

} // namespace ovr
