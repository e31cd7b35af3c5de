// A scenery file is a header, a table of sections and the sections' records.
// Of it this reader needs little: the airport sections (type 3), in each the
// first subsection's records, and of each airport record its code, its
// elevation, its helipads and its first taxiway-parking record. Records carry
// their size, so everything else is stepped over without being understood.
//
// The file is seen as 32-bit words, read from the disk only in the blocks
// the decode looks at, and every word is read through one bounds-checked
// accessor: a table or record that points beyond the data
// throws BglFormatError instead of reading past the buffer. Record walks
// stop at a size of 0 and after 9000 records, so a corrupt file cannot make
// a walk run on forever.
#include "scanners/bgl_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/text_convert.h"
#include "scanners/bgl_reader_detail.h"
#include "scanners/package_manifest.h"
#include "scanners/scan_report.h"

namespace ovr
{

namespace
{

using Words = BglWords;

constexpr std::size_t kHeaderWords = 14; // 56 bytes
constexpr std::size_t kSectionWords = 5; // 20 bytes per section entry
constexpr std::uint32_t kSubsectionFlag = 0x10000;
constexpr int kMaxRecords = 9000;
constexpr double kLatPerRaw = 180.0 / 536870912.0; // 180 / 2^29
constexpr double kLonPerRaw = 360.0 / 805306368.0; // 360 / (3 * 2^28)
constexpr double kFeetPerMillimetre = 3.2808399 / 1000.0;
constexpr double kFullTurn = 6.283185307179586;
constexpr double kSamePosition = 1e-8;
constexpr std::size_t kParkingWords = 14; // 56 bytes before the airline codes
constexpr std::size_t kMaxDuplicates = 10;
constexpr std::size_t kMaxPathCharacters = 250;
constexpr std::size_t kKeptBufferWords = (1u << 20) / 4; // 1 MB

constexpr std::array<std::string_view, 13> kSkippedFolders = {
    "fs-base",       "tutorials",           "aircraft",   "bushtrip",
    "discovery",     "point-of-interest",   "simobjects", "vcockpits",
    "aig-aitraffic", "justflight-aircraft", "fsltl",      "gsx-pro",
    "gsx-world"};
constexpr std::string_view kLandingChallenge = "landingchallenge";

std::uint32_t lf_word(const Words& words, std::size_t index)
{
    if (index >= words.size())
        throw BglFormatError(fmt::format("BGL word {} beyond the data ({} words)", index, words.size()));
    return words[index];
}

float lf_float(const Words& words, std::size_t index)
{
    return std::bit_cast<float>(lf_word(words, index));
}

std::uint16_t lf_recordId(const Words& words, std::size_t p)
{
    return static_cast<std::uint16_t>(lf_word(words, p) & 0xFFFFu);
}

// The record size sits at byte 2 of the record, across two words.
std::size_t lf_recordSizeWords(const Words& words, std::size_t p)
{
    const std::uint32_t bytes = (lf_word(words, p) >> 16) | ((lf_word(words, p + 1) & 0xFFFFu) << 16);
    return bytes < 4 ? 0 : bytes / 4;
}

double lf_latitude(std::uint32_t raw)
{
    return 90.0 - static_cast<double>(raw) * kLatPerRaw;
}

double lf_longitude(std::uint32_t raw)
{
    return static_cast<double>(raw) * kLonPerRaw - 180.0;
}

bool lf_validPosition(double lat, double lon)
{
    if (lat < -90.0 || lat > 90.0 || lon < -180.0 || lon > 180.0)
        return false;
    return !(std::fabs(lat) <= 0.0001 && std::fabs(lon) <= 0.0001);
}

void lf_walkSection(const Words& words, std::size_t p, const std::filesystem::path& path,
                    const BglAirportSink& sink)
{
    for (int count = 0; p < words.size(); ++count)
    {
        if (count == kMaxRecords)
        {
            gf_logWarning(
                fmt::format("Error: maximum loop iterations {} reached (2) \u2014 possible corrupt BGL "
                            "or malformed input in:\n'{}'",
                            kMaxRecords, gf_pathToUtf8(path)));
            return;
        }
        const std::uint16_t id = lf_recordId(words, p);
        const std::size_t size = lf_recordSizeWords(words, p);
        if (id == kBglAirportRecord)
        {
            if (size == 0)
            {
                gf_logWarning(fmt::format("   Warning: decodeSizeAtBoundary returned {} at o2 = {}", 0, p));
                return;
            }
            if (p + 10 < words.size())
            {
                const auto [text, supported] = lf_decodeBglIdent(words[p + 10]);
                if (supported)
                    lf_decodeAirport(p, words, size, IcaoCode(text), path, sink);
            }
        }
        if (size == 0)
            return;
        p += size;
    }
}

} // namespace

// The file's little-endian words are taken as they lie in memory.
static_assert(std::endian::native == std::endian::little);

void lf_readBglWords(std::istream& in, std::vector<std::uint32_t>& words)
{
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size <= 0)
    {
        words.clear();
        return;
    }
    // Only words beyond the buffer's earlier size are zeroed; the read
    // overwrites the rest.
    const std::size_t count = (static_cast<std::size_t>(size) + 3) / 4;
    words.resize(count);
    words.back() = 0; // the pad of a final partial word
    in.read(reinterpret_cast<char*>(words.data()), size);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got != static_cast<std::size_t>(size))
    {
        words.resize((got + 3) / 4);
        if (got % 4 != 0)
            std::memset(reinterpret_cast<char*>(words.data()) + got, 0, 4 - got % 4);
    }
}

std::vector<std::uint32_t> lf_readBglWords(std::istream& in)
{
    std::vector<std::uint32_t> words;
    lf_readBglWords(in, words);
    return words;
}

BglWords::BglWords(std::vector<std::uint32_t> words)
    : words_(std::move(words)), present_((words_.size() + kBlockWords - 1) / kBlockWords, 1), size_(words_.size()),
      bytes_(size_ * 4)
{
}

void BglWords::open(std::istream& in)
{
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in_ = &in;
    bytes_ = size > 0 ? static_cast<std::size_t>(size) : 0;
    size_ = (bytes_ + 3) / 4;
    blocksRead_ = 0;
    // The storage only grows: a buffer kept for the files of a scan is not
    // zeroed again for each; a block is filled when it is read.
    if (words_.size() < size_)
        words_.resize(size_);
    present_.assign((size_ + kBlockWords - 1) / kBlockWords, 0);
}

void BglWords::close(std::size_t keptWords)
{
    in_ = nullptr;
    size_ = 0;
    bytes_ = 0;
    present_.clear();
    if (words_.capacity() > keptWords)
        std::vector<std::uint32_t>().swap(words_);
}

void BglWords::load(std::size_t block) const
{
    const std::size_t first = block * kBlockWords;
    const std::size_t words = std::min(kBlockWords, size_ - first);
    const std::size_t want = std::min(words * 4, bytes_ - first * 4);
    char* to = reinterpret_cast<char*>(words_.data() + first);
    std::size_t got = 0;
    if (in_ != nullptr)
    {
        in_->clear();
        in_->seekg(static_cast<std::streamoff>(first * 4));
        in_->read(to, static_cast<std::streamsize>(want));
        got = static_cast<std::size_t>(in_->gcount());
    }
    // The pad of a final partial word, and what a stream that ended early
    // did not give.
    std::memset(to + got, 0, words * 4 - got);
    present_[block] = 1;
    ++blocksRead_;
}

void lf_walkBglSections(const Words& words, const std::filesystem::path& path, const BglAirportSink& sink)
{
    if (words.size() < 2 || words[1] != kBglHeaderSize || words.size() < 15)
        return;
    const std::size_t sections = words[5];
    if (sections == 0 || kHeaderWords + kSectionWords * sections > words.size())
        return;
    for (std::size_t i = 0; i < sections; ++i)
    {
        const std::size_t entry = kHeaderWords + kSectionWords * i;
        if (words[entry] != kBglAirportSection || (words[entry + 1] & kSubsectionFlag) != 0)
            continue;
        const std::size_t firstEntry = words[entry + 3] / 4 + 2;
        if (firstEntry >= words.size())
            continue;
        const std::size_t p = words[firstEntry] / 4;
        if (p >= words.size())
            continue;
        lf_walkSection(words, p, path, sink);
    }
}


std::string_view lf_parkingNameText(std::uint32_t code)
{
    static constexpr std::array<std::string_view, 12> kNames = {"",   "r",   "p",  "np",  "ep", "sep",
                                                                "sp", "swp", "wp", "nwp", "g",  ""};
    static constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (code < kNames.size())
        return kNames[code];
    if (code >= 12 && code <= 37)
        return kLetters.substr(code - 12, 1);
    return "";
}

std::pair<std::string, SupportedCode> lf_checkSupportedCode(std::string text)
{
    if (text.size() != 3 && text.size() != 4)
        return {std::move(text), SupportedCode::notFourChars};
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (text.size() == 3)
        return {std::move(text), SupportedCode::notFourChars};
    if (gf_isKnownAirport(IcaoCode(text)))
        return {std::move(text), SupportedCode::supported};
    gf_reportScan(fmt::format("{} is not an airport supported by RealTraffic", text));
    return {std::move(text), SupportedCode::notKnown};
}

std::pair<std::string, bool> lf_decodeBglIdent(std::uint32_t ident)
{
    std::uint32_t value = ident >> 5;
    std::string reversed;
    bool valid = true;
    while (value != 0)
    {
        const std::uint32_t digit = value % 38;
        value /= 38;
        if (digit == 0)
        {
            reversed += ' ';
            valid = false;
        }
        else if (digit == 1)
        {
            reversed += '?';
            valid = false;
        }
        else if (digit <= 11)
            reversed += static_cast<char>('0' + (digit - 2));
        else
            reversed += static_cast<char>('A' + (digit - 12));
    }
    // A u32 shifted by 5 has at most 6 digits in base 38, so the 10-digit
    // limit of the format is never reached.
    std::string text(reversed.rbegin(), reversed.rend());
    if (!valid)
        return {std::move(text), false};
    auto [checked, result] = lf_checkSupportedCode(std::move(text));
    return {std::move(checked), result == SupportedCode::supported};
}

std::optional<std::int32_t> lf_bglAirportElevation(std::size_t p, const Words& words)
{
    const auto millimetres = static_cast<std::int32_t>(lf_word(words, p + 5));
    const double feet = std::round(static_cast<double>(millimetres) * kFeetPerMillimetre);
    if (feet < -20.0 || feet > 10000.0)
        return std::nullopt;
    return static_cast<std::int32_t>(feet);
}

std::pair<std::string, bool> lf_uniqueStandId(const std::string& id, std::unordered_set<std::string>& usedIds,
                                              const std::filesystem::path& path)
{
    if (usedIds.insert(id).second)
        return {id, true};
    for (std::size_t i = 0; i < kMaxDuplicates; ++i)
    {
        std::string candidate = id + static_cast<char>('a' + i);
        if (usedIds.insert(candidate).second)
            return {std::move(candidate), true};
    }
    gf_reportScan(
        fmt::format("{}Warning: more than 10 duplicate IDs {} in {}", "===> ", id, gf_pathToUtf8(path)));
    return {id, false};
}

void lf_decodeHelipad(std::size_t q, const Words& words, ScannedAirport& airport,
                      HelipadPositions& helipads)
{
    const double lon = lf_longitude(lf_word(words, q + 3));
    const double lat = lf_latitude(lf_word(words, q + 4));
    const float length = lf_float(words, q + 7);
    if (!lf_validPosition(lat, lon))
    {
        gf_reportScan(fmt::format("lat/lon helipad incorrect (skipped): {:.6f},{:.6f}", lat, lon));
        return;
    }
    for (const auto& [takenLat, takenLon] : helipads.taken)
    {
        if (std::fabs(takenLat - lat) <= kSamePosition && std::fabs(takenLon - lon) <= kSamePosition)
        {
            gf_reportScan(
                fmt::format("double helipad {} (skipped) {:.6f},{:.6f}", airport.record.name, lat, lon));
            return;
        }
    }
    if (!std::isfinite(length) || length < 0.0F)
    {
        gf_logWarning(fmt::format("helipad{} of {} refused: length {} in {}", helipads.counter,
                                  airport.record.icao.text(), length, gf_pathToUtf8(airport.record.sceneryPath)));
        return;
    }
    helipads.taken.emplace_back(lat, lon);
    airport.record.stands.push_back(gf_makeStand(fmt::format("helipad{}", helipads.counter), {}, lat, lon,
                                                 0.0, static_cast<double>(length) / 2.0, 0, false, false,
                                                 true));
    ++helipads.counter;
}

void lf_decodeTaxiwayParkings(std::size_t q, const Words& words, ScannedAirport& airport,
                              std::unordered_set<std::string>& usedIds, const std::filesystem::path& path)
{
    const std::uint32_t count = lf_word(words, q + 1) >> 16;
    // The count comes from the file: room for no more parkings than the
    // data can hold.
    const std::size_t room = std::min<std::size_t>(count, words.size() / kParkingWords);
    usedIds.reserve(usedIds.size() + room);
    airport.record.stands.reserve(airport.record.stands.size() + room);
    std::size_t parking = q + 2;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const std::uint32_t head = lf_word(words, parking);
        const std::uint32_t nameCode = head & 0x3Fu;
        const auto type = static_cast<std::uint16_t>((head >> 8) & 0xFu);
        const std::uint32_t number = (head >> 12) & 0xFFFu;
        const std::uint32_t airlineCodes = head >> 24;
        const std::size_t next = parking + kParkingWords + airlineCodes;
        std::string id(lf_parkingNameText(nameCode));
        id += std::to_string(number);
        if (type == 0 || type == 13)
        {
            parking = next;
            continue;
        }
        const float radius = lf_float(words, parking + 1);
        const float heading = lf_float(words, parking + 2);
        const double lon = lf_longitude(lf_word(words, parking + 7));
        const double lat = lf_latitude(lf_word(words, parking + 8));
        if (!lf_validPosition(lat, lon))
        {
            gf_reportScan(fmt::format("LatLon {:.6f},{:.6f} invalid (skipped)", lat, lon));
            parking = next;
            continue;
        }
        // A corrupt file's sizes and headings would reach the airport file as
        // "nan" or a negative radius, which no reader can use.
        if (!std::isfinite(radius) || radius < 0.0F || !std::isfinite(heading))
        {
            gf_logWarning(fmt::format("Parking {} of {} refused: radius {}, heading {} in {}", id,
                                      airport.record.icao.text(), radius, heading, gf_pathToUtf8(path)));
            parking = next;
            continue;
        }
        auto [unique, ok] = lf_uniqueStandId(id, usedIds, path);
        if (ok)
        {
            const double radians = heading == 0.0F ? kFullTurn : static_cast<double>(heading) * kDegToRad;
            airport.record.stands.push_back(gf_makeStand(std::move(unique), {}, lat, lon, radians,
                                                         static_cast<double>(radius), type, false, false,
                                                         false));
        }
        parking = next;
    }
}

void lf_decodeAirport(std::size_t p, const Words& words, std::size_t sizeWords,
                      const IcaoCode& icao, const std::filesystem::path& path, const BglAirportSink& sink)
{
    ScannedAirport airport = gf_scannedAirportAt(path);
    airport.record.icao = icao;
    airport.record.sourceKind = 0;
    airport.manifest = gf_searchManifest(path);
    if (sink.link && sink.link(airport))
        return;
    if (airport.manifest && airport.manifest->manufacturer.size() < 4 && airport.manifest->creator.size() < 4)
        return;

    if (const std::optional<std::int32_t> elevation = lf_bglAirportElevation(p, words))
        airport.record.elevation = *elevation;
    else if (const Airport* listed = gf_findAirport(icao))
        // A scenery file with an impossible elevation: the airport list knows
        // better than 0.
        airport.record.elevation = static_cast<std::int32_t>(std::lround(listed->elevation));
    else
        airport.record.elevation = 0;

    std::unordered_set<std::string> usedIds;
    HelipadPositions helipads;
    std::size_t q = p + 17;
    const std::size_t end = p + sizeWords;
    for (int count = 0; q < end;)
    {
        if (count == kMaxRecords)
        {
            gf_logWarning(
                "Error: Maximum loop iterations reached (1) \u2014 possible corrupt SIA or malformed input");
            break;
        }
        if (q >= words.size())
        {
            gf_log(fmt::format("   Error: o3={} exceeded data buffer size ({}), aborting.", q, words.size()));
            break;
        }
        const std::uint16_t id = lf_recordId(words, q);
        const std::size_t size = lf_recordSizeWords(words, q);
        if (id == kBglHelipadRecord)
        {
            lf_decodeHelipad(q, words, airport, helipads);
            if (size == 0)
            {
                gf_logWarning(fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", q));
                break;
            }
            q += size;
            continue;
        }
        if (id == kBglTaxiwayParkingRecord)
        {
            lf_decodeTaxiwayParkings(q, words, airport, usedIds, path);
            break;
        }
        if (size == 0)
        {
            gf_log(fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", q));
            break;
        }
        q += size;
        ++count;
    }
    if (sink.write)
        sink.write(airport, helipads.counter - 1);
}

void lf_processBGLfile(const std::filesystem::path& path, const BglAirportSink& sink)
{
    try
    {
        std::ifstream in(path, std::ios::binary);
        if (!in.is_open())
            return;
        // One buffer for the files of a scan, so that a walk over hundreds of
        // files does not map and fault in fresh pages for each; a large one
        // is not kept.
        thread_local Words t_words;
        t_words.open(in);
        struct Release
        {
            ~Release() { t_words.close(kKeptBufferWords); }
        } release;
        lf_walkBglSections(t_words, path, sink);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("Exception in lf_processBGLfile (std::ex): {} \u2014 {}", e.what(),
                                  gf_pathToUtf8(path)));
        throw;
    }
    catch (...)
    {
        gf_logWarning(fmt::format("Exception in lf_processBGLfile: {}", gf_pathToUtf8(path)));
        throw;
    }
}

bool lf_bglHasAirportSection(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 57)
        return false;
    std::array<unsigned char, 4> bytes{};
    in.seekg(20);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), 4))
        return false;
    const std::uint32_t sections =
        static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    if (sections == 0 || sections > static_cast<std::uint64_t>(size - 56) / 20)
        return false;
    // The whole table in one read: it fits the file, as tested above.
    std::vector<unsigned char> table(static_cast<std::size_t>(sections) * 20);
    in.seekg(56);
    if (!in.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(table.size())))
        return false;
    for (std::size_t i = 0; i < sections; ++i)
    {
        const unsigned char* entry = table.data() + 20 * i;
        const std::uint32_t type =
            static_cast<std::uint32_t>(entry[0]) | (static_cast<std::uint32_t>(entry[1]) << 8) |
            (static_cast<std::uint32_t>(entry[2]) << 16) | (static_cast<std::uint32_t>(entry[3]) << 24);
        if (type == kBglAirportSection)
            return true;
    }
    return false;
}

bool lf_skipAddonFolder(const std::filesystem::path& path)
{
    const std::string text = path.string();
    std::size_t characters = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u)
            ++characters;
    if (characters >= kMaxPathCharacters)
        return true;
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const std::string_view name : kSkippedFolders)
        if (lower.find(name) != std::string::npos)
            return true;
    return lower.find(kLandingChallenge) != std::string::npos;
}

} // namespace ovr
