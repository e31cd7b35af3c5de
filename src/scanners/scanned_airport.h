// One airport as the airport scan finds it: the record that becomes its
// airport parking file, and the manifest of the package it came from.
#pragma once

#include <optional>
#include <string>

#include "airports/stand.h"

namespace ovr
{

// What a package's manifest.json says of it.
struct PackageManifest
{
    std::string title;
    std::string version;
    std::string manufacturer;
    std::string creator;

    friend bool operator==(const PackageManifest&, const PackageManifest&) = default;
};

struct ScannedAirport
{
    AirportStands record; // code, scenery path and its text, publisher, stands
    std::optional<PackageManifest> manifest;
};

// A record for a scenery file or package folder: its path and the path's
// UTF-8 text, everything else empty.
ScannedAirport gf_scannedAirportAt(const std::filesystem::path& path);

// The manifest's details go into the record's package fields, as the airport
// file writer reads them.
void gf_takeManifestDetails(ScannedAirport& airport);

} // namespace ovr
