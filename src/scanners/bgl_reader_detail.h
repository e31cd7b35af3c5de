// The steps of the scenery-file reader, for its tests and tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/fixed_code.h"
#include "scanners/bgl_reader.h"

namespace ovr
{

inline constexpr std::uint16_t kBglAirportRecord = 0x56;
inline constexpr std::uint16_t kBglHelipadRecord = 0x26;
inline constexpr std::uint16_t kBglTaxiwayParkingRecord = 0xE7;
inline constexpr std::uint32_t kBglAirportSection = 3;
inline constexpr std::uint32_t kBglHeaderSize = 0x38;

// The file as 32-bit little-endian words, a final partial word zero-padded.
std::vector<std::uint32_t> lf_readBglWords(std::istream& in);
// The same into a buffer that keeps its capacity.
void lf_readBglWords(std::istream& in, std::vector<std::uint32_t>& words);

// A scenery file's words as the decode sees them: the whole file's words,
// but read from the stream a block at a time when a word of the block is
// first asked for. The decode looks at the header, the section table and the
// airport sections, a small part of a file that is mostly other records, so
// most of a file is never read. Given a vector, every word is there.
class BglWords
{
  public:
    static constexpr std::size_t kBlockWords = 4096; // 16 KB

    BglWords() = default;
    BglWords(std::vector<std::uint32_t> words);
    BglWords(const BglWords&) = delete;
    BglWords& operator=(const BglWords&) = delete;
    BglWords(BglWords&&) = default;
    BglWords& operator=(BglWords&&) = default;

    // The stream's words from now on, none of them read yet; the stream is
    // read through until the next open. A final partial word is zero-padded;
    // a stream that ends early reads as zeros beyond its end.
    void open(std::istream& in);
    // Forgets the stream; a storage of more than `keptWords` words is given
    // back.
    void close(std::size_t keptWords);

    std::size_t size() const { return size_; }
    // `index` < size().
    std::uint32_t operator[](std::size_t index) const
    {
        const std::size_t block = index / kBlockWords;
        if (present_[block] == 0)
            load(block);
        return words_[index];
    }
    // Blocks read from the stream since the last open.
    std::size_t blocksRead() const { return blocksRead_; }

  private:
    void load(std::size_t block) const;

    mutable std::vector<std::uint32_t> words_;
    mutable std::vector<std::uint8_t> present_;
    mutable std::size_t blocksRead_ = 0;
    std::istream* in_ = nullptr;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};

// Decodes the airports of every airport section of a file's words.
void lf_walkBglSections(const BglWords& words, const std::filesystem::path& path, const BglAirportSink& sink);

enum class SupportedCode
{
    supported,
    notKnown,     // four characters, but no airport of the airport list
    notFourChars, // three characters or another length
};

// Upper-cases a 3- or 4-character code and tells whether it is a supported
// airport; an unknown 4-character code is reported.
std::pair<std::string, SupportedCode> lf_checkSupportedCode(std::string text);

// The text of a packed ident, and whether it names a supported airport.
std::pair<std::string, bool> lf_decodeBglIdent(std::uint32_t ident);

// The airport's elevation in feet from its record at word `p`; no value when
// it is outside -20..10000 ft.
std::optional<std::int32_t> lf_bglAirportElevation(std::size_t p, const BglWords& words);

// Decodes the airport record at word `p` of `sizeWords` words and hands it
// to the sink.
void lf_decodeAirport(std::size_t p, const BglWords& words, std::size_t sizeWords,
                      const IcaoCode& icao, const std::filesystem::path& path, const BglAirportSink& sink);

struct HelipadPositions
{
    std::vector<std::pair<double, double>> taken;
    std::uint32_t counter = 1;
};

void lf_decodeHelipad(std::size_t q, const BglWords& words, ScannedAirport& airport,
                      HelipadPositions& helipads);

void lf_decodeTaxiwayParkings(std::size_t q, const BglWords& words, ScannedAirport& airport,
                              std::unordered_set<std::string>& usedIds, const std::filesystem::path& path);

// The id made unique within the airport by a letter a..j; false (reported)
// when all ten are taken.
std::pair<std::string, bool> lf_uniqueStandId(const std::string& id, std::unordered_set<std::string>& usedIds,
                                              const std::filesystem::path& path);

// The text of a parking's name code (0..63).
std::string_view lf_parkingNameText(std::uint32_t code);

} // namespace ovr
