// The 8-byte identity of an aircraft: its airline, operating airline and type
// as code-pool ids, and two one-byte flags.
#pragma once

#include <cstdint>

namespace ovr
{

struct FlightKey
{
    std::uint16_t airline = 0;       // id in g_airlineCodes
    std::uint16_t secondAirline = 0; // operating airline, 0 for none
    std::uint16_t model = 0;         // id in g_modelCodes
    std::uint8_t cargo = 0;          // nonzero for a cargo flight
    std::uint8_t mark = 0;           // set by the builder of the key (the model database sets it on its own
                                     // keys); shown as '.' after the type code

    friend bool operator==(const FlightKey&, const FlightKey&) = default;
};

static_assert(sizeof(FlightKey) == 8);

} // namespace ovr
