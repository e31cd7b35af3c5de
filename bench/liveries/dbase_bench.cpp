// The model database at the size of the shipped one (10,000 registration
// records): the start-up read, and the per-call cost of the lookups that run
// for every received aircraft and every scanned livery.

#include <filesystem>
#include <fstream>
#include <random>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/library_init.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "liveries/publishers.h"
#include "liveries/registration_lookup.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace
{

constexpr int kRecords = 10000;
constexpr const char* kTypes[] = {"A320", "A20N", "A388", "B738", "B744", "B77W", "B789", "E190",
                                  "CRJ9", "AT76", "DH8D", "C172", "C25C", "EC35", "F16"};
constexpr const char* kAirlines[] = {"KLM", "DLH", "BAW", "AFR", "UAE", "SIA", "RYR", "EZY", "AAL", "DAL"};

// Registrations of the form P-XXXX and PP-XXXX, so that every lookup without
// a dash tries more than one spelling.
std::string lf_registration(int i)
{
    std::string letters = fmt::format("{}{}{}{}", char('A' + i % 26), char('A' + i / 26 % 26),
                                      char('A' + i / 676 % 26), char('A' + i / 17576 % 26));
    return i % 2 ? fmt::format("D-{}", letters) : fmt::format("PH-{}", letters);
}

std::string lf_databaseText()
{
    std::string types;
    for (const char* type : kTypes)
        types += fmt::format("{},", type);
    std::string wingspans;
    for (const char* type : kTypes)
        wingspans += fmt::format(R"(<wingspan type="{}" meters="35.8"/>)", type);
    std::string records;
    for (int i = 0; i < kRecords; ++i)
        records += fmt::format(R"(<d r="{}" a="{}" m="{}"/>)", lf_registration(i), kAirlines[i % 10],
                               kTypes[static_cast<std::size_t>(i) % std::size(kTypes)]);
    std::string publishers;
    std::string thirdparties;
    for (int i = 0; i < 600; ++i)
    {
        publishers += fmt::format(R"(<pub names="Publisher{0}, Pub {0} Sim"/>)", i);
        thirdparties +=
            fmt::format(R"(<thirdpartie20 pub="Publisher{}" arpts="EH{:02},EG{:02}"/>)", i, i % 100, i % 100);
    }
    return fmt::format(R"(<root><aircrafts><aircraft types="{0}"/></aircrafts>
<cargo_types><cargo_type types="B744"/></cargo_types><heavy><hvy types="A388,B744,B77W,B789"/></heavy>
<large><lar types="A320,A20N,B738,E190,CRJ9,AT76,DH8D"/></large><buzjet><bzj types="C25C"/></buzjet>
<high_performance><hpf types="F16"/></high_performance><rotorcraft><rot types="EC35"/></rotorcraft>
<ICAO_airlines><ICAO codes="KLM,DLH,BAW,AFR,UAE,SIA,RYR,EZY,AAL,DAL"/></ICAO_airlines>
<cargo_operators><ICAO codes="FDX"/></cargo_operators><publishers>{1}</publishers><wingspans>{2}</wingspans>
<simaddons20><simaddon20 arpts="EHAM"/></simaddons20><simaddons24><simaddon24 arpts="EHAM"/></simaddons24>
<thirdparties20>{3}</thirdparties20><dbase>{4}</dbase></root>)",
                       types, publishers, wingspans, thirdparties, records);
}

// One working folder for the whole run, read once before the lookups.
struct Folder
{
    fs::path root =
        fs::temp_directory_path() / fmt::format("vora-bench-dbase-{:08x}", std::random_device{}());
    fs::path enc = root / "dbase.enc";
    fs::path plain = root / "dbase.xml";

    Folder()
    {
        ovr::gf_initLibraries();
        fs::create_directories(root);
        std::ofstream(enc, std::ios::binary) << ovr::datatool::encryptText(lf_databaseText());
    }
    ~Folder() { fs::remove_all(root); }

    void read() const
    {
        ovr::detail::clearDbase();
        if (!ovr::detail::readDbaseFrom(enc, plain))
            throw std::runtime_error("benchmark database does not parse");
    }
};

const Folder& lf_folder()
{
    static Folder folder;
    static bool read = (folder.read(), true);
    (void)read;
    return folder;
}

void BM_ReadDbase(benchmark::State& state)
{
    const Folder& folder = lf_folder();
    for (auto _ : state)
        folder.read();
    state.counters["records"] = static_cast<double>(ovr::g_dbase.size());
}
BENCHMARK(BM_ReadDbase)->Unit(benchmark::kMillisecond);

// Half the registrations as stored, half without the dash (found by a later
// spelling), and unknown ones that try every spelling.
void BM_FindRegistrationKey(benchmark::State& state)
{
    lf_folder();
    std::vector<std::string> asked;
    for (int i = 0; i < 1000; ++i)
    {
        std::string r = lf_registration(i * 7 % kRecords);
        if (i % 3 == 1)
            r.erase(r.find('-'), 1);
        if (i % 3 == 2)
            r = fmt::format("ZZ{:04}", i);
        asked.push_back(std::move(r));
    }
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ovr::gf_findRegistrationKey(asked[i++ % asked.size()]));
}
BENCHMARK(BM_FindRegistrationKey);

void BM_CategoryAndWingspan(benchmark::State& state)
{
    lf_folder();
    std::vector<std::uint16_t> ids;
    for (const char* type : kTypes)
        ids.push_back(ovr::gf_modelId(type));
    std::size_t i = 0;
    for (auto _ : state)
    {
        std::uint16_t id = ids[i++ % ids.size()];
        benchmark::DoNotOptimize(ovr::gf_categoryOfModel(id));
        benchmark::DoNotOptimize(ovr::gf_wingspanOf(id));
    }
}
BENCHMARK(BM_CategoryAndWingspan);

void BM_IsKnownModelAndAirline(benchmark::State& state)
{
    lf_folder();
    std::size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ovr::gf_isKnownModel(kTypes[i % std::size(kTypes)]));
        benchmark::DoNotOptimize(ovr::gf_isKnownAirline(kAirlines[i++ % std::size(kAirlines)]));
    }
}
BENCHMARK(BM_IsKnownModelAndAirline);

void BM_IsThirdParty(benchmark::State& state)
{
    lf_folder();
    std::vector<std::string> publishers;
    for (int i = 0; i < 600; ++i)
        publishers.push_back(fmt::format("Publisher{}", i));
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ovr::gf_isThirdParty(true, publishers[i++ % publishers.size()], "EH42"));
}
BENCHMARK(BM_IsThirdParty);

} // namespace
