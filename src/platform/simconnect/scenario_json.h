// Scenarios as JSON files, for runs (VORA_SIM_SCENARIO) and the probe tool.
// Keys are those of data/scenarios/sim-demo.json; an unknown key is an error
// so that a misspelt setting does not pass unnoticed.
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
