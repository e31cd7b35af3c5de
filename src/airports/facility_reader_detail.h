// Facility-reader internals for the tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace ovr::detail
{

// How long the reader waits for the next message before it gives up.
void setFacilityWait(std::chrono::milliseconds wait);

// The entries of the facility definition, in the order they are added.
std::span<const char* const> facilityDefinitionEntries();

// The suffix of the n-th repeat of a parking number: a..z, then aa, ab ...
std::string repeatSuffix(std::uint32_t n);

} // namespace ovr::detail
