// Ageing, filtering, sorting and de-duplicating the records of an answered
// parked-traffic request.
#include "service/parked_traffic_detail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovr::test
{
namespace
{

ParkedTrafficRecord seen(std::int32_t slot, const char* stand, const char* callsign)
{
    ParkedTrafficRecord r;
    r.slot = slot;
    r.standName = stand;
    r.callsign = callsign;
    return r;
}

struct Kept
{
    std::int32_t age;
    std::string stand;
    std::string callsign;
    friend bool operator==(const Kept&, const Kept&) = default;
};

std::vector<Kept> kept(const std::vector<ParkedTrafficRecord>& records)
{
    std::vector<Kept> out;
    for (const ParkedTrafficRecord& r : records)
    {
        out.push_back(Kept{r.slot, r.standName, r.callsign});
    }
    return out;
}

struct PrepareCase
{
    const char* name;
    std::vector<ParkedTrafficRecord> records;
    std::int32_t slot;
    std::int32_t maxFit;
    bool parkedOnly;
    std::vector<Kept> expected;
};

TEST(PrepareParkedRecordsTest, AgesSortsAndKeepsTheYoungest)
{
    const PrepareCase cases[] = {
        {"age_wraps_over_midnight", {seen(46, "A1", "X1")}, 1, 47, false, {{3, "A1", "X1"}}},
        {"max_fit_0_keeps_this_half_hour_only",
         {seen(10, "A1", "X1"), seen(9, "A2", "X2"), seen(10, "A3", "X3")},
         10,
         0,
         false,
         {{0, "A1", "X1"}, {0, "A3", "X3"}}},
        {"parked_only_keeps_every_age",
         {seen(1, "A1", "X1"), seen(10, "A2", "X2")},
         10,
         0,
         true,
         {{0, "A2", "X2"}, {9, "A1", "X1"}}},
        {"same_stand_younger_stays",
         {seen(5, "A1", "X1"), seen(8, "A1", "X2")},
         10,
         47,
         false,
         {{2, "A1", "X2"}}},
        {"empty_stand_names_count_as_one",
         {seen(8, "", "X1"), seen(9, "", "X2"), seen(7, "", "X3")},
         10,
         47,
         false,
         {{1, "", "X2"}}},
        {"same_callsign_younger_stays",
         {seen(8, "A1", "DLH1"), seen(9, "A2", "DLH1")},
         10,
         47,
         false,
         {{1, "A2", "DLH1"}}},
        {"empty_callsigns_never_clash",
         {seen(8, "A1", ""), seen(9, "A2", "")},
         10,
         47,
         false,
         {{1, "A2", ""}, {2, "A1", ""}}},
        {"unknown_slot_ages_from_minus_one", {seen(-1, "A1", "X1")}, 10, 47, false, {{11, "A1", "X1"}}},
    };
    for (PrepareCase c : cases)
    {
        detail::prepareParkedRecords(c.records, c.slot, c.maxFit, c.parkedOnly);
        EXPECT_EQ(kept(c.records), c.expected) << c.name;
    }
}

} // namespace
} // namespace ovr::test
