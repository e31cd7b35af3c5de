// Which package a scenery file belongs to, and what that tells of its
// airport: the package's manifest.json (found upward from the file), the
// scenery's publisher, and the airport code from the file's path, its name
// or the package title. What these find or miss goes to the scan report,
// never to the log, and nothing here throws to its callers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "core/fixed_code.h"
#include "scanners/scanned_airport.h"

namespace ovr
{

// The manifest of the package that holds the file: the file's folder (the
// folder itself when a folder is given) and up to 6 above it are looked at. No value when none is found or one cannot be
// read (then with a report line).
std::optional<PackageManifest> gf_searchManifest(const std::filesystem::path& file);

// The folder's manifest.json (the name compared exactly), or the empty path.
std::filesystem::path lf_findManifestFile(const std::filesystem::path& folder);

// No value when the file cannot be read, is empty or holds no JSON object;
// throws on JSON syntax errors and on keys of the wrong type.
std::optional<PackageManifest> lf_readManifest(const std::filesystem::path& file);

// A key's text: empty for a missing key, null, {} and []; a string's text;
// any other value throws the JSON type error.
std::string lf_manifestText(const nlohmann::json& object, const char* key);

// Fills the publisher from the path, or from the manifest's manufacturer or
// creator (loading the manifest when the record has none yet).
void lf_classifyPublisher(ScannedAirport& airport);

// The airport code of a scenery file: from its path, its stem (4 characters)
// or its package title. `unsupported` is set when a code was found that is
// not a known airport, and left alone otherwise.
std::optional<IcaoCode> gf_airportCodeFromBgl(ScannedAirport& airport, bool& unsupported);

namespace detail
{
// Folders looked into for a manifest since the start (for the benchmark).
std::size_t manifestFolderProbes();
} // namespace detail

} // namespace ovr
