// The live aircraft list's look-ups (by key; by callsign and model; by
// callsign) stay in step with the list through every change, and answer as a
// search of the whole list would.
#include "traffic/live_aircraft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace ovr::test
{
namespace
{

LiveAc lf_live(std::uint32_t key, std::string callsign, std::uint16_t model)
{
    LiveAc a;
    a.aiKey = key;
    a.callsign = std::move(callsign);
    a.key.model = model;
    return a;
}

// What a search of the whole list answers.
const LiveAc* lf_scan(const LiveAircraftList& list, std::uint32_t key)
{
    const auto it = std::ranges::find_if(list, [key](const LiveAc& a) { return a.aiKey == key; });
    return it == list.end() ? nullptr : &*it;
}

bool lf_scanFlight(const LiveAircraftList& list, const std::string& callsign, std::uint16_t model)
{
    return !callsign.empty() && std::ranges::any_of(list, [&](const LiveAc& a)
                                                    { return a.callsign == callsign && a.key.model == model; });
}

struct ListCase
{
    const char* name;
    std::function<void(LiveAircraftList&)> change;
};

const ListCase kListCases[] = {
    {"pushed", [](LiveAircraftList& l) { l.push_back(lf_live(7, "NEW7", 3)); }},
    {"pushed_twice_the_first_is_found", [](LiveAircraftList& l) { l.push_back(lf_live(2, "TWIN", 1)); }},
    {"erased_by_a_rule", [](LiveAircraftList& l) { l.eraseIf([](const LiveAc& a) { return a.aiKey % 2 == 0; }); }},
    {"erased_the_last_in_place", [](LiveAircraftList& l) { l.swapErase(0); }},
    {"erased_the_last", [](LiveAircraftList& l) { l.swapErase(l.size() - 1); }},
    {"set_whole", [](LiveAircraftList& l) { l = {lf_live(9, "ONE9", 2), lf_live(1, "DLH1", 2)}; }},
    {"cleared_and_pushed", [](LiveAircraftList& l) { l.clear(); l.push_back(lf_live(3, "AAA3", 1)); }},
    {"callsign_changed",
     [](LiveAircraftList& l)
     {
         l[1].callsign = "RENAMED";
         l.identityChanged();
     }},
    {"model_changed",
     [](LiveAircraftList& l)
     {
         l[2].key.model = 9;
         l.identityChanged();
     }},
};

class LiveAircraftListTest : public testing::TestWithParam<ListCase>
{
};

TEST_P(LiveAircraftListTest, LookUpsAnswerAsASearchOfTheWholeList)
{
    LiveAircraftList list;
    list = {lf_live(1, "DLH1", 1), lf_live(2, "KLM2", 1), lf_live(3, "", 2), lf_live(4, "DLH1", 2)};
    // Asked once before the change, so that stale answers would show.
    for (std::uint32_t key = 0; key < 10; ++key)
        EXPECT_EQ(list.find(key), lf_scan(list, key));
    GetParam().change(list);
    for (std::uint32_t key = 0; key < 10; ++key)
        EXPECT_EQ(list.find(key), lf_scan(list, key)) << key;
    for (const std::string callsign : {"DLH1", "KLM2", "NEW7", "TWIN", "RENAMED", "ONE9", "AAA3", ""})
    {
        for (std::uint16_t model = 0; model < 10; ++model)
            EXPECT_EQ(list.hasFlight(callsign, model), lf_scanFlight(list, callsign, model))
                << callsign << " " << model;
        const bool carried = !callsign.empty() && std::ranges::any_of(list, [&](const LiveAc& a)
                                                                       { return a.callsign == callsign; });
        EXPECT_EQ(list.hasCallsign(callsign), carried) << callsign;
    }
}

std::string lf_caseName(const testing::TestParamInfo<ListCase>& c)
{
    return c.param.name;
}

INSTANTIATE_TEST_SUITE_P(Changes, LiveAircraftListTest, testing::ValuesIn(kListCases), lf_caseName);

} // namespace
} // namespace ovr::test
