// The check for a new program version and new data components.
#pragma once

namespace ovr
{

// False after a new program version was unpacked (the exit reason is then
// "NEW VERSION"); true otherwise, also when the service cannot be reached.
bool gf_checkForUpdates();

} // namespace ovr
