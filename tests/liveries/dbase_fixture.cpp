#include "dbase_fixture.h"

#include <fstream>

#include <fmt/format.h>

#include "liveries/dbase_reader_detail.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

void lf_section(std::string& out, std::string_view name, std::string_view body)
{
    if (body.empty())
        return;
    out += fmt::format("  <{0}>{1}</{0}>\n", name, body);
}

} // namespace

std::string DbaseText::xml() const
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    lf_section(out, "aircrafts", aircrafts);
    lf_section(out, "cargo_types", cargoTypes);
    lf_section(out, "heavy", heavy);
    lf_section(out, "large", large);
    lf_section(out, "buzjet", buzjet);
    lf_section(out, "high_performance", highPerformance);
    lf_section(out, "rotorcraft", rotorcraft);
    lf_section(out, "similar_types", similarTypes);
    lf_section(out, "prefixes", prefixes);
    lf_section(out, "ICAO_airlines", icaoAirlines);
    lf_section(out, "cargo_operators", cargoOperators);
    lf_section(out, "publishers", publishers);
    lf_section(out, "wingspans", wingspans);
    lf_section(out, "fixes", fixes);
    lf_section(out, "simaddons20", simaddons20);
    lf_section(out, "simaddons24", simaddons24);
    lf_section(out, "thirdparties20", thirdparties20);
    lf_section(out, "thirdparties24", thirdparties24);
    lf_section(out, "dbase", dbase);
    return out + "</root>\n";
}

void DbaseTest::SetUp()
{
    FolderTest::SetUp();
    fs::create_directories(folder() / "input");
    detail::clearDbase();
}

void DbaseTest::TearDown()
{
    detail::clearDbase();
    FolderTest::TearDown();
}

bool DbaseTest::read(std::string_view xml)
{
    std::ofstream(encPath(), std::ios::binary) << datatool::encryptText(xml);
    return readAsIs();
}

bool DbaseTest::readAsIs()
{
    return detail::readDbaseFrom(encPath(), plainPath());
}

bool DbaseTest::readFixture(std::string_view name)
{
    fs::copy_file(fs::path(VORA_LIVERIES_FIXTURES) / name, encPath(), fs::copy_options::overwrite_existing);
    return readAsIs();
}

} // namespace ovr::test
