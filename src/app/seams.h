// The registration points through which a lower floor reaches code above it
// (docs/ARCHITECTURE.md lists them): the program connects them all here,
// once, before the window exists and before any thread starts.
#pragma once

namespace ovr
{

void gf_connectSeams();

} // namespace ovr
