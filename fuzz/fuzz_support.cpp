#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "airports/airport_settings.h"
#include "airports/apf_reader.h"
#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "core/code_pool.h"
#include "core/library_init.h"
#include "core/log_detail.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/user_error.h"
#include "liveries/model_database.h"
#include "platform/shell/known_folders.h"
#include "platform/win/test_support.h"
#include "service/traffic_reader.h"
#include "simlink/sim_client.h"
#include "stream_encrypt.h"
#include "simlink/user_aircraft.h"

namespace ovr::fuzz
{

namespace
{

namespace fs = std::filesystem;

// EDDF, the airport of the seeds.
constexpr double kParkLatitude = 50.033306;
constexpr double kParkLongitude = 8.570456;
constexpr float kParkElevationFt = 364.0f;
constexpr std::size_t kInputsPerLog = 20000;

fs::path g_folder;

void lf_removeFolder()
{
    detail::closeLog();
    detail::setParametersFile({});
    std::error_code ec;
    fs::current_path(g_folder.parent_path(), ec);
    fs::remove_all(g_folder, ec);
}

// The savers replace files through a temporary file and a rename, which on
// a disk file system waits for the data: in memory the targets run some
// thirty times faster. TMPDIR, when set, wins.
fs::path lf_baseFolder()
{
    std::error_code ec;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec))
    {
        return "/dev/shm";
    }
    return fs::temp_directory_path();
}

fs::path lf_makeFolder()
{
    gf_initLibraries();
    const fs::path folder = lf_baseFolder() /
                            ("vora-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    fs::current_path(folder);
    g_folder = folder;
    // The AppData folders lie inside it too: no target touches the user's.
    fs::create_directories(folder / "roaming");
    fs::create_directories(folder / "local");
    platform_test::setKnownFolder(FOLDERID_RoamingAppData, folder / "roaming");
    platform_test::setKnownFolder(FOLDERID_LocalAppData, folder / "local");
    detail::openLogAt(folder / "Log.txt");
    detail::setParametersFile(folder / "parameters.xml");
    if (const char* keep = std::getenv("VORA_FUZZ_KEEP"); keep != nullptr && *keep == '1')
    {
        std::fprintf(stderr, "working folder kept: %s\n", folder.c_str());
    }
    else
    {
        std::atexit(&lf_removeFolder);
    }
    return folder;
}

void lf_knownTypes(ModelIdSet& category, std::initializer_list<const char*> types)
{
    for (const char* type : types)
    {
        g_knownModels.insert(type);
        category.insert(gf_modelId(type));
    }
}

} // namespace

const fs::path& workFolder()
{
    static const fs::path folder = lf_makeFolder();
    return folder;
}

void setUpTrafficState()
{
    workFolder();
    Airport park;
    park.icao = IcaoCode{"EDDF"};
    park.code3 = IataCode{"FRA"};
    park.latitude = kParkLatitude;
    park.longitude = kParkLongitude;
    park.elevation = kParkElevationFt;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport = park;
        g_reservedStand = "V100";
    }
    {
        const std::scoped_lock lock(g_simConnectMutex);
        g_userState.latitude = kParkLatitude;
        g_userState.longitude = kParkLongitude;
        g_userState.altitude = 1000.0;
        g_userPos = g_userState;
    }
    g_trafficReader.refPos = LatLon{kParkLatitude, kParkLongitude};
    g_trafficReader.parkElevation = std::optional<double>{kParkElevationFt};
    g_rangeNm.store(40.0);
    lf_knownTypes(g_largeModels, {"A320", "A321", "B738", "B744", "B752", "B763", "A388"});
    lf_knownTypes(g_heavyModels, {"A359", "B77W"});
    lf_knownTypes(g_buzjetModels, {"C56X"});
    lf_knownTypes(g_rotorcraftModels, {"EC35"});
    lf_knownTypes(g_highPerformanceModels, {"F16"});
    g_knownModels.insert("C172");
}

void readParkAirportFile(std::string_view bytes)
{
    workFolder();
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode{"EDDF"};
    }
    writeFile(kParkAirportFile, bytes);
    ApfHeader header;
    CoveragePair coverage;
    try
    {
        (void)gf_readApf("airports\\my_simaddon\\EDDF.xml", header, coverage, g_stands);
    }
    catch (const UserErrorException&)
    {
        // shown to the user by the caller
    }
    gf_clearStands();
    gf_restoreAirportSettings();
}

void resetParameters()
{
    for (BoolParameter* p : g_boolParameters)
    {
        p->current = p->defaultValue;
    }
    for (IntParameter* p : g_intParameters)
    {
        p->current = p->defaultValue;
    }
    for (IntListParameter* p : g_intListParameters)
    {
        p->current = p->defaultValue;
    }
    for (StringParameter* p : g_stringParameters)
    {
        p->setValue(p->defaultText());
    }
    for (EditParameter* p : g_shownStringParameters)
    {
        p->setValue(p->defaultText());
    }
}

void writeEncrypted(const fs::path& encrypted, std::string_view plain)
{
    writeFile(encrypted, datatool::encryptText(plain));
}

void writeFile(const fs::path& file, std::string_view bytes)
{
    if (file.has_parent_path())
    {
        fs::create_directories(file.parent_path());
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void countInput()
{
    static std::size_t count = 0;
    if (++count % kInputsPerLog == 0)
    {
        detail::openLogAt(workFolder() / "Log.txt");
    }
}

} // namespace ovr::fuzz

namespace
{

std::vector<std::string> g_arguments;
std::vector<char*> g_argumentPointers;

// A flag whose value names a file or folder.
bool lf_isPathFlag(std::string_view argument)
{
    for (std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-merge_control_file="})
    {
        if (argument.starts_with(flag))
        {
            return true;
        }
    }
    return false;
}

} // namespace

// The engine reads the corpus folders after this and writes crash files
// relative to the current folder, which the targets change: every path of
// the command line is made absolute first, and crash files go to the folder
// the run began in unless the command line says otherwise.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    namespace fs = std::filesystem;
    const fs::path start = fs::current_path();
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i)
    {
        std::string argument = (*argv)[i];
        if (i > 0 && lf_isPathFlag(argument))
        {
            const std::size_t equals = argument.find('=');
            std::string value = argument.substr(equals + 1);
            const bool folder = !value.empty() && value.back() == '/';
            value = (start / value).lexically_normal().string();
            if (folder && value.back() != '/')
            {
                value += '/';
            }
            artifactPrefix = artifactPrefix || argument.starts_with("-artifact_prefix=");
            argument = argument.substr(0, equals + 1) + value;
        }
        else if (i > 0 && !argument.starts_with("-"))
        {
            argument = fs::absolute(argument).string();
        }
        g_arguments.push_back(std::move(argument));
    }
    if (!artifactPrefix)
    {
        g_arguments.push_back("-artifact_prefix=" + (start / "").string());
    }
    for (std::string& argument : g_arguments)
    {
        g_argumentPointers.push_back(argument.data());
    }
    g_argumentPointers.push_back(nullptr);
    *argc = static_cast<int>(g_arguments.size());
    *argv = g_argumentPointers.data();
    ovr::fuzz::workFolder();
    return 0;
}
