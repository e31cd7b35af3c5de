// The working fields of the motion model that a live aircraft carries
// between passes, grouped by the phase (and file) that owns them.
#pragma once

#include <cstdint>
#include <limits>

#include "core/geometry.h"

namespace ovr
{

struct MotionState
{
    // Ground and taxi (motion_ground.cpp).
    // The turn curve of the running segment, in its parameter u (0..1); the
    // control point is not-a-number while no curve is set.
    CurveRecord curve{0.0, 0.0, 0.0, 0.0, 0.0, 1.0, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::quiet_NaN()};
    double curveU = 0.0;
    double curveStep = 0.0;   // u per tick
    double turnAngle = 0.0;   // degrees, of the curve or the direct turn
    std::uint8_t directTurn = 0;
    // The nose follows the curve's tangent (the curve left along the nose,
    // or the nose has caught up with it).
    std::uint8_t onTangent = 0;
    // Pushback: stage 2 straight back, 1 the turn, 0 none.
    std::int32_t pushbackStage = 0;
    std::uint8_t turnSide = 0;      // 1 turns clockwise (to the right of the heading)
    std::uint8_t turnSideKnown = 0;
    LatLon pushEndLeft;
    LatLon pushEndRight;
    double pushedBackDistance = 0.0;
    double lastPushedBackDistance = 0.0;

    // Take-off (motion_takeoff.cpp).
    // Ticks since the rotation began; -1 when no take-off runs.
    std::int32_t sinceRotation = -1;
    std::uint8_t gearUpDone = 0;
    std::uint8_t climbConfigDone = 0;

    // Air (motion_air.cpp).
    // The altitude the running air segment aims at, and the bank it flies.
    double targetAltitude = 0.0;
    double bankTarget = 0.0;
    // The speed over the ground the last segment in the air or rolling on
    // the ground was flown at, in knots (0 when it ended standing), and the
    // moment on g_clock it was to end.
    double segmentSpeedKt = 0.0;
    std::int64_t segmentEnd = 0;

    // Approach and landing (motion_landing.cpp).
    // 0 before the flare, 1..4 its stages.
    std::uint8_t landingStage = 0;
    // The flare's pitch change, on a count of its own: the ground report
    // and the touchdown read only the rotation's and the nose lowering's.
    std::int32_t flareTicksLeft = 0;
    double flarePitchStep = 0.0; // radians per tick

    // Configuration (motion_config.cpp).
    // The cabin lights as last sent (the activation turns them on).
    std::uint8_t cabin = 1;
    // The gear as this model last set it: 0 up, 1 down, 2 as the simulator
    // created the object (down, also in the air) until the model sets it.
    std::uint8_t gearDown = 2;
};

} // namespace ovr
