// Named scenery files for the tests of the airport scan: a well-formed
// airport and the malformed cases, each small enough to reason about.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bgl_writer.h"

namespace ovr::genbgl
{

// The well-formed airport of the fixtures: EDDF at 111 m, three helipads,
// a runway record, a taxiway-parking record with named, numbered, repeated,
// zero-heading and vehicle parkings (the last not a stand), and a second
// taxiway-parking record after it that the reader must not see.
AirportRecord sampleAirport(std::string ident = "EDDF");

// The names of the variants, in a fixed order.
std::vector<std::string> variantNames();

// The file of a variant; throws std::invalid_argument for an unknown name.
Bytes variant(std::string_view name);

} // namespace ovr::genbgl
