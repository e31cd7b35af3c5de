#include "app/main_loop_detail.h"

namespace ovr::detail
{

unsigned jobsDueAt(std::int32_t t, bool parkingUpdateArmed)
{
    unsigned jobs = 0;
    if (t % 5 != 0)
    {
        if (t % 16 == 0 && !parkingUpdateArmed)
        {
            jobs |= kJobParking16;
        }
        if (t % 61 == 0)
        {
            jobs |= kJobStatics61;
        }
        return jobs;
    }
    jobs |= kJobEvery5;
    if (t % 15 != 0)
    {
        return jobs;
    }
    jobs |= kJobEvery15;
    // Each longer period is a multiple of the one before, so each job is
    // looked at only on the seconds of the one before.
    static constexpr struct
    {
        std::int32_t period;
        Job job;
    } kLonger[] = {{30, kJobEvery30}, {60, kJobEvery60}, {1200, kJobEvery20Minutes}, {86400, kJobDaily}};
    for (const auto& longer : kLonger)
    {
        if (t % longer.period != 0)
        {
            break;
        }
        jobs |= longer.job;
    }
    return jobs;
}

} // namespace ovr::detail
