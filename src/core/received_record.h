// Bounded reads of the records that SimConnect hands a dispatch procedure
// (the simulator link's and the facility reader's).
// A record is trusted only as far as its own size says (the smaller of
// dwSize and the size the library passes): a record too short for its kind
// is not read at all, strings are read only within their field or the
// record, and a data block is read only after its length was checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/simconnect/simconnect.h"

namespace ovr
{

// The bytes of the record that may be read.
DWORD gf_recordBytes(const SIMCONNECT_RECV& record, DWORD size);

// The record as its kind, when it is at least that long.
template <class Rec> const Rec* gf_recordAs(const SIMCONNECT_RECV& record, DWORD size)
{
    return gf_recordBytes(record, size) >= sizeof(Rec) ? static_cast<const Rec*>(&record) : nullptr;
}

// A data record (SIMOBJECT_DATA, SIMOBJECT_DATA_BYTYPE): its request, its
// object and the data block that starts at dwData and ends with the record.
struct ObjectData
{
    DWORD requestId = 0;
    DWORD objectId = 0;
    std::span<const std::byte> block;

    double f64(std::size_t offset) const;
    std::int64_t i64(std::size_t offset) const;
    // A STRING32 field: at most 32 bytes, up to its first NUL.
    std::string string32(std::size_t offset) const;
    // A STRINGV field that fills the rest of the block: up to its first NUL
    // or the end of the record.
    std::string stringV(std::size_t offset) const;
};

// The data record's fields; none when the record is shorter than its header.
std::optional<ObjectData> gf_objectData(const SIMCONNECT_RECV& record, DWORD size);

// A fixed-length text field of a record (such as szApplicationName): up to
// its first NUL, never beyond the field.
std::string gf_fieldText(const char* field, std::size_t fieldBytes);

} // namespace ovr
