// The titles that the liveries scan skips: the regcode entries that list no
// registration (a user's or the shipped list's way of saying "never use
// this livery").
#pragma once

#include <string>
#include <vector>

namespace ovr
{

extern std::vector<std::string> g_dontUseTitles;

// Empties g_dontUseTitles and fills it from input/AIG-regcodes.enc and the
// files of input/my_regcodes. Failures are logged; the list keeps what was
// read. The plain AIG list never outlives the call. Called by the liveries
// scan before it scans.
void lf_readDontUseTitles();

} // namespace ovr
