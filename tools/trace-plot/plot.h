// The picture of a run: a legend line; the whole area from above (left) and
// the airport from above (right), both with the live aircraft's tracks, the
// static parked aircraft, the stands, the user's aircraft and the aircraft of
// other programs; below, the live aircraft's altitude over time. Each live
// aircraft keeps one colour in all three.
#pragma once

#include <vector>

#include "platform/win/image.h"
#include "trace_model.h"

namespace ovr::traceplot
{

inline constexpr int kPictureWidth = 1200;
inline constexpr int kLegendHeight = 28;
inline constexpr int kPanelSize = 600;
inline constexpr int kAltitudeHeight = 260;

inline constexpr std::uint32_t kStandColour = 0x5B8FC7;
inline constexpr std::uint32_t kStaticColour = 0x303030;
inline constexpr std::uint32_t kUserColour = 0x000000;
inline constexpr std::uint32_t kOtherColour = 0x9A9A9A;

ovr::win::Image drawTrace(const Trace& trace, const std::vector<StandPoint>& stands);

} // namespace ovr::traceplot
