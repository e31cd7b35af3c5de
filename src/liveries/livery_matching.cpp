#include "liveries/livery_matching.h"

#include "core/log.h"

namespace ovr
{

std::atomic<std::uint8_t> g_scannedLiveriesProcessed{0};
std::atomic<std::uint64_t> g_liveriesCount{0};

// The tables arrive with the livery matching; until then nothing is matched.
void gf_processScannedLiveries()
{
    g_scannedLiveriesProcessed.store(1);
}

void gf_clearLiveryMatching() {}

void gf_showLiveryMatchingSummary() {}

void gf_logNoMatches()
{
    gf_log("No match found for:");
}

void lf_clearNoMatchSet() {}

void gf_reserveMatchingContainers() {}

} // namespace ovr
