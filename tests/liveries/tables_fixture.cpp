#include "tables_fixture.h"

#include <algorithm>
#include <fstream>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "core/code_pool.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/regcode_tables.h"
#include "liveries/similar_models.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace ovr::test
{

// Every table as sorted text, to compare two builds.
std::vector<std::string> tablesDump()
{
    std::vector<std::string> lines;
    for (const auto& [airline, models] : g_airlineModels)
        for (const auto& [model, titles] : models)
            for (const LiveryTitle& title : titles)
                lines.push_back(fmt::format("am {} {} {} {}", g_airlineCodes.text(airline),
                                            g_modelCodes.text(model), title.title, title.cargo));
    for (std::size_t kind : {kPassenger, kCargo})
    {
        for (const auto& [airline, models] : g_airlineModelTitles[kind])
            for (const auto& [model, titles] : models)
                lines.push_back(fmt::format("amt{} {} {} {}", kind, g_airlineCodes.text(airline),
                                            g_modelCodes.text(model), fmt::join(titles, "|")));
        for (const auto& [model, titles] : g_modelTitles[kind])
            lines.push_back(
                fmt::format("mt{} {} {}", kind, g_modelCodes.text(model), fmt::join(titles, "|")));
    }
    for (const auto* list : {&g_categoryModels0, &g_categoryModels1, &g_categoryModels2})
        lines.push_back(fmt::format("cat {}", fmt::join(*list, ",")));
    for (const auto& [registration, title] : g_regcodeTitles)
        lines.push_back(fmt::format("rt {} {}", registration, title));
    for (const auto& [title, registration] : g_titleRegistrations)
        lines.push_back(fmt::format("tr {} {}", title, registration));
    lines.push_back(fmt::format("special {} unique {} bound {}", fmt::join(g_specialRegcodes, ","),
                                fmt::join(g_uniqueRegcodes, ","), fmt::join(g_boundTitles, "|")));
    for (const auto& [model, similar] : g_similarModels)
        lines.push_back(fmt::format("sim {} {}", g_modelCodes.text(model), fmt::join(similar, ",")));
    for (const auto& [airline, substitutes] : g_airlineSubstitutes)
        for (const auto& [model, similar] : substitutes)
            lines.push_back(fmt::format("sub {} {} {}", g_airlineCodes.text(airline),
                                        g_modelCodes.text(model), fmt::join(similar, ",")));
    std::sort(lines.begin(), lines.end());
    return lines;
}

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
