// Time limits of the downloader, replaceable by tests so that a stalled or
// trickling server is detected in seconds rather than minutes.
#pragma once

#include <chrono>
#include <string>

namespace ovr::detail
{

struct DownloadLimits
{
    std::chrono::seconds connectTimeout{15};
    // A transfer slower than 1 byte per second for this long is dropped.
    std::chrono::seconds lowSpeedTime{30};
    // No download runs longer than this, whatever its budget says: tests
    // shorten every deadline at once.
    std::chrono::milliseconds deadlineCeiling{std::chrono::hours(24)};
};

DownloadLimits gf_downloadLimits();
void gf_setDownloadLimits(DownloadLimits limits);

// Replaces the base read from VORA_DOWNLOAD_BASE ("" for none).
void gf_setDownloadBase(std::string base);

} // namespace ovr::detail
