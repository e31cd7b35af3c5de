// Shared fixtures of the airports tests: a scratch folder with its own log,
// positions a few metres apart, a small model database, and the park
// airport's stands and parking state emptied around every test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "../support/folder_test.h"
#include "airports/stand.h"
#include "core/geometry.h"

namespace ovr::test
{

// Degrees of latitude (and of longitude on the equator) per metre: one
// nautical mile is one minute of arc.
inline constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;

// A position the given metres north and east of a point on the equator.
inline LatLon offsetMetres(double north, double east)
{
    return LatLon{north * kDegreesPerMetre, 10.0 + east * kDegreesPerMetre};
}

// A scratch folder removed afterwards, with the log written into it.
class ScratchTest : public FolderTest
{
  protected:
    ScratchTest() : FolderTest("airports") {}
};

// A scratch test that also reads a small model database (types, categories,
// wingspans, registrations) and empties the park airport's stands and the
// parking state before and after.
class ParkAirportTest : public ScratchTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The database's extra registration records (<d .../> elements).
    virtual std::string registrations() const { return {}; }
};

// A stand with the given name, numeric id and radius at a position metres
// from the equator point.
Stand makeTestStand(std::string name, std::int32_t numericId, double north, double east, double radiusMetres,
                    std::uint16_t type = 0);

} // namespace ovr::test
