// The livery tables of a large user's scan, 40,000 liveries generated from a
// seed with AIG and user registration lists, and 10,000 aircraft matched on
// them. Everything the build and the matching produce (every table, the log,
// the regcode reports, each aircraft's title) is reduced to one digest that
// was recorded before the build was made faster: a faster build must give
// exactly the tables, matches and files of the old one.

#include <algorithm>
#include <array>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "core/fnv1a.h"
#include "core/paths.h"
#include "core/random_detail.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_data.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/model_lookups.h"
#include "liveries/regcode_tables.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

constexpr std::uint32_t kSeed = 34005;
constexpr std::uint32_t kLiveries = 40000;
constexpr std::uint32_t kAircraft = 10000;
constexpr std::uint32_t kAirlines = 700;

// The digest of the old build's tables, log, reports and matches.
constexpr std::uint64_t kRecordedDigest = 0x2fcd200d8ac74fbe;

constexpr std::array<std::string_view, 17> kTypes = {"A319", "A320", "A321", "A20N", "B744", "B748",
                                                     "B77L", "C152", "C172", "C25C", "C56X", "CRJ9",
                                                     "E190", "E195", "EC35", "F16",  "XX99"};

// Raw draws only: the standard fixes mt19937's output, not its distributions'.
class Draws
{
  public:
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(m_engine() % n); }
    bool oneIn(std::uint32_t n) { return below(n) == 0; }

  private:
    std::mt19937 m_engine{kSeed};
};

std::string lf_code(std::uint32_t n)
{
    if (n % 97 == 5)
        return "ZZZ";
    return {char('A' + n / 676 % 26), char('A' + n / 26 % 26), char('A' + n % 26)};
}

std::string lf_registration(std::uint32_t n)
{
    return fmt::format("{}-{}{}{}{}", char('A' + n % 9), char('A' + n / 9 % 26), char('A' + n / 234 % 26),
                       char('A' + n / 6084 % 26), char('A' + n / 158184 % 26));
}

std::string lf_escaped(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

struct Generated
{
    std::string airline;
    std::string operatorCode;
    std::string model;
    std::string title;
    std::string registration;
    bool cargo = false;
};

std::vector<Generated> lf_liveries(Draws& draws)
{
    std::vector<Generated> liveries;
    liveries.reserve(kLiveries);
    for (std::uint32_t i = 0; i < kLiveries; ++i)
    {
        Generated l;
        l.airline = lf_code(draws.below(kAirlines));
        if (draws.oneIn(25))
            l.operatorCode = lf_code(draws.below(60));
        l.model = std::string(kTypes[draws.below(kTypes.size())]);
        l.cargo = draws.oneIn(10);
        l.title = fmt::format("{} {} livery {}{}", l.airline, l.model, i, i % 97 == 3 ? " & Co" : "");
        // A title now and then is a second livery's too.
        if (i > 100 && draws.oneIn(200))
            l.title = liveries[draws.below(i)].title;
        if (!draws.oneIn(5))
            l.registration = lf_registration(draws.oneIn(50) && i > 0 ? draws.below(i) : i);
        liveries.push_back(std::move(l));
    }
    return liveries;
}

class LargeTablesTest : public TablesTest
{
  protected:
    void writeInputs(const std::vector<Generated>& liveries, Draws& draws)
    {
        // Written as the scan writes it: by airline, operator, type and title.
        std::vector<const Generated*> sorted;
        for (const Generated& l : liveries)
            sorted.push_back(&l);
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Generated* x, const Generated* y)
                         {
                             return std::tie(x->airline, x->operatorCode, x->model, x->title) <
                                    std::tie(y->airline, y->operatorCode, y->model, y->title);
                         });
        std::vector<std::string> elements;
        for (const Generated* l : sorted)
            elements.push_back(livery(l->airline, l->model, lf_escaped(l->title), l->registration, l->cargo,
                                      l->operatorCode));
        writeScanned(elements);

        std::string aig;
        std::string previous;
        for (std::uint32_t i = 0; i < kLiveries; i += 1 + draws.below(3))
        {
            const Generated& l = liveries[i];
            std::string title = draws.oneIn(40) ? fmt::format("Not installed {}", i) : l.title;
            if (draws.oneIn(300))
                title = previous;
            previous = title;
            std::string regs = draws.oneIn(100) ? std::string(" , ,") : lf_registration(i + kLiveries);
            for (std::uint32_t more = draws.below(4); more > 0; --more)
                regs += fmt::format("{}{}", draws.oneIn(6) ? ", ," : ", ",
                                    lf_registration(draws.oneIn(3) ? draws.below(kLiveries) : i + 2 * kLiveries));
            aig += fmt::format(R"(<l t="{}" r="{}"{}/>)", lf_escaped(title), regs,
                               draws.oneIn(12) ? R"( s="true")" : "");
        }
        writeAig(aig);

        for (const char* name : {"mine.txt", "zz_more.TXT"})
        {
            std::string lines;
            for (std::uint32_t i = draws.below(7); i < kLiveries; i += 3 + draws.below(9))
            {
                const Generated& l = liveries[i];
                switch (draws.below(6))
                {
                case 0:
                    lines += l.title + "\n";
                    break;
                case 1:
                    lines += fmt::format("{};{},{};#\n", l.title, lf_registration(draws.below(kLiveries)),
                                         lf_registration(i + 3 * kLiveries));
                    break;
                case 2:
                    lines += fmt::format("{}; {} ;\n", l.title, lf_registration(i + 4 * kLiveries));
                    break;
                case 3:
                    lines += fmt::format("{};AB,{},TOOLONGREGCODE\n", l.title, lf_registration(i));
                    break;
                default:
                    lines += fmt::format("{};{}\n", l.title, lf_registration(draws.below(3 * kLiveries)));
                    break;
                }
            }
            writeMyRegcodes(name, lines);
        }
    }

    static std::string readWhole(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(LargeTablesTest, FortyThousandLiveriesGiveTheRecordedTablesMatchesAndFiles)
{
    Draws draws;
    const std::vector<Generated> liveries = lf_liveries(draws);
    writeInputs(liveries, draws);

    const std::size_t logBefore = logLines().size();
    gf_processScannedLiveries();
    ASSERT_EQ(g_liveriesCount.load(), kLiveries);

    std::vector<std::string> dump = tablesDump();
    dump.push_back(readWhole(g_inlineRegcodesTxtPath));
    dump.push_back(readWhole(g_offlineRegcodesTxtPath));

    detail::seedRandom(kSeed);
    for (std::uint32_t i = 0; i < kAircraft; ++i)
    {
        AiAircraftRecord record;
        record.key.airline = gf_airlineId(lf_code(draws.below(kAirlines + 100)));
        record.key.secondAirline = draws.oneIn(30) ? gf_airlineId(lf_code(draws.below(60))) : std::uint16_t{0};
        record.key.model = gf_modelId(kTypes[draws.below(kTypes.size())]);
        record.key.cargo = draws.oneIn(10) ? 1 : 0;
        record.category = static_cast<std::uint32_t>(gf_categoryOfModel(record.key.model));
        record.callsign = fmt::format("TST{}", i);
        if (draws.below(10) < 4)
            record.registration = lf_registration(draws.below(5 * kLiveries));
        gf_matchLivery4SpawnedAc(record);
        dump.push_back(fmt::format("match {} {}", i, record.liveryTitle));
    }
    const std::vector<std::string> log = logLines();
    dump.insert(dump.end(), log.begin() + static_cast<std::ptrdiff_t>(logBefore), log.end());

    std::string whole;
    for (const std::string& line : dump)
        whole += line + '\n';
    const std::uint64_t digest = gf_fnv1a64(whole);
    if (digest != kRecordedDigest)
    {
        // The whole dump, to compare with one of the old build.
        const fs::path saved = fs::temp_directory_path() / "vora-large-tables-dump.txt";
        std::ofstream(saved, std::ios::binary) << whole;
        ADD_FAILURE() << fmt::format("digest {:#018x}, recorded {:#018x}; the dump is in {}", digest,
                                     kRecordedDigest, saved.string());
    }
    g_matchSteps.fill(0);
    g_noMatch.clear();
    g_rememberedLiveries.clear();
}

} // namespace
} // namespace ovr::test
