#include "liveries/livery_matching.h"

#include "core/log.h"

namespace ovr
{

void gf_showLiveryMatchingSummary() {}

void gf_logNoMatches()
{
    gf_log("No match found for:");
}

void lf_clearNoMatchSet() {}

} // namespace ovr
