// Scenarios as JSON files, for runs (VORA_SIM_SCENARIO) and the probe tool.
// Keys are those of data/scenarios/sim-demo.json; an unknown key is an error
// so that a misspelt setting does not pass unnoticed.
//
// A pose (the user aircraft, a path point, a foreign aircraft, a teleport or
// move) has "lat", "lon", "alt_ft" (absent: on the terrain), "pitch_deg",
// "bank_deg", "heading_deg", "ground_speed_kt", "airspeed_kt",
// "vertical_speed_fps" and "on_ground" (default: true without "alt_ft").
// The user's "path" is a list of poses with "t_s". A parking is placed by
// "lat"/"lon" or by "bias_x_m"/"bias_z_m"; its "name" and "type" take the
// simulator's names (GATE_A, GATE_HEAVY, ...) or numbers.
// "events" is a list of {"at_s", "kind", ...} with the kinds "quit",
// "available" {"value"}, "flight_loaded", "running" {"value"}, "teleport"
// {pose}, "move" {pose, "duration_s"}, "add_foreign" {"aircraft"},
// "remove_foreign" {"object_id"}, "fail_calls" {"call", "count"} and
// "exception" {"exception", "send_id", "index", "client"}.
#pragma once

#include "platform/simconnect/scenario.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>

namespace ovr::sim
{

// Throws std::runtime_error saying which key is wrong and why.
Scenario scenarioFromJson(const nlohmann::json& json);

// Throws std::runtime_error naming the file and the fault.
Scenario loadScenarioFile(const std::filesystem::path& path);

// The scenario of a run without VORA_SIM_SCENARIO: the user aircraft at a
// gate at Frankfurt with the airport's facility data.
Scenario builtInScenario();

} // namespace ovr::sim
