// Shared fixtures of the airport-file tests: a working folder of its own
// (the program's paths are relative to it) with the airports folders, the
// log and the parameters file inside it, the nine per-airport settings at
// their defaults, a park airport, a few registrations of the model
// database, a fixed date in written meta blocks, and a download service on
// 127.0.0.1 that serves the files a test puts there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "../support/file_server.h"
#include "../support/folder_test.h"
#include "../support/test_files.h"
#include "airports/stand.h"
#include "airports/stand_list.h"
#include "core/flight_key.h"

namespace ovr::test
{

namespace fs = std::filesystem;

inline constexpr std::string_view kFixedDate = "Jan 01, 2026";

// Names a parameterised case after its `name`.
inline constexpr auto caseName = [](const auto& test) { return test.param.name; };

// The park airport's file in the user's add-on folder: the name the program
// gives it and its path.
inline constexpr std::string_view kLocalName = "airports\\my_simaddon\\EDDF.xml";
inline const fs::path kLocalFile = "airports/my_simaddon/EDDF.xml";

// The text of a fixture file of tests/apf/fixtures.
std::string fixture(std::string_view name);

// The written file equals the golden file of the fixtures.
// VORA_APF_UPDATE_GOLDEN=1 writes the golden file instead of comparing.
void expectGolden(const fs::path& written, std::string_view golden);

// A small airport file: meta block (with the given version), parameters and
// the parkpos elements given.
std::string apfText(std::string_view parameters, std::string_view parkpositions,
                    std::string_view version = "12.5.5");

// One <parameter name= value=/>.
std::string param(std::string_view name, std::string_view value);

// The parameters of most test airport files: Frankfurt at 364 ft.
inline const std::string kHead =
    param("airport_name", "Frankfurt") + param("publisher", "") + param("altitude", "364");

// A parkpos `north` and `east` metres from 50 N 8 E with the radius in
// metres; `more` holds further attributes, `options` its opt elements.
std::string parkposAt(std::string_view id, double north, double east, double radiusMetres,
                      std::string_view more = "", std::string_view options = "");

// A file server that the program's downloads go to while it lives.
class DownloadServer : public FileServer
{
  public:
    DownloadServer();
    ~DownloadServer();
    DownloadServer(const DownloadServer&) = delete;
    DownloadServer& operator=(const DownloadServer&) = delete;
};

// The working folder is also the current folder during the test.
class ApfTest : public FolderTest
{
  protected:
    ApfTest() : FolderTest("apf", Enter::yes) {}
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The keys of the settings whose controls were refreshed, in order.
    std::vector<std::string> shown() const;
    // The keys written into the parameters file.
    std::string parametersFileText() const;

    // A registration the model database knows, with its key (which carries
    // the database's mark).
    static FlightKey dbaseKey(std::string_view airline, std::string_view model);
};

// A stand `north` and `east` metres from 50 N 8 E, radius in metres.
Stand makeStand(std::string name, double north, double east, double radiusMetres, std::uint16_t type = 0);
StandOption makeOption(std::string registration, FlightKey key, std::uint32_t day, HalfHourSet hours,
                       std::uint32_t id, std::uint32_t fromFile = 0);

// The stands of the park airport as a copy.
std::vector<Stand> standsCopy();

} // namespace ovr::test
