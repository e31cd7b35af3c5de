// A client's facility definition: which blocks (the airport, its taxi
// parkings, its helipads) and which of their fields it asks for, and the
// data blocks built from it, fields in the order they were added.
#pragma once

#include "platform/simconnect/scenario.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace ovr::sim::detail
{

enum class FacilityBlock
{
    airport,
    taxiParking,
    helipad,
};

class FacilityDefinition
{
  public:
    // Adds "OPEN X", "CLOSE X" or a field of the block that is open. False
    // (and nothing added) when the entry does not belong where it stands.
    bool add(std::string_view entry);

    // Whether the block was opened, so that its records are sent.
    bool has(FacilityBlock block) const { return opened_[index(block)]; }

    std::vector<std::byte> airportBlock(const AirportFacility& airport) const;
    std::vector<std::byte> parkingBlock(const TaxiParking& parking) const;
    std::vector<std::byte> helipadBlock(const Helipad& helipad) const;

  private:
    static std::size_t index(FacilityBlock b) { return static_cast<std::size_t>(b); }

    std::vector<FacilityBlock> open_;
    std::array<bool, 3> opened_{};
    std::array<std::vector<std::size_t>, 3> fields_; // indexes into the block's field table
};

} // namespace ovr::sim::detail
