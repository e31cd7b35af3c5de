#include "core/meta_info.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/time.h"
#include "core/xml.h"

#include <string_view>

namespace ovr
{

namespace
{

constexpr std::string_view kCopyright = "Copyright (c) Voraflow. Data compiled for use with Vora only.";

bool lf_appendInfo(pugi::xml_node meta, std::string_view name, std::string_view value)
{
    pugi::xml_node info = meta.append_child("info");
    return info && gf_setXmlAttr(info, "name", name) && gf_setXmlAttr(info, "value", value);
}

} // namespace

bool gf_writeMeta(pugi::xml_document& document, const MetaInfo& info)
{
    pugi::xml_node root = document.child("root");
    if (!root)
    {
        root = document.append_child("root");
    }
    if (!root)
    {
        return false;
    }
    pugi::xml_node meta = root.append_child("meta");
    if (!meta)
    {
        return false;
    }
    bool ok = lf_appendInfo(meta, "author", g_programShortName);
    ok = lf_appendInfo(meta, "version", info.version) && ok;
    ok = lf_appendInfo(meta, "date", gf_dateText()) && ok;
    ok = lf_appendInfo(meta, "copyright", kCopyright) && ok;
    return lf_appendInfo(meta, "sim", std::to_string(info.sim)) && ok;
}

std::optional<MetaInfo> gf_readMeta(const pugi::xml_document& document, bool simMarkerOptional)
{
    const pugi::xml_node root = document.child("root");
    const pugi::xml_node meta = (root ? root : static_cast<pugi::xml_node>(document)).child("meta");
    if (!meta)
    {
        return std::nullopt;
    }
    MetaInfo info;
    bool copyright = false;
    bool author = false, version = false, date = false, p3d = false, msfs = false, sim = false;
    const auto first = [](bool& seen)
    {
        const bool was = seen;
        seen = true;
        return !was;
    };
    for (const pugi::xml_node entry : meta.children("info"))
    {
        const std::string_view name = entry.attribute("name").value();
        const char* value = entry.attribute("value").value();
        if (name == "copyright")
        {
            if (copyright)
            {
                continue;
            }
            if (*value == '\0')
            {
                gf_logWarning("no copyright info in the file");
                return std::nullopt;
            }
            copyright = true;
        }
        else if (name == "author" && first(author))
        {
            info.author = value;
        }
        else if (name == "version" && first(version))
        {
            info.version = value;
        }
        else if (name == "date" && first(date))
        {
            info.date = value;
        }
        else if (name == "P3D" && first(p3d))
        {
            info.p3d = value;
        }
        else if (name == "MSFS" && first(msfs))
        {
            info.msfs = value;
        }
        else if (name == "sim" && first(sim))
        {
            info.sim = entry.attribute("value").as_int(0);
        }
    }
    if (!copyright || !(simMarkerOptional || sim || p3d || msfs))
    {
        return std::nullopt;
    }
    info.present = true;
    return info;
}

} // namespace ovr
