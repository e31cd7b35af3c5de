// Where an airport's parking file lies, and where its learned file goes.
//
// A file is found, first match wins, as a link file (CODE.txt naming an
// archive file) or as the file itself (CODE.xml), in airports/my_thirdparty,
// then in airports/my_simaddon; else, for an airport of the list with stands,
// as the stock file of the download service's archive. The name returned is
// either an archive name ("archive/stock/EDDF.xml", fetched from the
// download service) or a local name beginning with "airports"
// ("airports\my_simaddon\EDDF.xml", as Windows writes it).
//
// Names are compared with "\" as the separator after every "/" has been
// turned into "\"; files are opened through std::filesystem joins of the
// name's parts.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/fixed_code.h"

namespace ovr
{

// "EDDF.xml"; four blanks stand for no code.
std::string gf_icaoXmlName(const IcaoCode& code);
std::filesystem::path gf_icaoXmlPath(const IcaoCode& code);
std::filesystem::path gf_icaoTxtPath(const IcaoCode& code);
// The code followed by the name without its "." characters.
std::string gf_icaoNamedFile(const IcaoCode& code, std::string_view name);

// Whether the program has a parking file for the airport: a local file or
// link, or a listed airport with stands.
bool gf_hasAirportFile(const IcaoCode& code);

// The name to read the airport's file by; empty when there is none. Throws
// std::filesystem::filesystem_error when a file's existence cannot be told.
std::string gf_findAirportFile(const IcaoCode& code);

// A local name: its first eight characters are "airports".
bool gf_isLocalApfName(std::string_view name);
// The file of a local name, its parts joined.
std::filesystem::path gf_localApfPath(std::string_view name);

// The learned file of an airport file's name ("archive/...", "airports\...")
// and the publisher read from that file; empty when it has none: a name that
// is not an .xml file, a publisher folder that is empty or could leave
// airports/learned. Reader and writer both ask here.
std::filesystem::path gf_learnedPathFor(std::string_view name, std::string_view publisher);

// The path when it exists, else a file of the same folder whose name differs
// only in letter case (Windows finds that one too); empty when none. Throws
// std::filesystem::filesystem_error when existence cannot be told.
std::filesystem::path gf_existingCaseBlind(const std::filesystem::path& path);

// Fetches an archive file of the download service into the local path. The
// empty text on success, else the message, and no file at the local path.
std::string gf_downloadAirportFile(std::string_view archiveName, const std::filesystem::path& localPath);

} // namespace ovr
