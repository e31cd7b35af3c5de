// What the fuzz targets share: a working folder of their own for the files
// the parsers read and write, and the program state (log, parameters file,
// libraries, park airport, known types) set up as a running program would
// have it when the parser is called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace ovr::fuzz
{

// Made and entered on first use: a fresh folder under the temporary folder,
// in memory (/dev/shm) unless TMPDIR names another, (removed at a normal exit unless VORA_FUZZ_KEEP=1) holding the log and parameters.xml, with the
// libraries initialised. The program's relative paths (airports/...) lie
// inside it.
const std::filesystem::path& workFolder();

// The park airport (EDDF), the user aircraft beside it and the Traffic
// Reader's reference position there, a range of 40 NM, and a few types the
// model database knows in each category: what the traffic decoders consult.
void setUpTrafficState();

// The park airport's file as the program reads it by its local name: the
// input is written as airports/my_simaddon/EDDF.xml (its learned file, when
// one is there, is airports/learned/simaddon/EDDF.xml) and read into the
// stand list, which is emptied afterwards, and the per-airport settings are
// put back as on leaving the airport. Refusals (a message, the user errors of
// bad stand ids or a missing altitude) are expected outcomes.
void readParkAirportFile(std::string_view bytes);
inline const std::filesystem::path kParkAirportFile = "airports/my_simaddon/EDDF.xml";
inline const std::filesystem::path kLearnedFile = "airports/learned/simaddon/EDDF.xml";

// The input encrypted with the data key into `encrypted` as the build makes
// the shipped data files: what the readers of input/*.enc decrypt.
void writeEncrypted(const std::filesystem::path& encrypted, std::string_view plain);

// Every registered setting back at its default.
void resetParameters();

// The input as text, bytes unchanged.
inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Writes the bytes as the whole file (its folder made when missing).
void writeFile(const std::filesystem::path& file, std::string_view bytes);

// Starts the log afresh now and then, so that a long run does not fill the
// disk with the parsers' warnings. Call once per input.
void countInput();

} // namespace ovr::fuzz
