#include "bgl_writer.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

namespace ovr::genbgl
{

namespace
{

constexpr std::uint32_t kAirportFixedBytes = 68;
constexpr std::uint32_t kHelipadBytes = 36;
constexpr std::uint32_t kParkingBytes = 56;

std::uint32_t lf_digit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint32_t>(c - '0') + 2;
    if (c >= 'A' && c <= 'Z')
        return static_cast<std::uint32_t>(c - 'A') + 12;
    throw std::invalid_argument(fmt::format("'{}' cannot be packed into an ident", c));
}

void lf_append(Bytes& to, const Bytes& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

Bytes lf_head(std::uint16_t id, std::uint32_t sizeBytes)
{
    Bytes bytes(sizeBytes < 6 ? 6 : sizeBytes, 0);
    putU16(bytes, 0, id);
    putU32(bytes, 2, sizeBytes);
    return bytes;
}

Bytes lf_helipad(const Helipad& helipad)
{
    Bytes bytes = lf_head(kHelipadId, kHelipadBytes);
    putU32(bytes, 12, rawLongitude(helipad.longitude));
    putU32(bytes, 16, rawLatitude(helipad.latitude));
    putU32(bytes, 28, std::bit_cast<std::uint32_t>(helipad.lengthMetres));
    return bytes;
}

Bytes lf_parkings(const TaxiwayParkings& record)
{
    std::uint32_t size = 8;
    for (const Parking& parking : record.parkings)
        size += kParkingBytes + 4 * parking.airlineCodes;
    Bytes bytes = lf_head(kTaxiwayParkingId, size);
    putU16(bytes, 6, static_cast<std::uint16_t>(record.parkings.size()));
    std::size_t at = 8;
    for (const Parking& parking : record.parkings)
    {
        const std::uint32_t head = (parking.nameCode & 0x3Fu) | ((parking.type & 0xFu) << 8) |
                                   ((parking.number & 0xFFFu) << 12) | (parking.airlineCodes << 24);
        putU32(bytes, at, head);
        putU32(bytes, at + 4, std::bit_cast<std::uint32_t>(parking.radiusMetres));
        putU32(bytes, at + 8, std::bit_cast<std::uint32_t>(parking.headingDegrees));
        putU32(bytes, at + 28, rawLongitude(parking.longitude));
        putU32(bytes, at + 32, rawLatitude(parking.latitude));
        for (std::uint32_t k = 0; k < parking.airlineCodes; ++k)
            putU32(bytes, at + kParkingBytes + 4 * k, 0x41424300u + k);
        at += kParkingBytes + 4 * parking.airlineCodes;
    }
    return bytes;
}

} // namespace

void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

void putU16(Bytes& bytes, std::size_t offset, std::uint16_t value)
{
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t packIdent(std::string_view text)
{
    std::uint32_t value = 0;
    for (const char c : text)
        value = value * 38 + lf_digit(c);
    return value << 5;
}

std::uint32_t rawLatitude(double latitude)
{
    return static_cast<std::uint32_t>(std::llround((90.0 - latitude) * 536870912.0 / 180.0));
}

std::uint32_t rawLongitude(double longitude)
{
    return static_cast<std::uint32_t>(std::llround((longitude + 180.0) * 805306368.0 / 360.0));
}

Bytes plainRecord(std::uint16_t id, std::uint32_t sizeBytes)
{
    return lf_head(id, sizeBytes);
}

Bytes airportRecord(const AirportRecord& airport)
{
    Bytes subrecords;
    for (const Subrecord& subrecord : airport.subrecords)
    {
        if (const auto* helipad = std::get_if<Helipad>(&subrecord))
            lf_append(subrecords, lf_helipad(*helipad));
        else if (const auto* parkings = std::get_if<TaxiwayParkings>(&subrecord))
            lf_append(subrecords, lf_parkings(*parkings));
        else
        {
            const auto& other = std::get<OtherRecord>(subrecord);
            lf_append(subrecords, plainRecord(other.id, other.sizeBytes));
        }
    }
    Bytes bytes = lf_head(kAirportId, kAirportFixedBytes + static_cast<std::uint32_t>(subrecords.size()));
    putU32(bytes, 20, static_cast<std::uint32_t>(airport.elevationMillimetres));
    putU32(bytes, 40, airport.rawIdent != 0 ? airport.rawIdent : packIdent(airport.ident));
    bytes.resize(kAirportFixedBytes);
    lf_append(bytes, subrecords);
    return bytes;
}

std::size_t firstRecordOffset(std::size_t sections)
{
    return kHeaderBytes + kSectionEntryBytes * sections + kSubsectionEntryBytes;
}

Bytes bglFile(const std::vector<Section>& sections)
{
    Bytes file(kHeaderBytes + kSectionEntryBytes * sections.size(), 0);
    putU32(file, 0, 0x19920201u);
    putU32(file, 4, static_cast<std::uint32_t>(kHeaderBytes));
    putU32(file, 20, static_cast<std::uint32_t>(sections.size()));
    for (std::size_t i = 0; i < sections.size(); ++i)
    {
        const Section& section = sections[i];
        const std::size_t entry = kHeaderBytes + kSectionEntryBytes * i;
        const std::size_t subsectionTable = file.size();
        Bytes records;
        for (const Bytes& record : section.records)
            lf_append(records, record);
        putU32(file, entry, section.type);
        putU32(file, entry + 4, section.flags);
        putU32(file, entry + 8, 1);
        putU32(file, entry + 12, static_cast<std::uint32_t>(subsectionTable));
        putU32(file, entry + 16, static_cast<std::uint32_t>(kSubsectionEntryBytes));
        Bytes subsection(kSubsectionEntryBytes, 0);
        putU32(subsection, 0, 0);
        putU32(subsection, 4, static_cast<std::uint32_t>(section.records.size()));
        putU32(subsection, 8, static_cast<std::uint32_t>(subsectionTable + kSubsectionEntryBytes));
        putU32(subsection, 12, static_cast<std::uint32_t>(records.size()));
        lf_append(file, subsection);
        lf_append(file, records);
    }
    return file;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error(fmt::format("cannot write {}", path.string()));
}

} // namespace ovr::genbgl
