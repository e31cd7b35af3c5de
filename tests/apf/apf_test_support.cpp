#include "apf_test_support.h"

#include <cstdlib>
#include <mutex>

#include <fmt/format.h>

#include "airports/airport_list_detail.h"
#include "airports/airport_settings.h"
#include "airports/apf_reader.h"
#include "airports/apf_writer_detail.h"
#include "airports/facility_reader.h"
#include "core/code_pool.h"
#include "core/download_detail.h"
#include "core/globals.h"
#include "core/library_init.h"
#include "core/log_detail.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "liveries/model_database.h"
#include "traffic/park_airports.h"

namespace ovr::test
{

namespace
{

std::mutex g_shownMutex;
std::vector<std::string> g_shownKeys;

void lf_recordShown(const std::string& key)
{
    const std::scoped_lock lock(g_shownMutex);
    g_shownKeys.push_back(key);
}

void lf_resetSettings()
{
    for (BoolParameter* p : {&AUTO_RANGE, &WEEK, &PARK_SOFT, &INITIAL_LOAD_ONLY, &RT_PARKTRAFFIC_ONLY})
        p->current = p->defaultValue;
    for (IntParameter* p :
         std::initializer_list<IntParameter*>{&RANGE, &parking_percentage, &MAX_FIT, &MAX_LIVE_SEL})
        p->current = p->defaultValue;
    MAX_FIT_FL.current = MAX_FIT_FL.defaultValue;
}

void lf_resetAirportState()
{
    gf_clearStands();
    g_handmade = false;
    g_apfWeek = 0;
    g_coverage = CoveragePair{};
    g_learnedApfPath.clear();
    g_learnedOverride.store(0);
    g_savedApfParameters = SavedApfParameters{};
    g_parkAirport = Airport{};
    g_dbase.clear();
    detail::resetAirportList();
    g_stop = 0;
    g_userClosed = 0;
    g_simIs2020 = 1;
}

} // namespace

std::string fixture(std::string_view name)
{
    return readFile(fs::path(VORA_APF_FIXTURES) / name);
}

void expectGolden(const fs::path& written, std::string_view golden)
{
    const fs::path goldenFile = fs::path(VORA_APF_FIXTURES) / golden;
    if (const char* update = std::getenv("VORA_APF_UPDATE_GOLDEN"); update != nullptr && *update == '1')
        fs::copy_file(written, goldenFile, fs::copy_options::overwrite_existing);
    EXPECT_EQ(readFile(written), readFile(goldenFile)) << golden;
}

std::string apfText(std::string_view parameters, std::string_view parkpositions, std::string_view version)
{
    return fmt::format(R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora"/>
    <info name="version" value="{}"/>
    <info name="copyright" value="(c) test"/>
    <info name="sim" value="1"/>
  </meta>
  <parameters>{}</parameters>
  <parkpositions>{}</parkpositions>
</root>
)",
                       version, parameters, parkpositions);
}

std::string param(std::string_view name, std::string_view value)
{
    return fmt::format(R"(<parameter name="{}" value="{}"/>)", name, value);
}

namespace
{

constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;
// cos(50 degrees): a degree of longitude is shorter there.
constexpr double kCos50 = 0.6427876096865394;

} // namespace

std::string parkposAt(std::string_view id, double north, double east, double radiusMetres,
                      std::string_view more, std::string_view options)
{
    return fmt::format(R"(<parkpos id="{}" latitude="{:.9f}" longitude="{:.9f}" radius="{}" {}>{}</parkpos>)",
                       id, 50.0 + north * kDegreesPerMetre, 8.0 + east * kDegreesPerMetre / kCos50,
                       radiusMetres, more, options);
}

DownloadServer::DownloadServer()
{
    detail::gf_setDownloadBase(base());
}

DownloadServer::~DownloadServer()
{
    detail::gf_setDownloadBase("");
}

void ApfTest::SetUpTestSuite()
{
    gf_initLibraries();
}

void ApfTest::SetUp()
{
    FolderTest::SetUp();
    fs::create_directories(folder() / g_learnedStockPath);
    fs::create_directories(folder() / g_mySimaddonPath);
    fs::create_directories(folder() / g_myThirdpartyPath);
    detail::setParametersFile(folder() / "parameters.xml");
    detail::setApfWriterDate(std::string(kFixedDate));
    {
        const std::scoped_lock lock(g_shownMutex);
        g_shownKeys.clear();
    }
    gf_setParameterControlHooks({
        .showCheck = [](const BoolParameter& p) { lf_recordShown(p.name); },
        .showValue = [](const IntListParameter& p) { lf_recordShown(p.name); },
        .showText = [](const EditParameter& p) { lf_recordShown(p.name); },
    });
    lf_resetSettings();
    lf_resetAirportState();
    g_parkAirport.icao = IcaoCode("EDDF");
}

void ApfTest::TearDown()
{
    gf_closeFacilityReader();
    lf_resetAirportState();
    lf_resetSettings();
    gf_setParameterControlHooks({});
    detail::setApfWriterDate(std::nullopt);
    detail::setParametersFile({});
    FolderTest::TearDown();
}

std::vector<std::string> ApfTest::shown() const
{
    const std::scoped_lock lock(g_shownMutex);
    return g_shownKeys;
}

std::string ApfTest::parametersFileText() const
{
    return readFile(folder() / "parameters.xml");
}

FlightKey ApfTest::dbaseKey(std::string_view airline, std::string_view model)
{
    FlightKey key;
    key.airline = gf_airlineId(airline);
    key.model = gf_modelId(model);
    key.mark = 1;
    return key;
}

Stand makeStand(std::string name, double north, double east, double radiusMetres, std::uint16_t type)
{
    return gf_makeStand(std::move(name), {}, 50.0 + north * kDegreesPerMetre,
                        8.0 + east * kDegreesPerMetre / kCos50, 0.0, radiusMetres, type, false, false, false);
}

StandOption makeOption(std::string registration, FlightKey key, std::uint32_t day, HalfHourSet hours,
                       std::uint32_t id, std::uint32_t fromFile)
{
    StandOption option;
    option.key = key;
    option.registration = std::move(registration);
    option.hours = hours;
    option.day = day;
    option.id = id;
    option.fromFile = fromFile;
    return option;
}

std::vector<Stand> standsCopy()
{
    return std::vector<Stand>(g_stands.begin(), g_stands.end());
}

} // namespace ovr::test
