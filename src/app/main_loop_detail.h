// The main loop's steps and its job schedule, for tests.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

void lf_everySecond();
void lf_every5Seconds();
void lf_every15Seconds();
void lf_flightNotRunning();

// The second phase of a two-step parking update is due.
extern std::atomic<std::uint8_t> g_parkingUpdatePhase;

namespace detail
{

// The jobs of one per-second step.
enum Job : unsigned
{
    kJobEvery5 = 1u << 0,
    kJobEvery15 = 1u << 1,
    kJobParking16 = 1u << 2,
    kJobStatics61 = 1u << 3,
    kJobEvery30 = 1u << 4,
    kJobEvery60 = 1u << 5,
    kJobEvery20Minutes = 1u << 6,
    kJobDaily = 1u << 7,
};

// Which jobs run when g_tick is t after its increment. The 16- and 61-second
// jobs give way on seconds that are multiples of 5; the 16-second parking pass
// also while a two-step parking update is armed.
unsigned jobsDueAt(std::int32_t t, bool parkingUpdateArmed);

} // namespace detail
} // namespace ovr
