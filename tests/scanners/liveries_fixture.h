// The fixture of the liveries-scan tests: the scan test folder with a small
// model database (types, a heavy class, airlines, a fix, registrations and a
// title keyword), the scan's settings at their defaults, a packages folder
// with its Community folder, and the enable calls of the setting controls.
#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include "core/code_pool.h"
#include "core/globals.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/user_error.h"
#include "liveries/dont_use_titles.h"
#include "liveries/livery_data.h"
#include "liveries/model_database.h"
#include "scanners/aircraft_cfg.h"
#include "scanners/liveries_scan.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"
#include "scan_test_support.h"

namespace ovr::test
{

inline std::vector<std::pair<std::uint16_t, bool>> g_enables;

// As the model database's reader does, the empty text is id 0 of both pools
// before any test interns a code.
class EmptyCodesFirst : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        gf_airlineId(g_empty);
        gf_modelId(g_empty);
    }
};
[[maybe_unused]] inline const ::testing::Environment* const g_emptyCodesFirst =
    ::testing::AddGlobalTestEnvironment(new EmptyCodesFirst);

inline std::string codeOf(const CodePool& pool, std::uint16_t id)
{
    return pool.text(id);
}

inline std::string describe(const LiveryData& l)
{
    return fmt::format("{}|{}|{}|{}|{}|{}|{}", codeOf(g_airlineCodes, l.key.airline),
                       codeOf(g_airlineCodes, l.key.secondAirline), codeOf(g_modelCodes, l.key.model),
                       int(l.key.cargo), l.title, l.registration, l.folder);
}

inline std::vector<std::string> describe(const std::list<LiveryData>& liveries)
{
    std::vector<std::string> out;
    for (const LiveryData& l : liveries)
        out.push_back(describe(l));
    return out;
}

inline std::vector<std::string> lines(const std::list<std::string>& list)
{
    return {list.begin(), list.end()};
}

class LiveriesScanTest : public ScanTest
{
  protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        g_knownModels = {"A320", "B738", "B744", "B77L"};
        g_heavyModels = {gf_modelId("B744"), gf_modelId("B77L")};
        g_icaoAirlines = {"BAW", "CLH", "DLH", "PVT", "UPS", "ZZZ"};
        g_modelFixes = {{"B38M", "B738"}};
        FlightKey dlh;
        dlh.airline = gf_airlineId("DLH");
        dlh.model = gf_modelId("A320");
        dlh.mark = 1;
        FlightKey clh = dlh;
        clh.airline = gf_airlineId("CLH");
        FlightKey noModel;
        noModel.airline = gf_airlineId("BAW");
        g_dbase = {{"D-AIZZ", dlh}, {"G-NOMO", noModel}, {"N123X", clh}};
        g_dbaseKeywords = {"N123X"};
        lf_clearScanLists();
        g_liveries.clear();
        g_runningScanTasks.store(0);
        g_maxScanTasks.store(4);
        LIG_PRIORITIZE.current.store(true);
        LIG_AUTOMATIC.current.store(true);
        SCAN_LIVERIES.current.store(true);
        AI_PACKAGE_SELECTOR.setValue(AI_PACKAGE_SELECTOR.defaultText());
        for (StringParameter* folder : g_liveryFolders)
            folder->setValue("");
        MSFS_INSTALL_PATH.setValue((folder() / "packages").string());
        fs::create_directories(folder() / "packages" / "Community");
        fs::create_directories(folder() / "output" / "info");
        g_enables.clear();
        ParameterControlHooks hooks;
        hooks.enable = [](const WindowControl& control, bool enable) {
            g_enables.emplace_back(control.controlId, enable);
        };
        gf_setParameterControlHooks(hooks);
    }

    void TearDown() override
    {
        gf_setParameterControlHooks({});
        detail::setLiveryReaders(nullptr, nullptr);
        lf_clearScanLists();
        g_liveries.clear();
        g_knownModels.clear();
        g_heavyModels.clear();
        g_icaoAirlines.clear();
        g_modelFixes.clear();
        g_dbaseKeywords.clear();
        MSFS_INSTALL_PATH.setValue("");
        ScanTest::TearDown();
    }

    fs::path community() const { return folder() / "packages" / "Community"; }

    std::list<LiveryData> section(std::vector<std::string> lines, const std::string& model = "A320")
    {
        return lf_procesFltSimSection(1, lines, model, "pkg/aircraft.cfg", "pkg");
    }

    std::list<LiveryData> readFile(const fs::path& file, std::string_view content)
    {
        writeFile(file, content);
        g_runningScanTasks.fetch_add(1);
        return lf_searchLiveriesinFile(1, file);
    }

    bool comboLastEnabled() const
    {
        for (auto it = g_enables.rbegin(); it != g_enables.rend(); ++it)
            if (it->first == AI_PACKAGE_SELECTOR.controlId)
                return it->second;
        return false;
    }
};

inline std::string cfg(const std::string& model, const std::vector<std::pair<std::string, std::string>>& liveries)
{
    std::string text = "[General]\nicao_type_designator=" + model + "\n";
    int n = 0;
    for (const auto& [title, airline] : liveries)
        text += fmt::format("\n[fltsim.{}]\ntitle={}\nicao_airline={}\n", n++, title, airline);
    return text;
}

} // namespace ovr::test
