// Writes scenery (BGL) files for tests: a header, a section table, one
// subsection per section and its records, with airports made of helipad,
// taxiway-parking and other subrecords. Every field the airport scan reads
// can be set, and the raw bytes can be patched afterwards for the
// malformed cases.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ovr::genbgl
{

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint16_t kAirportId = 0x56;
inline constexpr std::uint16_t kHelipadId = 0x26;
inline constexpr std::uint16_t kTaxiwayParkingId = 0xE7;
inline constexpr std::uint16_t kRunwayId = 0x04;

struct Parking
{
    std::uint32_t nameCode = 10; // 10 = "g"
    std::uint32_t number = 1;
    std::uint32_t type = 8; // 0 and 13 are no stands
    float radiusMetres = 20.0F;
    float headingDegrees = 90.0F;
    double latitude = 0.0;
    double longitude = 0.0;
    std::uint32_t airlineCodes = 0; // words of airline codes after the parking
};

struct Helipad
{
    double latitude = 0.0;
    double longitude = 0.0;
    float lengthMetres = 20.0F;
};

struct TaxiwayParkings
{
    std::vector<Parking> parkings;
};

// A subrecord that the reader steps over.
struct OtherRecord
{
    std::uint16_t id = kRunwayId;
    std::uint32_t sizeBytes = 16;
};

using Subrecord = std::variant<Helipad, TaxiwayParkings, OtherRecord>;

struct AirportRecord
{
    std::string ident = "EDDF";
    std::int32_t elevationMillimetres = 111000;
    std::vector<Subrecord> subrecords;
    // Replaces the ident word as written (for idents no text gives).
    std::uint32_t rawIdent = 0;
};

struct Section
{
    std::uint32_t type = 3; // 3 = airports
    std::uint32_t flags = 0;
    std::vector<Bytes> records;
};

// The packed ident of a text of digits and capital letters.
std::uint32_t packIdent(std::string_view text);
std::uint32_t rawLatitude(double latitude);
std::uint32_t rawLongitude(double longitude);

Bytes airportRecord(const AirportRecord& airport);
// A record of any id with `sizeBytes` bytes (at least 6), zero after its head.
Bytes plainRecord(std::uint16_t id, std::uint32_t sizeBytes);

// The whole file.
Bytes bglFile(const std::vector<Section>& sections);

// Byte offsets in a file made by bglFile, for patching.
inline constexpr std::size_t kHeaderBytes = 56;
inline constexpr std::size_t kSectionEntryBytes = 20;
inline constexpr std::size_t kSubsectionEntryBytes = 16;
// Where the first record of the first section starts, for `sections` sections.
std::size_t firstRecordOffset(std::size_t sections);

void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value);
void putU16(Bytes& bytes, std::size_t offset, std::uint16_t value);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);

} // namespace ovr::genbgl
