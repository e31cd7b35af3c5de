// An airport the scan found gets its airport parking file one of two ways:
// linked (a small <ICAO>.txt naming the archive's file, when the model
// database lists the airport for its publisher) or generated (<ICAO>.xml
// from the simulator's facility data or the scenery file's stands). Simaddon
// airports go to airports/my_simaddon, all others to airports/my_thirdparty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "scanners/bgl_reader.h"
#include "scanners/scanned_airport.h"

namespace ovr
{

// Writes the link file when the archive holds the airport (classifying the
// publisher first when it is empty); true when linked.
bool lf_linkAirport(ScannedAirport& airport);

// "archive/simaddon/<ICAO>.xml" when the configured simulator's simaddon
// list holds the code; no value (reported) otherwise.
std::optional<std::string> lf_simaddonArchiveName(const IcaoCode& icao);

// "archive/thirdparty/<publisher>/<ICAO><version>.xml" or ".../<ICAO>.xml"
// as the thirdparty list holds it; no value (reported) otherwise.
std::optional<std::string> lf_thirdpartyArchiveName(const ScannedAirport& airport);

// Writes the generated airport file (stands sorted by name) and reports it;
// an airport without stands is reported and not written.
void lf_writeAirportFile(ScannedAirport& airport, std::uint32_t helipads);

// Settles the airport of one scenery file through its package's code and the
// simulator's facility data. True when nothing more is to be done for the
// file; false when the scenery file itself is to be read.
bool lf_airportFromFacilities(const std::filesystem::path& path);

// Reads the facility data of the airport into the record. A simulator
// exception (user error 111) counts as a failed read.
bool lf_readFacilityOf(ScannedAirport& airport, std::uint32_t& helipads);

// Logs and reports that the facility data could not be read, and saves the
// report so far.
void gf_reportFacilityFailure(const IcaoCode& icao);

// The scenery-file reader's sink of the scan: link, else write; the window's
// counters follow.
BglAirportSink gf_scanSink();

// The window's counts of airports/my_simaddon and airports/my_thirdparty,
// recounted and repainted.
void gf_recountSimaddon();
void gf_recountThirdparty();

} // namespace ovr
