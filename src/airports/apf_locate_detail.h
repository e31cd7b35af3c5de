// Parts of locating airport files that the tests reach directly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ovr
{

// Reads the archive name of a link file: its first line without trailing
// white space, valid when it ends in ".xml" in any case. False (and `name`
// empty) for a missing file, no line or another name.
bool lf_readLinkFile(const std::filesystem::path& path, std::string& name);

// "...\EDDF2.xml" becomes "...\EDDF.xml": the stem cut to its first four
// characters; a stem shorter than five stays. Works on the name's text with
// "\" or "/" as separators.
std::string lf_apfBaseName(std::string_view name);

// How often a case-blind look-up has listed a folder.
namespace detail
{
std::uint64_t caseBlindListings();
} // namespace detail

// Without leading and trailing blanks.
std::string lf_trimBlanks(std::string_view text);

} // namespace ovr
