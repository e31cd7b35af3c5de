#include "platform/simconnect/facility_definition.h"

#include "platform/simconnect/text_case.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace ovr::sim::detail
{
namespace
{

using Bytes = std::vector<std::byte>;

template <class T> void put(Bytes& out, T value)
{
    const auto at = out.size();
    out.resize(at + sizeof(T));
    std::memcpy(out.data() + at, &value, sizeof(T));
}

// A fixed text field: at most size-1 characters and a NUL.
void putText(Bytes& out, const std::string& text, std::size_t size)
{
    const auto at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, text.data(), std::min(text.size(), size - 1));
}

template <class Source> struct Field
{
    const char* name;
    void (*write)(Bytes&, const Source&);
};

constexpr std::size_t kAirportName = 32;

const std::array kAirportFields{
    Field<AirportFacility>{"LATITUDE", [](Bytes& b, const AirportFacility& a) { put(b, a.latDeg); }},
    Field<AirportFacility>{"LONGITUDE", [](Bytes& b, const AirportFacility& a) { put(b, a.lonDeg); }},
    Field<AirportFacility>{"ALTITUDE", [](Bytes& b, const AirportFacility& a) { put(b, a.altM); }},
    Field<AirportFacility>{"NAME",
                           [](Bytes& b, const AirportFacility& a) { putText(b, a.name, kAirportName); }},
    Field<AirportFacility>{"N_HELIPADS", [](Bytes& b, const AirportFacility& a)
                           { put(b, static_cast<std::int32_t>(a.helipads.size())); }},
    Field<AirportFacility>{"N_TAXI_PARKINGS", [](Bytes& b, const AirportFacility& a)
                           { put(b, static_cast<std::int32_t>(a.parkings.size())); }},
};

const std::array kParkingFields{
    Field<TaxiParking>{"TYPE", [](Bytes& b, const TaxiParking& p) { put(b, p.type); }},
    Field<TaxiParking>{"TAXI_POINT_TYPE", [](Bytes& b, const TaxiParking& p) { put(b, p.taxiPointType); }},
    Field<TaxiParking>{"NAME", [](Bytes& b, const TaxiParking& p) { put(b, p.name); }},
    Field<TaxiParking>{"SUFFIX", [](Bytes& b, const TaxiParking& p) { put(b, p.suffix); }},
    Field<TaxiParking>{"NUMBER", [](Bytes& b, const TaxiParking& p) { put(b, p.number); }},
    Field<TaxiParking>{"ORIENTATION", [](Bytes& b, const TaxiParking& p) { put(b, p.orientation); }},
    Field<TaxiParking>{"HEADING", [](Bytes& b, const TaxiParking& p) { put(b, p.headingDeg); }},
    Field<TaxiParking>{"RADIUS", [](Bytes& b, const TaxiParking& p) { put(b, p.radiusM); }},
    Field<TaxiParking>{"BIAS_X", [](Bytes& b, const TaxiParking& p) { put(b, p.biasXM); }},
    Field<TaxiParking>{"BIAS_Z", [](Bytes& b, const TaxiParking& p) { put(b, p.biasZM); }},
};

const std::array kHelipadFields{
    Field<Helipad>{"LATITUDE", [](Bytes& b, const Helipad& h) { put(b, h.latDeg); }},
    Field<Helipad>{"LONGITUDE", [](Bytes& b, const Helipad& h) { put(b, h.lonDeg); }},
    Field<Helipad>{"ALTITUDE", [](Bytes& b, const Helipad& h) { put(b, h.altM); }},
    Field<Helipad>{"HEADING", [](Bytes& b, const Helipad& h) { put(b, h.headingDeg); }},
    Field<Helipad>{"LENGTH", [](Bytes& b, const Helipad& h) { put(b, h.lengthM); }},
    Field<Helipad>{"WIDTH", [](Bytes& b, const Helipad& h) { put(b, h.widthM); }},
    Field<Helipad>{"SURFACE", [](Bytes& b, const Helipad& h) { put(b, h.surface); }},
    Field<Helipad>{"TYPE", [](Bytes& b, const Helipad& h) { put(b, h.type); }},
};

template <class Source, std::size_t N>
std::optional<std::size_t> findField(const std::array<Field<Source>, N>& table, std::string_view name)
{
    for (std::size_t i = 0; i < N; ++i)
    {
        if (equalsNoCase(name, table[i].name))
        {
            return i;
        }
    }
    return std::nullopt;
}

template <class Source, std::size_t N>
Bytes build(const std::array<Field<Source>, N>& table, const std::vector<std::size_t>& fields,
            const Source& source)
{
    Bytes out;
    for (const std::size_t i : fields)
    {
        table[i].write(out, source);
    }
    return out;
}

std::optional<FacilityBlock> blockNamed(std::string_view name)
{
    if (equalsNoCase(name, "AIRPORT"))
    {
        return FacilityBlock::airport;
    }
    if (equalsNoCase(name, "TAXI_PARKING"))
    {
        return FacilityBlock::taxiParking;
    }
    if (equalsNoCase(name, "HELIPAD"))
    {
        return FacilityBlock::helipad;
    }
    return std::nullopt;
}

bool startsWithWord(std::string_view entry, std::string_view word, std::string_view& rest)
{
    if (entry.size() > word.size() && equalsNoCase(entry.substr(0, word.size()), word) &&
        entry[word.size()] == ' ')
    {
        rest = entry.substr(word.size() + 1);
        return true;
    }
    return false;
}

} // namespace

bool FacilityDefinition::add(std::string_view entry)
{
    std::string_view blockName;
    if (startsWithWord(entry, "OPEN", blockName))
    {
        const auto block = blockNamed(blockName);
        // The airport is the outermost block; parkings and helipads sit in it.
        const bool fits = block && (open_.empty() ? *block == FacilityBlock::airport
                                                  : open_.back() == FacilityBlock::airport &&
                                                        *block != FacilityBlock::airport);
        if (!fits)
        {
            return false;
        }
        open_.push_back(*block);
        opened_[index(*block)] = true;
        return true;
    }
    if (startsWithWord(entry, "CLOSE", blockName))
    {
        const auto block = blockNamed(blockName);
        if (!block || open_.empty() || open_.back() != *block)
        {
            return false;
        }
        open_.pop_back();
        return true;
    }
    if (open_.empty())
    {
        return false;
    }
    const FacilityBlock block = open_.back();
    std::optional<std::size_t> field;
    switch (block)
    {
    case FacilityBlock::airport:
        field = findField(kAirportFields, entry);
        break;
    case FacilityBlock::taxiParking:
        field = findField(kParkingFields, entry);
        break;
    case FacilityBlock::helipad:
        field = findField(kHelipadFields, entry);
        break;
    }
    if (!field)
    {
        return false;
    }
    fields_[index(block)].push_back(*field);
    return true;
}

std::vector<std::byte> FacilityDefinition::airportBlock(const AirportFacility& airport) const
{
    return build(kAirportFields, fields_[index(FacilityBlock::airport)], airport);
}

std::vector<std::byte> FacilityDefinition::parkingBlock(const TaxiParking& parking) const
{
    return build(kParkingFields, fields_[index(FacilityBlock::taxiParking)], parking);
}

std::vector<std::byte> FacilityDefinition::helipadBlock(const Helipad& helipad) const
{
    return build(kHelipadFields, fields_[index(FacilityBlock::helipad)], helipad);
}

} // namespace ovr::sim::detail
