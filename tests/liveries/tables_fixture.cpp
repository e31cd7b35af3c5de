#include "tables_fixture.h"

#include <fstream>

#include <fmt/format.h>

#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "liveries/livery_tables.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace ovr::test
{

std::string livery(std::string_view airline, std::string_view model, std::string_view title,
                   std::string_view registration, bool cargo, std::string_view operatorCode)
{
    std::string element = fmt::format(R"(<l a="{}")", airline);
    if (!operatorCode.empty())
        element += fmt::format(R"( o="{}")", operatorCode);
    element += fmt::format(R"( m="{}")", model);
    if (cargo)
        element += R"( c="true")";
    element += fmt::format(R"( t="{}")", title);
    if (!registration.empty())
        element += fmt::format(R"( r="{}")", registration);
    return element + "/>";
}

DbaseText TablesTest::database()
{
    DbaseText text;
    text.aircrafts =
        R"(<aircraft types="A319, A320, A321, A20N, B744, B748, B77L, C152, C172, C25C, C56X, CRJ9, E190, E195, EC35, F16"/>)";
    text.cargoTypes = R"(<cargo_type types="B77L"/>)";
    text.heavy = R"(<hvy types="B744, B748, B77L"/>)";
    text.large = R"(<lar types="A319, A320, A321, A20N, CRJ9, E190, E195"/>)";
    text.buzjet = R"(<bzj types="C25C, C56X"/>)";
    text.highPerformance = R"(<hpf types="F16"/>)";
    text.rotorcraft = R"(<rot types="EC35"/>)";
    text.similarTypes = R"(<similar types="A319, A320, A321"/><similar types="E190, E195"/>)";
    text.prefixes = R"(<similar types="D-, HB-, OE-"/>)";
    text.icaoAirlines = R"(<ICAO codes="DLH, KLM, DAL, SKW, ZZZ, BOX"/>)";
    return text;
}

void TablesTest::SetUp()
{
    DbaseTest::SetUp();
    ASSERT_TRUE(read(database()));
    m_previousFolder = fs::current_path();
    fs::current_path(folder());
    // A category without liveries switches its option off and saves it.
    detail::setParametersFile(folder() / "parameters.xml");
}

void TablesTest::TearDown()
{
    gf_clearLiveryMatching();
    g_scannedLiveriesProcessed.store(0);
    for (BoolParameter* option : {&LIGHT_AIRCRAFT, &HIGH_PERF_AIRCRAFT, &HELICOPTERS})
        option->current.store(option->defaultValue);
    detail::setParametersFile({});
    fs::current_path(m_previousFolder);
    DbaseTest::TearDown();
}

void TablesTest::writeScanned(const std::vector<std::string>& liveries)
{
    std::string xml = fmt::format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>{}<liveries>\n", kMeta);
    for (const std::string& element : liveries)
        xml += element + "\n";
    xml += "</liveries></root>\n";
    writeFile(folder() / "output" / "LiveriesScanned.xml", xml);
}

void TablesTest::writeAig(std::string_view elements)
{
    writeAigDocument(fmt::format("<root>{}<aig>{}</aig></root>", kMeta, elements));
}

void TablesTest::writeAigDocument(std::string_view xml)
{
    std::ofstream(folder() / "input" / "AIG-regcodes.enc", std::ios::binary) << datatool::encryptText(xml);
}

void TablesTest::writeMyRegcodes(std::string_view name, std::string_view bytes)
{
    writeFile(folder() / "input" / "my_regcodes" / name, bytes);
}

std::vector<std::string> TablesTest::logLinesWith(std::string_view text) const
{
    std::vector<std::string> found;
    for (const std::string& line : logLines())
    {
        if (line.find(text) != std::string::npos)
            found.push_back(line);
    }
    return found;
}

} // namespace ovr::test
