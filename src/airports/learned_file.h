// Merging an airport's learned file into the stands just read from its
// airport file: the per-airport settings, changed radii and cargo flags,
// learned options, stands made by hand; or, for a handmade learned file,
// all of its stands instead of the airport file's.
//
// A learned file written before version 11.10.0 keeps its stand changes but
// not its options. A learned file that cannot be merged completely (it does
// not load, its meta block is refused, a handmade one holds a bad stand id)
// is copied to its first backup generation, so that saving the park airport
// later does not destroy what could not be read.
#pragma once

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "airports/apf_reader.h"
#include "airports/stand_list.h"

namespace ovr
{

// Reads and merges the learned file; sets `handmade` for a handmade one and
// clears it otherwise. Never throws: failures are logged.
void lf_readLearned(const std::filesystem::path& path, const ApfHeader& header, StandList& stands,
                    bool& handmade);

// One learned parkpos and what the merge needs of it.
struct LearnedStandContext
{
    std::string name;
    pugi::xml_node parkpos;
    bool oldFile = false;
};

// Merges the learned parkpos into the stand when the names are equal (true);
// false and nothing changed otherwise.
bool lf_mergeLearnedStand(const LearnedStandContext& context, Stand& stand);

} // namespace ovr
