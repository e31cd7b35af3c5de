// What the service client's tests share: a log file of their own, the
// session state back to a clean start, and the user aircraft, park airport
// and known types set as the other subsystems would set them.
#pragma once

#include "../support/test_files.h"
#include "airports/airport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ovr::test
{

// Opens the program log on a fresh temporary file for one test.
class LogCapture
{
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const;
    bool contains(std::string_view needle) const { return text().find(needle) != std::string::npos; }
    const std::filesystem::path& folder() const { return m_folder.path(); }

  private:
    TempFolder m_folder{"service"};
};

// Both readers, the stop state, the hand-over and the window fields back to
// the start of a session.
void resetServiceState();

void setUserPosition(double latitude, double longitude, double altitudeFt);
void setParkAirport(const Airport& airport, std::string reservedStand = {});
void clearParkAirport();
// The park airport of the demo scenario.
Airport frankfurt();

// The name of a table case as the test's name.
template <class Case> std::string caseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

// Known ICAO types of the model database.
void setKnownModels(std::initializer_list<const char*> types);

} // namespace ovr::test
