// Choosing stands and learned options for the static parked aircraft of the
// park airport, and testing whether a placed static aircraft still fits the
// options of its stand.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "airports/parking_state.h"
#include "core/aircraft_records.h"

namespace ovr
{

// Which options a search takes.
inline constexpr std::int32_t kSearchSoft = 0; // soft (derived) options only
inline constexpr std::int32_t kSearchReal = 1; // real sightings only
inline constexpr std::int32_t kScopeWeek = 0;  // any weekday
inline constexpr std::int32_t kScopeDay = 1;   // the target weekday only

// For every free stand, one option that held an aircraft at the target half
// hour (now less `offset` half hours) becomes a candidate with `context` as
// its age, and the stand and its neighbours are marked taken. An option whose
// aircraft is already placed, chosen or flying live is retired (id 0).
void lf_searchStands(std::uint64_t weekdayHour, std::int32_t kind, std::int32_t scope, std::int32_t offset,
                     std::vector<ParkCandidate>& candidates, std::uint32_t context);

// The searches of one fill (the fit steps of a calculation or an adjustment):
// who is in use and which static aircraft stand where is gathered at the first
// search and extended by the stands each search takes, with the results of
// lf_searchStands. Between searches the candidates may move from `candidates`
// to g_parkCandidates; anything else that changes them, the static aircraft
// or the parked live aircraft has the next search gather everything again.
class StandSearch
{
  public:
    StandSearch();
    ~StandSearch();
    StandSearch(const StandSearch&) = delete;
    StandSearch& operator=(const StandSearch&) = delete;

    void searchStands(std::uint64_t weekdayHour, std::int32_t kind, std::int32_t scope, std::int32_t offset,
                      std::vector<ParkCandidate>& candidates, std::uint32_t context);

  private:
    struct Index;
    std::unique_ptr<Index> m_index;
};

// Whether the stand holds an option of this aircraft (registration, airline
// and type) with a half hour within the current fit window before now.
bool gf_standOptionFits(std::uint64_t weekdayHour, std::int32_t standId, const AiAircraftRecord& aircraft);

} // namespace ovr
