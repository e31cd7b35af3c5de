// The livery tables built as the start-up builds them: the input is
// output/LiveriesScanned.xml, then (after a NUL byte) the shipped regcode
// list's plain XML, then (after another) a user's regcode file. A few
// aircraft are matched against the tables built, placeholder types among
// them; the tables are emptied after each input, as a rebuild empties them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/code_pool.h"
#include "core/paths.h"
#include "core/user_error.h"
#include "fuzz_support.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_tables.h"
#include "liveries/model_lookups.h"

namespace
{

struct Aircraft
{
    std::string_view airline;
    std::string_view model;
    std::string_view registration;
    bool cargo;
};

constexpr Aircraft kAircraft[] = {
    {"DLH", "A320", "D-AIZZ", false}, {"PVT", "C172", "D-EABC", false}, {"KLM", "B77W", "", true},
    {"ZZZ", "ZZZC", "", false},       {"BAW", "E135", "G-ABCD", false}, {"ZZZ", "C56X", "N123AB", false},
};

std::string_view lf_part(std::string_view& rest)
{
    const std::size_t end = rest.find('\0');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    static const bool once = []
    {
        fuzz::setUpTrafficState();
        return true;
    }();
    (void)once;
    std::string_view rest = fuzz::asText(data, size);
    fuzz::writeFile(g_liveriesScannedXmlPath, lf_part(rest));
    fuzz::writeEncrypted(g_aigRegcodesEncPath, lf_part(rest));
    fuzz::writeFile(g_myRegcodesPath / "mine.txt", lf_part(rest));
    try
    {
        gf_processScannedLiveries();
        for (const Aircraft& aircraft : kAircraft)
        {
            AiAircraftRecord record;
            record.key.airline = gf_airlineId(aircraft.airline);
            record.key.model = gf_modelId(aircraft.model);
            record.key.cargo = aircraft.cargo ? 1 : 0;
            record.category = static_cast<std::uint32_t>(gf_categoryOfModel(record.key.model));
            record.registration = std::string(aircraft.registration);
            gf_matchLivery4SpawnedAc(record);
            record.liveryTitle = {};
            (void)gf_matchLivery(record, "A1", aircraft.cargo);
        }
    }
    catch (const UserErrorException&)
    {
        // a scanned-liveries file the start-up refuses: shown to the user
    }
    gf_clearLiveryMatching();
    g_scannedLiveriesProcessed.store(0);
    return 0;
}
