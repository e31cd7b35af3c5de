// Both reader objects together: their reset before a new session and the
// indicators of what arrives from them.
#pragma once

namespace ovr
{

// Puts both readers back to their start values before a restart; called
// while neither reader thread runs.
void gf_resetRtReaders();

// Sets the Traffic and Weather indicators from what arrives; main loop.
void gf_updateRtIndicators();

} // namespace ovr
