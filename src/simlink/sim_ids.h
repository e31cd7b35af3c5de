// The fixed numbers this program gives SimConnect on its "Vora" connection:
// system events, data definitions, requests, client events and the one
// notification group. The facility-data connection has its own numbers.
#pragma once

#include <cstdint>

namespace ovr
{

// System events, subscribed in this order: 201, 202, 203, 205, 204.
inline constexpr std::uint32_t kEventSim = 201;
inline constexpr std::uint32_t kEventObjectAdded = 202;
inline constexpr std::uint32_t kEventObjectRemoved = 203;
inline constexpr std::uint32_t kEventFrame = 204;
inline constexpr std::uint32_t kEventFlightLoaded = 205;

// Data definitions.
inline constexpr std::uint32_t kDefTouchdown = 401;    // spoilers and throttles, 24 bytes
inline constexpr std::uint32_t kDefPosition = 402;     // AI position writes, 64 bytes
inline constexpr std::uint32_t kDefUserState = 403;    // UserAcState, 104 bytes
inline constexpr std::uint32_t kDefNearby = 404;       // by-type ground data, 56 bytes
inline constexpr std::uint32_t kDefStaticValues = 405; // static CG and pitch, 16 bytes
inline constexpr std::uint32_t kDefUserTitle = 407;    // STRINGV
inline constexpr std::uint32_t kDefUserModel = 408;    // STRING32
inline constexpr std::uint32_t kDefUserOnGround = 409; // INT64

inline constexpr std::uint32_t kPositionBytes = 64;
inline constexpr std::uint32_t kUserStateBytes = 104;
inline constexpr std::uint32_t kNearbyBytes = 56;
inline constexpr std::uint32_t kStaticValuesBytes = 16;
inline constexpr std::uint32_t kTouchdownBytes = 24;
inline constexpr std::uint32_t kString32Bytes = 32;

// Requests and the request-id argument of the AI calls.
inline constexpr std::uint32_t kReqNearby = 101;
inline constexpr std::uint32_t kReqStaticValues = 102;
inline constexpr std::uint32_t kReqReleaseControl = 103;
// Each creation has a request id of its own, counted from here, so that the
// object id the simulator assigns to a create request names its create.
inline constexpr std::uint32_t kReqCreateFirst = 0x10000;
inline constexpr std::uint32_t kReqRemove = 105;
inline constexpr std::uint32_t kReqUserTitle = 106;
inline constexpr std::uint32_t kReqUserModel = 107;
inline constexpr std::uint32_t kReqUserOnGround = 108;
inline constexpr std::uint32_t kReqUserState = 109;
inline constexpr std::uint32_t kReqFlightPlan = 110;
// The simulation's running state, asked once after subscribing: the
// simulator sends "Sim" only when it changes.
inline constexpr std::uint32_t kReqSimState = 111;
// The ground data of an object just assigned to one of our creations, asked
// of that object alone: it may be far outside the nearby report.
inline constexpr std::uint32_t kReqNewObject = 112;

// Client events.
inline constexpr std::uint32_t kBeaconLightsSet = 206;
inline constexpr std::uint32_t kNavLightsSet = 207;
inline constexpr std::uint32_t kTaxiLightsSet = 208;
inline constexpr std::uint32_t kStrobesSet = 209;
inline constexpr std::uint32_t kLandingLightsSet = 210;
inline constexpr std::uint32_t kCabinLightsSet = 211;
inline constexpr std::uint32_t kLogoLightsSet = 212;
inline constexpr std::uint32_t kAllLightsToggle = 213;
inline constexpr std::uint32_t kFreezeLatLonSet = 214;
inline constexpr std::uint32_t kFreezeAltitudeSet = 215;
inline constexpr std::uint32_t kFreezeAttitudeSet = 216;
inline constexpr std::uint32_t kFlapsSet = 217;
inline constexpr std::uint32_t kSpoilersSet = 218;
inline constexpr std::uint32_t kGearSet = 219;
inline constexpr std::uint32_t kEngineAutoStart = 220;
inline constexpr std::uint32_t kEngineAutoShutdown = 221;
inline constexpr std::uint32_t kThrottleSet = 222;

// Every client event is transmitted in this group.
inline constexpr std::uint32_t kEventGroup = 301;

} // namespace ovr
