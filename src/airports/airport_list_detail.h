// Airport-list internals that the tests reach with their own files.
#pragma once

#include <filesystem>
#include <string>

#include "core/fixed_code.h"

namespace ovr
{

// "EDDF (FRA)", or "EDDF" when the three-letter code is "XXX"; "?" for no
// ICAO code.
std::string lf_codePairText(const IcaoCode& icao, const IataCode& code3);

namespace detail
{

// gf_readAirports on other files.
bool readAirportList(const std::filesystem::path& encryptedPath, const std::filesystem::path& plainPath);

// Forgets the list so that a test can read another one.
void resetAirportList();

} // namespace detail

} // namespace ovr
