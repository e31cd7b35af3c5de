// The airport parking file: one XML layout for the airport files (stock,
// add-on sceneries, handmade) and for the learned files that the program
// writes back:
//   <root>
//     <meta> ... </meta>                      the data-file meta block
//     <parameters><parameter name= value=/> ... </parameters>
//     <parkpositions>
//       <parkpos id= latitude= longitude= heading= radius= type= cargo= ramp= ...>
//         <opt reg= airl= type= soft= day= hh= cs= cpl=/>
//       </parkpos>
//     </parkpositions>
//   </root>
// Radii are metres and headings degrees in the file, nautical miles and
// radians in memory. What both readers share of the layout lives here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "airports/stand.h"
#include "core/flight_key.h"

namespace ovr
{

inline constexpr double kFeetPerMetre = 3.2808399;

// The parkpositions block: under root, or at the top level of a document
// that has no root. An empty node when there is none.
pugi::xml_node gf_parkpositionsOf(const pugi::xml_document& document);

// A stand's id as read: without blanks, tabs, carriage returns and line
// feeds around it.
std::string gf_standIdOf(pugi::xml_node parkpos);

// A non-zero parking type decides both flags (cargo for the cargo ramps 5
// and 6, ramp for the GA ramps 1-4 and 14); type 0 leaves them to the
// "cargo" and "ramp" attributes.
struct StandKind
{
    bool cargo = false;
    bool ramp = false;
};
StandKind gf_standKindOf(std::uint16_t type, pugi::xml_node parkpos);

// The parking type of a parkpos, 0 when missing or out of range.
std::uint16_t gf_standTypeOf(pugi::xml_node parkpos);

// The callsigns and the key of an opt: "cs" is "callsign[:callsign2]"; the
// key is the model database's key of the registration (under each of its
// spellings), else built from "airl" and "type". Never throws: what was read
// before a failure is returned.
struct OptionIdentity
{
    std::string callsign;
    std::string callsign2;
    FlightKey key;
};
OptionIdentity lf_readOptionIdentity(pugi::xml_node opt);

// An opt as a stand option with its half hours (read from "hh" by the
// caller, who decides what an empty set means) and its source; the id is
// left to the caller.
StandOption gf_optionOf(pugi::xml_node opt, HalfHourSet hours, std::uint32_t fromFile);

// The key from "airl" and "type" (interned when new), the other fields 0.
FlightKey gf_keyFromAirlType(pugi::xml_node opt);

// MAX_FIT holds half-hour steps: the nearest integer to 2 x hours, minus 1
// (24 hours is 47, half an hour 0). Throws gsl::narrowing_error when the
// value is no integer (not a number, out of range).
std::int32_t gf_maxFitStepOf(double hours);

} // namespace ovr
