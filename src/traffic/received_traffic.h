// The intake of received live traffic into the traffic logic: a record of an
// unknown transponder id becomes a new live aircraft in state buffer, a
// record of a known one a further position sample once it passed the
// filters against duplicates, speed jumps and too-close updates.
#pragma once

#include "service/traffic_record.h"

namespace ovr
{

// Takes one received record. Main-loop thread, and the Traffic Reader thread
// for the buffered batches before the main loop runs. A record that throws
// is logged and dropped; user errors pass on.
void gf_takeReceivedAc(const TrafficRecord& record);

// Whether the settings let aircraft of this category (0 to 5) into the
// simulator: light aircraft, high-performance aircraft and helicopters each
// have their own switch.
bool gf_categoryAdmitted(int category);

} // namespace ovr
