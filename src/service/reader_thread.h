// The thread body that both readers share: announce the start, run the
// request loop, report how it ended and, unless it ended on a stop request,
// stop the other reader and end the session.
#pragma once

#include "service/rt_connection.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>

namespace ovr
{

struct ReaderThreadSpec
{
    std::string_view threadName;    // "Traffic Reader"
    std::string_view shortName;     // "Traffic", in the status warnings
    std::string_view exceptionName; // "gf_trafficReader"
    std::atomic<std::int32_t>& indicator;
    RtConnection& self;
    RtConnection& other;
    // The request loop; false when it ended, with the status it ended on.
    std::function<bool(std::int32_t&)> loop;
};

// Sets the reader's `ended` as its very last action, however it ends.
void gf_runReaderThread(const ReaderThreadSpec& spec);

} // namespace ovr
