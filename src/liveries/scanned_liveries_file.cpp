#include "liveries/scanned_liveries_file.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "core/code_pool.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/paths.h"
#include "core/user_error.h"
#include "liveries/livery_data.h"

namespace ovr
{
namespace
{

constexpr std::int32_t kFileNotFound = 51;
constexpr std::int32_t kNoLiveriesSection = 52;
constexpr std::int32_t kNoLiveries = 533;
constexpr std::int32_t kMissingAttribute = 999;

// The attributes of one <l>, each the first of its name, as a search by name
// finds it; one walk over them instead of a search per name.
struct LiveryAttributes
{
    pugi::xml_attribute airline;  // a
    pugi::xml_attribute model;    // m
    pugi::xml_attribute title;    // t
    pugi::xml_attribute reg;      // r
    pugi::xml_attribute operates; // o
    pugi::xml_attribute cargo;    // c

    explicit LiveryAttributes(pugi::xml_node element)
    {
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
             attribute = attribute.next_attribute())
        {
            const char* name = attribute.name();
            if (name[0] == '\0' || name[1] != '\0')
                continue;
            pugi::xml_attribute* slot = nullptr;
            switch (name[0])
            {
            case 'a':
                slot = &airline;
                break;
            case 'm':
                slot = &model;
                break;
            case 't':
                slot = &title;
                break;
            case 'r':
                slot = &reg;
                break;
            case 'o':
                slot = &operates;
                break;
            case 'c':
                slot = &cargo;
                break;
            default:
                continue;
            }
            if (!*slot)
                *slot = attribute;
        }
    }
};

// The text of a required attribute; present with an empty value is accepted.
const char* lf_required(pugi::xml_attribute attribute, pugi::xml_node element, const char* name)
{
    if (!attribute)
        throw UserErrorException(
            kMissingAttribute, fmt::format("Missing required attribute '{}' in <{}>", name, element.name()));
    return attribute.value();
}

// The id of the last code text met. The file is sorted by airline and type,
// so most liveries name the codes of the one before; the pools are asked
// only when a text changes.
class LastCode
{
  public:
    explicit LastCode(std::uint16_t (*intern)(std::string_view)) : m_intern(intern) {}
    std::uint16_t id(const char* text)
    {
        if (!m_known || m_text != text)
        {
            m_text = text;
            m_id = m_intern(m_text);
            m_known = true;
        }
        return m_id;
    }

  private:
    std::uint16_t (*m_intern)(std::string_view);
    std::string m_text;
    std::uint16_t m_id = 0;
    bool m_known = false;
};

} // namespace

namespace detail
{

void readScannedLiveriesFrom(const std::filesystem::path& file)
{
    g_liveries.clear();
    g_liveries.shrink_to_fit();

    pugi::xml_document doc;
    if (const pugi::xml_parse_result loaded = doc.load_file(file.c_str()); !loaded)
    {
        // A file cut short (a scan that did not end, a full disk) is there:
        // the user is told what is wrong with it, not to look for it.
        if (loaded.status == pugi::status_file_not_found)
            throw UserErrorException(kFileNotFound, fmt::format("File {} not found", file.string()));
        throw UserErrorException(kFileNotFound, fmt::format("File {} is damaged: {} at byte {}", file.string(),
                                                            loaded.description(), loaded.offset));
    }

    // The scan writes a meta block; an older file without one is still read.
    (void)gf_readMeta(doc, true);

    if (pugi::xml_node root = doc.child("root"))
    {
        pugi::xml_node liveries = root.child("liveries");
        if (!liveries)
            throw UserErrorException(kNoLiveriesSection,
                                     fmt::format("{} does not contain a <liveries> section", file.string()));
        g_liveries.reserve(static_cast<std::size_t>(
            std::distance(liveries.children().begin(), liveries.children().end())));
        LastCode airlines(&gf_airlineId);
        LastCode operators(&gf_airlineId);
        LastCode models(&gf_modelId);
        for (pugi::xml_node element : liveries.children())
        {
            if (element.type() != pugi::node_element)
                continue;
            const LiveryAttributes attributes(element);
            const char* airline = lf_required(attributes.airline, element, "a");
            const char* model = lf_required(attributes.model, element, "m");
            const char* title = lf_required(attributes.title, element, "t");
            LiveryData& livery = g_liveries.emplace_back();
            livery.title = title;
            livery.registration = attributes.reg.value();
            livery.key.airline = airlines.id(airline);
            // The empty text is id 0 in a pool that the model database
            // filled; without one it must not become a code of its own.
            const char* operatorCode = attributes.operates.value();
            livery.key.secondAirline = *operatorCode == '\0' ? 0 : operators.id(operatorCode);
            livery.key.model = models.id(model);
            livery.key.cargo = attributes.cargo.as_bool(false) ? 1 : 0;
        }
    }
    if (g_liveries.empty())
        throw UserErrorException(kNoLiveries, file.string() + " does not contain liveries");

    // The scan writes the file in this order; sorting it again would only
    // cost the time of a sort. A file written otherwise is sorted.
    if (!std::is_sorted(g_liveries.begin(), g_liveries.end(), lf_liveryLess))
        std::stable_sort(g_liveries.begin(), g_liveries.end(), lf_liveryLess);
    gf_log(fmt::format("{:5} liveries read from {}", g_liveries.size(), file.string()));
}

} // namespace detail

void lf_readScannedLiveries()
{
    detail::readScannedLiveriesFrom(g_liveriesScannedXmlPath);
}

} // namespace ovr
