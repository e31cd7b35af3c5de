// The program's "now" and its time texts. Time is UTC epoch seconds. While a
// professional account replays earlier traffic (a time shift), "now" follows
// the time of the received data so that the hour-of-week logic of the parking
// sees the traffic's own time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ovr
{

// A UTC calendar time, the fields of a broken-down time.
struct UtcTime
{
    int year = 0;    // e.g. 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int weekday = 0; // 1..7, Monday 1, Sunday 7
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The UTC calendar time of t; no value outside the range the Windows runtime
// converts (1970-01-01 00:00:00 to 3000-12-31 23:59:59).
std::optional<UtcTime> gf_utcTime(std::int64_t t);

// The received traffic's data time in epoch seconds (0 until traffic
// arrives); the service client installs the source that reads it.
using DataTimeSource = double (*)();
void gf_setDataTimeSource(DataTimeSource source);

std::int64_t gf_now();
// "Thu Jan 01 00:00:00 1970"; "Invalid time" when t cannot be converted.
std::string gf_formatTime(std::int64_t t);
// hh:mm:ss of the system time.
std::string gf_timeOfDayString();
// "Dec 09, 2026" of the system time.
std::string gf_dateText();
// hh:mm:ss of the shifted data time marked "<<< ", else of the system time.
std::string gf_shiftedTimeString();
// The half-hour slot 0..47 of gf_now (-1 when it cannot be converted).
std::int32_t gf_halfHourSlot();

} // namespace ovr
