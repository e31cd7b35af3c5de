// Writes AI-traffic package trees: aircraft.cfg files in the encodings and
// layouts the liveries scan meets, for tests, benchmarks and the demo.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace genpkg
{

enum class Encoding
{
    utf8,
    utf16Bom,    // UTF-16 little endian with byte-order mark
    windows1252, // characters outside it become '?'
};

struct Livery
{
    std::string title; // UTF-8
    std::string airline;
    std::string registration; // empty: no atc_id line
    bool cargo = false;
    std::string texture; // empty: no texture line
};

// The UTF-8 text in the encoding.
std::string encode(std::string_view utf8, Encoding encoding);

// An aircraft.cfg with a [General] section naming the type (none when the
// type is empty) and one [fltsim.N] section per livery, lines ending in CR LF.
std::string aircraftCfgText(const std::string& model, const std::vector<Livery>& liveries);
void writeFile(const std::filesystem::path& file, std::string_view bytes);

// The package "user-aitraffic-demo" under the Community folder with the
// liveries of a scanned-liveries file, one aircraft.cfg per type. With the
// model database's plain XML, a registration is written only where the
// database gives it the livery's own airline, operator and type, and a
// livery of one airline operated by another gets a registration of the
// database with that pair. The number of liveries written.
std::size_t writeDemoPackage(const std::filesystem::path& community, const std::filesystem::path& liveriesXml,
                             const std::filesystem::path& dbaseXml);

struct TreeSummary
{
    std::size_t files = 0;
    std::size_t liveries = 0; // sections meant to become liveries
};

// `files` aircraft.cfg files under `root`: ordinary packages in the three
// encodings, an IVAO_MTL package (with texture folders) and, one file in 25,
// a broken one (no section, a number out of range, binary garbage).
TreeSummary writeTree(const std::filesystem::path& root, std::size_t files, std::uint32_t seed);

} // namespace genpkg
