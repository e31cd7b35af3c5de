#include "bgl_variants.h"

#include <functional>
#include <map>
#include <stdexcept>

#include <fmt/format.h>

namespace ovr::genbgl
{

namespace
{

constexpr double kLat = 50.0333;
constexpr double kLon = 8.5705;

Bytes lf_file(const AirportRecord& airport)
{
    return bglFile({Section{3, 0, {airportRecord(airport)}}});
}

Bytes lf_twoAirports()
{
    AirportRecord second = sampleAirport("EDDL");
    second.elevationMillimetres = 37000;
    return bglFile(
        {Section{4, 0, {plainRecord(0x04, 40)}},
         Section{3, 0, {airportRecord(sampleAirport()), plainRecord(0x22, 24), airportRecord(second)}}});
}

Bytes lf_patchedAirport(std::size_t offset, std::uint32_t value)
{
    Bytes bytes = lf_file(sampleAirport());
    putU32(bytes, firstRecordOffset(1) + offset, value);
    return bytes;
}

// The airport record's size field (bytes 2..5) as one patch.
Bytes lf_airportSized(const AirportRecord& airport, std::uint32_t size)
{
    Bytes bytes = lf_file(airport);
    const std::size_t at = firstRecordOffset(1);
    putU16(bytes, at + 2, static_cast<std::uint16_t>(size));
    putU16(bytes, at + 4, static_cast<std::uint16_t>(size >> 16));
    return bytes;
}

Bytes lf_manyRecords()
{
    std::vector<Bytes> records(9001, plainRecord(0x22, 8));
    return bglFile({Section{3, 0, std::move(records)}});
}

Bytes lf_manySubrecords()
{
    AirportRecord airport = sampleAirport();
    airport.subrecords.assign(9001, OtherRecord{0x04, 8});
    return lf_file(airport);
}

Bytes lf_badPositions()
{
    AirportRecord airport;
    airport.subrecords = {Helipad{0.00005, 0.00005, 20.0F}, Helipad{kLat, kLon, 30.0F},
                          Helipad{kLat, kLon, 30.0F},
                          TaxiwayParkings{{Parking{10, 1, 8, 20.0F, 90.0F, kLat, kLon},
                                           Parking{10, 2, 8, 20.0F, 90.0F, -95.0, kLon},
                                           Parking{10, 3, 8, 20.0F, 90.0F, kLat, 200.0}}}};
    return lf_file(airport);
}

Bytes lf_duplicates()
{
    AirportRecord airport;
    TaxiwayParkings parkings;
    for (int i = 0; i < 12; ++i)
        parkings.parkings.push_back(Parking{10, 12, 8, 20.0F, 90.0F, kLat + 0.001 * i, kLon});
    airport.subrecords = {parkings};
    return lf_file(airport);
}

Bytes lf_helipadSizeZero()
{
    AirportRecord airport;
    airport.subrecords = {Helipad{kLat, kLon, 20.0F}, Helipad{kLat + 0.01, kLon, 20.0F}};
    Bytes bytes = lf_file(airport);
    putU32(bytes, firstRecordOffset(1) + 68 + 2, 0);
    return bytes;
}

Bytes lf_subrecordSizeZero()
{
    AirportRecord airport;
    airport.subrecords = {OtherRecord{0x04, 16}, Helipad{kLat, kLon, 20.0F}};
    Bytes bytes = lf_file(airport);
    putU32(bytes, firstRecordOffset(1) + 68 + 2, 0);
    return bytes;
}

// A parking count far beyond the record: the reader runs off the data.
Bytes lf_beyondData()
{
    AirportRecord airport;
    airport.subrecords = {TaxiwayParkings{{Parking{10, 1, 8, 20.0F, 90.0F, kLat, kLon}}}};
    Bytes bytes = lf_file(airport);
    putU16(bytes, firstRecordOffset(1) + 68 + 6, 500);
    return bytes;
}

const std::map<std::string, std::function<Bytes()>, std::less<>>& lf_variants()
{
    static const std::map<std::string, std::function<Bytes()>, std::less<>> variants = {
        {"airport", [] { return lf_file(sampleAirport()); }},
        {"two-airports", lf_twoAirports},
        {"short", [] { return Bytes(40, 0); }},
        {"bad-header",
         []
         {
             Bytes b = lf_file(sampleAirport());
             putU32(b, 4, 0x40);
             return b;
         }},
        {"no-sections",
         []
         {
             Bytes b = lf_file(sampleAirport());
             putU32(b, 20, 0);
             return b;
         }},
        {"table-overflow",
         []
         {
             Bytes b = lf_file(sampleAirport());
             putU32(b, 20, 100000);
             return b;
         }},
        {"flag-bit16",
         [] {
             return bglFile({Section{3, 0x10000, {airportRecord(sampleAirport())}}});
         }},
        {"no-airport-section",
         [] {
             return bglFile({Section{4, 0, {plainRecord(0x04, 40)}}});
         }},
        {"ident-invalid", [] { return lf_patchedAirport(40, (38u * 38u * 38u * 14u + 1u) << 5); }},
        {"ident-3char", [] { return lf_file(sampleAirport("EDD")); }},
        {"ident-unknown", [] { return lf_file(sampleAirport("ZZZZ")); }},
        {"elevation-negative", [] { return lf_patchedAirport(20, static_cast<std::uint32_t>(-3400)); }},
        {"elevation-high", [] { return lf_patchedAirport(20, 3100000u); }},
        {"subsection-beyond",
         []
         {
             Bytes b = lf_file(sampleAirport());
             putU32(b, 56 + 12, 0x7FFFFFF0u);
             return b;
         }},
        {"airport-size-0", [] { return lf_airportSized(sampleAirport(), 0); }},
        {"airport-beyond-data",
         []
         {
             AirportRecord airport;
             airport.subrecords = {Helipad{kLat, kLon, 20.0F}};
             return lf_airportSized(airport, 0x00FFFFF0u);
         }},
        {"subrecord-size-0", lf_subrecordSizeZero},
        {"helipad-size-0", lf_helipadSizeZero},
        {"parkings-beyond-data", lf_beyondData},
        {"record-loop", lf_manyRecords},
        {"subrecord-loop", lf_manySubrecords},
        {"bad-positions", lf_badPositions},
        {"duplicate-ids", lf_duplicates},
    };
    return variants;
}

} // namespace

AirportRecord sampleAirport(std::string ident)
{
    AirportRecord airport;
    airport.ident = std::move(ident);
    airport.elevationMillimetres = 111000;
    TaxiwayParkings parkings;
    parkings.parkings = {
        Parking{10, 12, 8, 24.0F, 90.0F, kLat + 0.001, kLon + 0.001},    // g12
        Parking{14, 5, 9, 30.0F, 180.0F, kLat + 0.002, kLon + 0.001, 2}, // C5 with two airline codes
        Parking{0, 7, 1, 10.0F, 0.0F, kLat + 0.003, kLon + 0.001},       // 7, heading 0
        Parking{10, 12, 5, 18.0F, 270.0F, kLat + 0.004, kLon + 0.001},   // g12 again: g12a
        Parking{10, 40, 13, 5.0F, 0.0F, kLat + 0.005, kLon + 0.001},     // vehicles: no stand
        Parking{2, 10, 3, 15.0F, 45.0F, kLat + 0.006, kLon + 0.001},     // p10
    };
    TaxiwayParkings late;
    late.parkings = {Parking{10, 99, 8, 20.0F, 90.0F, kLat + 0.01, kLon}};
    airport.subrecords = {Helipad{kLat - 0.001, kLon, 20.0F},
                          OtherRecord{kRunwayId, 52},
                          Helipad{kLat - 0.002, kLon, 30.0F},
                          Helipad{kLat - 0.003, kLon, 16.0F},
                          parkings,
                          Helipad{kLat - 0.004, kLon, 20.0F},
                          late};
    return airport;
}

std::vector<std::string> variantNames()
{
    std::vector<std::string> names;
    for (const auto& [name, make] : lf_variants())
        names.push_back(name);
    return names;
}

Bytes variant(std::string_view name)
{
    const auto& variants = lf_variants();
    const auto it = variants.find(name);
    if (it == variants.end())
        throw std::invalid_argument(fmt::format("no BGL variant '{}'", name));
    return it->second();
}

} // namespace ovr::genbgl
