// Which periodic jobs run on which second of the main loop.
#include <gtest/gtest.h>

#include "app/main_loop_detail.h"

namespace ovr::test
{
namespace
{

using namespace ovr::detail;

struct ScheduleCase
{
    std::int32_t tick;
    bool parkingUpdateArmed;
    unsigned jobs;
};

void PrintTo(const ScheduleCase& c, std::ostream* out)
{
    *out << "t=" << c.tick << (c.parkingUpdateArmed ? " armed" : "");
}

class JobSchedule : public ::testing::TestWithParam<ScheduleCase>
{
};

TEST_P(JobSchedule, RunsTheJobsOfItsSecond)
{
    const ScheduleCase& c = GetParam();
    EXPECT_EQ(jobsDueAt(c.tick, c.parkingUpdateArmed), c.jobs) << "t = " << c.tick;
}

constexpr unsigned k5 = kJobEvery5;
constexpr unsigned k15 = k5 | kJobEvery15;
constexpr unsigned k60 = k15 | kJobEvery30 | kJobEvery60;

INSTANTIATE_TEST_SUITE_P(
    Seconds, JobSchedule,
    ::testing::Values(ScheduleCase{1, false, 0}, ScheduleCase{5, false, k5}, ScheduleCase{15, false, k15},
                      ScheduleCase{16, false, kJobParking16}, ScheduleCase{30, false, k15 | kJobEvery30},
                      ScheduleCase{45, false, k15}, ScheduleCase{60, false, k60},
                      ScheduleCase{61, false, kJobStatics61},
                      // 80 is a multiple of 16 and of 5: the 5-second jobs win.
                      ScheduleCase{80, false, k5},
                      // 305 is a multiple of 61 and of 5.
                      ScheduleCase{305, false, k5},
                      // 976 = 16 x 61: both.
                      ScheduleCase{976, false, kJobParking16 | kJobStatics61},
                      // An armed two-step parking update holds the periodic parking pass back.
                      ScheduleCase{16, true, 0}, ScheduleCase{976, true, kJobStatics61},
                      ScheduleCase{1200, false, k60 | kJobEvery20Minutes},
                      ScheduleCase{86400, false, k60 | kJobEvery20Minutes | kJobDaily}));

} // namespace
} // namespace ovr::test
