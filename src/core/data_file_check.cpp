#include "core/data_file_check.h"

#include "core/stream_decrypt.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <system_error>

namespace ovr
{

bool gf_dataFileReads(const std::filesystem::path& encrypted, std::string_view section, std::string& why)
{
    std::filesystem::path plain = encrypted;
    plain += ".check.xml";
    if (!gf_streamDecrypt(encrypted, plain))
    {
        why = "it does not decrypt";
        return false;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(plain.c_str());
    std::error_code ec;
    std::filesystem::remove(plain, ec);
    if (!parsed)
    {
        why = fmt::format("its text is no XML: {}", parsed.description());
        return false;
    }
    const std::string name(section);
    if (!document.child("root").child(name.c_str()))
    {
        why = fmt::format("it holds no {} section", name);
        return false;
    }
    return true;
}

} // namespace ovr
