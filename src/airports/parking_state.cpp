#include "airports/parking_state.h"

namespace ovr
{

std::vector<StaticAc> g_staticAircraft;
std::vector<ParkCandidate> g_parkCandidates;
std::vector<ParkedLive> g_parkedLive;
std::unordered_set<std::string, Fnv1aHash, std::equal_to<>> g_callsignsInUse;

std::int32_t g_fitPassNumber = 0;
std::int32_t g_currentFitStep = -1;
std::uint8_t g_fitPassesRunning = 0;

} // namespace ovr
