// The program's settings: one global parameter object per key of
// parameters.xml, built at static initialisation with its default, and the
// five registries that drive reading and writing the whole file and the
// refresh of the window's controls.
#pragma once

#include "core/parameter.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace ovr
{

// Check boxes.
extern BoolParameter ALWAYS_ON_TOP;
extern BoolParameter GUID_CHANGES;
extern BoolParameter NAV_LIGHTS_WHILE_PARKED;
extern BoolParameter OBJECTID_LIST;
extern BoolParameter SCAN_LIVERIES;
extern BoolParameter LIG_AUTOMATIC;
extern BoolParameter LIG_PRIORITIZE;
extern BoolParameter SCAN_AIRPORTS;
extern BoolParameter LIGHT_AIRCRAFT;
extern BoolParameter HELICOPTERS;
extern BoolParameter HIGH_PERF_AIRCRAFT;
extern BoolParameter AUTO_RANGE;
extern BoolParameter AIRBORNE_ONLY;
extern BoolParameter COLLISION_USER_AIR;
extern BoolParameter COLLISION_USER_GND;
extern BoolParameter COLLISION_LIVE_PARKED_GND;
extern BoolParameter INITIAL_LOAD_ONLY;
extern BoolParameter PARK_SOFT;
extern BoolParameter WEEK;
extern BoolParameter STRAIGHT_PBS_ONLY;
extern BoolParameter RT_PARKTRAFFIC_ONLY;
extern BoolParameter SIM_TIME;
extern BoolParameter KEEP_SIM_TIME_PAR;

// Hidden numbers.
extern IntParameter MAIN_WINDOW_X;
extern IntParameter MAIN_WINDOW_Y;
extern IntParameter LAST_EPOCH_TIME; // key "LAST_EPOCH_TIME:"
extern IntParameter CUSTOM_PARKING_PERCENTAGE;
extern IntParameter HOLDING_THRESHOLD_METERS;
extern IntParameter MAX_HOLDING_MINUTES;
extern IntParameter MAX_FIT;

// Combo boxes of numbers.
extern IntListParameter MATCHING_DEPTH;
extern IntListParameter RANGE;
extern IntListParameter AR_ABOVE_HEIGHT;
extern IntListParameter AIRP_RANGE;
extern IntListParameter AIRP_HEIGHT;
extern IntListParameter MAX_PARK_SEL;
extern IntListParameter MAX_LIVE_SEL;
extern IntListParameter TIME_SHIFT_DAYS;
extern IntListParameter TIME_SHIFT_HOURS;
extern IntListParameter TIME_SHIFT_MINS;
extern IntListParameter parking_percentage; // saved singly, never read back
extern FloatListParameter MAX_FIT_FL;       // not stored

// Hidden texts.
extern StringParameter PROGRAM_VERSION;
extern StringParameter MSFS_INSTALL_PATH;
extern StringParameter MSFS_2024_INSTALL_PATH;
extern StringParameter lfolder0;
extern StringParameter lfolder1;
extern StringParameter lfolder2;
extern StringParameter lfolder3;
extern StringParameter lfolder4;
extern StringParameter lfolder5;
extern StringParameter lfolder6;
extern StringParameter lfolder7;
extern StringParameter lfolder8;
extern StringParameter lfolder9;
extern StringParameter AIG_VERSION;
extern StringParameter DBASE_VERSION;
extern StringParameter AIRPORTS_VERSION;
extern StringParameter LIV_SCAN_VERSION;
extern StringParameter ADDONS_SCAN_VERSION;
extern StringParameter MYSIMADDON24_VERSION;

// Texts shown in the window.
extern ChoiceParameter AI_PACKAGE_SELECTOR;
extern EditParameter DESTINATION;
extern EditParameter BLOCK_CALLSIGN;
extern EditParameter ALL_INSTALL_PATH; // not stored
extern ChoiceParameter SIM_CHOICE;
extern SharedChoiceParameter CALLSIGN_2_OBJECTID; // not stored

// The live callsigns offered by CALLSIGN_2_OBJECTID; the callsign-list code
// refills it. Starts with one empty text.
extern const std::shared_ptr<std::vector<std::string>> g_callsignChoices;

// The manual livery folders lfolder0 to lfolder9, in scan order.
extern const std::vector<StringParameter*> g_liveryFolders;

// The registries, in the order in which parameters.xml is read and written.
// AIRP_HEIGHT stands in both the int and the int-list registry.
extern const std::vector<BoolParameter*> g_boolParameters;
extern const std::vector<IntParameter*> g_intParameters;
extern const std::vector<IntListParameter*> g_intListParameters;
extern const std::vector<StringParameter*> g_stringParameters;
extern const std::vector<EditParameter*> g_shownStringParameters;

// Derived from RANGE and set only by gf_setRange: the range in nautical miles
// and the radius in metres of the simulator's request for nearby aircraft.
extern std::atomic<double> g_rangeNm;
extern std::atomic<std::int32_t> g_rangeMeters;

} // namespace ovr
