// Benchmarks measured against an anchor: a plain piece of work on the same
// input (a bare JSON parse of the same bytes, a bare fill of the same window)
// that says how much our own work costs on top of what cannot be avoided.
// A program that links vora_bench_ratio_main prints, after the usual table,
// one line per pair: "BM_Ours / BM_Anchor = 1.84" (real time per iteration).
#pragma once

#include <string>

namespace ovr::bench
{

// Registers a pair by the benchmarks' full names (with their arguments, as
// the table shows them); call it from a namespace-scope initialiser.
bool addRatio(std::string measured, std::string anchor);

} // namespace ovr::bench
