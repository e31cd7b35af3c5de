// What an airport's learned file keeps of the park airport's stands.
#pragma once

#include <span>
#include <vector>

#include "airports/stand.h"

namespace ovr
{

// The stands to write into the learned file, their options numbered 1, 2,
// 3, ... again: an option the static-parking search set aside for its pass
// (its aircraft was flying live) is kept like any other. A
// handmade file is the airport's whole airport file: every stand with all
// its options. Otherwise the options read from the airport file are left
// out, and only the stands made or changed by hand or by learning, or that
// still hold an option, are written.
std::vector<Stand> gf_learnedStands(std::span<const Stand> stands, bool handmade);

} // namespace ovr
