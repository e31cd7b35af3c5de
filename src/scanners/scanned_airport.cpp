#include "scanners/scanned_airport.h"

#include "core/text_convert.h"

namespace ovr
{

ScannedAirport gf_scannedAirportAt(const std::filesystem::path& path)
{
    ScannedAirport airport;
    airport.record.sceneryPath = path;
    airport.record.sceneryPathText = gf_pathToUtf8(path);
    return airport;
}

void gf_takeManifestDetails(ScannedAirport& airport)
{
    AirportStands& record = airport.record;
    if (!airport.manifest)
    {
        record.packageDetails = 0;
        return;
    }
    record.packageDetails = 1;
    record.packageText = airport.manifest->title;
    record.version = airport.manifest->version;
    record.manufacturer = airport.manifest->manufacturer;
    record.creator = airport.manifest->creator;
}

} // namespace ovr
