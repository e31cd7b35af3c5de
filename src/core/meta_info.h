// The meta block of the program's XML data files:
//   <root><meta><info name="author" value="Vora"/> ... </meta> ... </root>
// A data file is accepted only when its block has a non-empty copyright
// entry and, unless the caller makes it optional, a simulator marker
// ("sim", "P3D" or "MSFS").
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ovr
{

struct MetaInfo
{
    std::string author;
    std::string version;
    std::string date;
    std::string p3d;
    std::string msfs;
    std::int32_t sim = -1; // -1 when the block had no "sim" entry
    bool present = false;  // the reader accepted the block
};

// Appends a meta block under `root` (made when missing) with the author, the
// record's version, today's date, the copyright notice and the record's sim.
// True only when all five entries were written.
bool gf_writeMeta(pugi::xml_document& document, const MetaInfo& info);

// The file's first meta block (under `root`, or under the document when it
// has no `root`), or none when the file must be refused.
std::optional<MetaInfo> gf_readMeta(const pugi::xml_document& document, bool simMarkerOptional);

} // namespace ovr
