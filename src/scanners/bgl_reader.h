// The airports of a scenery (BGL) file: the airport sections, each airport's
// code, elevation, helipads and its first taxiway-parking record, decoded
// into one ScannedAirport per supported airport and handed to a sink (the
// airport scan links or writes it). The rest of a file is stepped over by
// the record sizes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "scanners/scanned_airport.h"

namespace ovr
{

// A word of the file was asked for beyond its end: a record or a table
// points outside the data.
class BglFormatError : public std::out_of_range
{
  public:
    using std::out_of_range::out_of_range;
};

// Where a decoded airport goes. `link` is asked first (true: the airport is
// settled, no stands are decoded); `write` gets the airport with its stands
// and the number of helipads. Either may be empty.
struct BglAirportSink
{
    std::function<bool(ScannedAirport&)> link;
    std::function<void(ScannedAirport&, std::uint32_t helipads)> write;
};

// Decodes every supported airport of the file and hands it on. A file that
// cannot be opened or is no scenery file of this layout yields nothing.
// Structural faults inside an airport end its walk with a log line; a word
// beyond the data throws BglFormatError, logged with the path and thrown on.
void lf_processBGLfile(const std::filesystem::path& path, const BglAirportSink& sink);

// Reads only the header and the section table: true when the file holds an
// airport section.
bool lf_bglHasAirportSection(const std::filesystem::path& path);

// Paths the folder walk neither enters nor uses: too long, or naming base,
// aircraft, tutorial and similar packages.
bool lf_skipAddonFolder(const std::filesystem::path& path);

} // namespace ovr
