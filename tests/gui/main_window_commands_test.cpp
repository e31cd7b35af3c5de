// The commands of the main window through its real procedure: buttons,
// check boxes and combo boxes as WM_COMMAND, Enter in the edits as WM_CHAR.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/stop_request.h"
#include "core/window_requests.h"
#include "gui/main_window.h"
#include "gui/main_window_detail.h"
#include "gui/setting_controls.h"
#include "gui/window_state.h"
#include "main_window_fixture.h"
#include "simlink/sim_client.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;

// ---- the block-callsign edit -------------------------------------------------

TEST_F(MainWindowTest, BlockCallsignEnteredValidatesFoldsAndUnblocks)
{
    EnableWindow(BLOCK_CALLSIGN.hwnd, TRUE);
    enter(BLOCK_CALLSIGN, "KL1");
    EXPECT_EQ(status(), "callsign 'KL1' is not valid");
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "");
    EXPECT_EQ(editText(BLOCK_CALLSIGN), "");

    enter(BLOCK_CALLSIGN, "klm123");
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "KLM123");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "KLM123");
    EXPECT_EQ(editText(BLOCK_CALLSIGN), "KLM123");
    EXPECT_TRUE(enabled(g_unblockButton));
    EXPECT_EQ(g_blockListChanged.exchange(0), 1);

    enter(BLOCK_CALLSIGN, "KLM123");
    EXPECT_EQ(status(), "callsign 'KLM123' was already set ...");
    EXPECT_EQ(g_blockListChanged.load(), 0);

    enter(BLOCK_CALLSIGN, "");
    EXPECT_EQ(status(), "no more blocking of live aircraft 'KLM123'");
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_FALSE(enabled(g_unblockButton));
    EXPECT_EQ(g_blockListChanged.load(), 1);
    EXPECT_TRUE(logHas("no more blocking of live aircraft 'KLM123'"));
}

TEST_F(MainWindowTest, TooLongCallsignIsRefusedAndTheEditShowsTheSettingAgain)
{
    BLOCK_CALLSIGN.setValue("DLH4");
    enter(BLOCK_CALLSIGN, "ABCDEFGHI");
    EXPECT_EQ(status(), "callsign 'ABCDEFGHI' is not valid");
    EXPECT_EQ(editText(BLOCK_CALLSIGN), "DLH4");
}

TEST_F(MainWindowTest, UnblockClickedClearsTheBlockedCallsignInTheFile)
{
    gf_setParameter(BLOCK_CALLSIGN, "BAW12");
    EnableWindow(g_unblockButton.hwnd, TRUE);
    pt::click(g_unblockButton.hwnd);
    pt::pumpUntilIdle();
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_FALSE(enabled(g_unblockButton));
    EXPECT_FALSE(enabled(g_blockButton)); // no followed callsign
}

TEST_F(MainWindowTest, UnblockWithNothingBlockedSaysSo)
{
    command(g_unblockButton.controlId);
    EXPECT_EQ(status(), "Nothing to block or unblock...");
}

TEST_F(MainWindowTest, BlockTakesTheFollowedCallsign)
{
    CALLSIGN_2_OBJECTID.setValue("EZY77");
    EnableWindow(g_blockButton.hwnd, TRUE);
    command(g_blockButton.controlId);
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "EZY77");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "EZY77");
    EXPECT_FALSE(enabled(g_blockButton));
    EXPECT_TRUE(enabled(g_unblockButton));
    EXPECT_EQ(g_blockListChanged.load(), 1);
}

TEST_F(MainWindowTest, BlockWithoutAFollowedCallsignKeepsTheBlockedOne)
{
    gf_setParameter(BLOCK_CALLSIGN, "BAW12");
    command(g_blockButton.controlId);
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "BAW12");
}

// ---- the destination edit --------------------------------------------------------

class DestinationTest : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Airport eddf;
        eddf.icao = IcaoCode{"EDDF"};
        eddf.latitude = 50.03;
        eddf.longitude = 8.57;
        Airport egll;
        egll.icao = IcaoCode{"EGLL"};
        g_airports = {eddf, egll};
        EnableWindow(g_rereadButton.hwnd, TRUE);
    }
};

TEST_F(DestinationTest, AKnownCodeInLowerCaseBecomesTheRequestedDestination)
{
    enter(DESTINATION, "eddf");
    EXPECT_EQ(status(), "New destination: EDDF");
    EXPECT_EQ(DESTINATION.value(), "EDDF");
    EXPECT_EQ(fileValue("DESTINATION"), "EDDF");
    EXPECT_EQ(editText(DESTINATION), "EDDF");
    EXPECT_FALSE(enabled(g_rereadButton));
    const auto request = g_destinationRequest.load();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->icao, IcaoCode{"EDDF"});
    EXPECT_DOUBLE_EQ(request->latitude, 50.03);
}

struct DestinationCase
{
    std::string name;
    std::string typed;
    std::string status;
};

class DestinationCases : public DestinationTest, public ::testing::WithParamInterface<DestinationCase>
{
};

TEST_P(DestinationCases, RefusedTextsLeaveTheDestination)
{
    DESTINATION.setValue("EGLL");
    enter(DESTINATION, GetParam().typed);
    EXPECT_EQ(status(), GetParam().status);
    EXPECT_EQ(DESTINATION.value(), "EGLL");
    EXPECT_EQ(editText(DESTINATION), "EGLL");
    EXPECT_FALSE(g_destinationRequest.load().has_value());
    EXPECT_TRUE(logHas(GetParam().status));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DestinationCases,
    ::testing::Values(DestinationCase{"Unknown", "ZZZZ", "destination 'ZZZZ' is unknown ..."},
                      DestinationCase{"NotAlphanumeric", "ED-F", "destination 'ED-F' is not valid"},
                      DestinationCase{"TooShort", "EDD", "destination 'EDD' is not valid"},
                      DestinationCase{"AlreadySet", "egll", "destination 'EGLL' was already set ..."}),
    caseName);

TEST_F(DestinationTest, AnEmptyDestinationIsKeptInMemoryOnly)
{
    gf_setParameter(DESTINATION, "EGLL");
    EnableWindow(g_rereadButton.hwnd, FALSE);
    enter(DESTINATION, "");
    EXPECT_EQ(status(), "destination set to empty");
    EXPECT_EQ(DESTINATION.value(), "");
    EXPECT_EQ(fileValue("DESTINATION"), "EGLL");
    EXPECT_TRUE(enabled(g_rereadButton));
}

// ---- the packages-path edit ---------------------------------------------------------

class InstallPathTest : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        fs::create_directories(dir() / "sim" / "Community");
        fs::create_directories(dir() / "other");
    }
};

TEST_F(InstallPathTest, ACommunityFolderIsStoredWithoutItsLastComponentAndRestarts)
{
    enter(ALL_INSTALL_PATH, (dir() / "sim" / "Community").string());
    EXPECT_EQ(MSFS_INSTALL_PATH.value(), (dir() / "sim").string());
    EXPECT_EQ(fileValue("MSFS_INSTALL_PATH"), (dir() / "sim").string());
    EXPECT_EQ(status(), "Community path found, Vora will restart ...");
    EXPECT_EQ(g_exitReason.load(), kExitNewSettings);
    EXPECT_EQ(g_restartDelay.load(), 3);
}

TEST_F(InstallPathTest, AFolderHoldingCommunityIsStoredAsTypedForTheChosenSimulator)
{
    SIM_CHOICE.setValue("MSFS 2024");
    enter(ALL_INSTALL_PATH, (dir() / "sim").string());
    EXPECT_EQ(MSFS_2024_INSTALL_PATH.value(), (dir() / "sim").string());
    EXPECT_EQ(MSFS_INSTALL_PATH.value(), "");
    EXPECT_EQ(g_exitReason.load(), kExitNewSettings);
}

TEST_F(InstallPathTest, PathsWithoutCommunityAreRefused)
{
    const struct
    {
        fs::path path;
        std::string status;
    } cases[] = {
        {dir() / "none", "This install path does not exist: " + (dir() / "none").string()},
        {dir() / "other", "This path exists but is not a path to Community ..."},
        {dir() / "other" / "Community", "This install path does not exist: " +
                                            (dir() / "other" / "Community").string()},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        enter(ALL_INSTALL_PATH, c.path.string());
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(MSFS_INSTALL_PATH.value(), "");
        EXPECT_EQ(g_stop.load(), 0);
    }
}

// ---- check boxes -----------------------------------------------------------------------

struct CheckCase
{
    std::string name;
    BoolParameter* box;
    std::string status;
};

class CheckBoxes : public MainWindowTest, public ::testing::WithParamInterface<CheckCase>
{
};

TEST_P(CheckBoxes, ToggleSaveAndTellTheUser)
{
    BoolParameter& box = *GetParam().box;
    const bool before = box.current.load();
    command(box.controlId, BN_CLICKED);
    EXPECT_EQ(box.current.load(), !before);
    EXPECT_EQ(IsDlgButtonChecked(window(), box.controlId) == BST_CHECKED, !before);
    EXPECT_EQ(fileValue(box.name), !before ? "true" : "false");
    EXPECT_EQ(status(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, CheckBoxes,
    ::testing::Values(
        CheckCase{"LigAutomaticOff", &LIG_AUTOMATIC, "The liveries defined by your lfolder parameters will be scanned"},
        CheckCase{"LigPrioritizeOff", &LIG_PRIORITIZE, ""},
        CheckCase{"LiveParkedOn", &COLLISION_LIVE_PARKED_GND, ""},
        CheckCase{"UserGroundOff", &COLLISION_USER_GND,
                  "Be aware, user aircraft may collide with (run through) live aircraft and static parked on the "
                  "ground"},
        CheckCase{"UserAirOff", &COLLISION_USER_AIR,
                  "Be aware, user aircraft may collide with (run through) live aircraft in the air"},
        CheckCase{"InitialLoadOnlyOn", &INITIAL_LOAD_ONLY,
                  "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes"},
        CheckCase{"AlwaysOnTopOn", &ALWAYS_ON_TOP, "Vora's window will remain visible"},
        CheckCase{"GuidChangesOff", &GUID_CHANGES,
                  "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
        CheckCase{"ObjectIdListOn", &OBJECTID_LIST,
                  "Every minute info about all active live aircraft is written to the file "
                  "output/info/ObjectIdList.txt"},
        CheckCase{"AirborneOnlyOn", &AIRBORNE_ONLY,
                  "Be aware, airborne live traffic only!  (greater than 150 ft above ground ...)"},
        CheckCase{"ParkSoftOn", &PARK_SOFT, ""}, CheckCase{"KeepSimTimeOn", &KEEP_SIM_TIME_PAR, ""}),
    caseName);

TEST_F(MainWindowTest, ParkingOptionsAskForAParkingAdjustment)
{
    for (BoolParameter* box : {&PARK_SOFT, &WEEK, &RT_PARKTRAFFIC_ONLY})
    {
        SCOPED_TRACE(box->name);
        g_parkingOptionChanged.store(0);
        command(box->controlId);
        EXPECT_EQ(g_parkingOptionChanged.load(), 1);
    }
    g_parkingOptionChanged.store(0);
    command(STRAIGHT_PBS_ONLY.controlId);
    EXPECT_EQ(g_parkingOptionChanged.load(), 0);
}

TEST_F(MainWindowTest, ScanForLiveriesRestartsOnlyWhileTheSimulatorIsAwaited)
{
    SCAN_LIVERIES.current.store(false);
    CheckDlgButton(window(), SCAN_LIVERIES.controlId, BST_UNCHECKED);
    g_notYetConnected.store(0);
    command(SCAN_LIVERIES.controlId);
    EXPECT_EQ(status(), "Your liveries will be scanned at the next start of Vora");
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_FALSE(enabled(AI_PACKAGE_SELECTOR));

    command(SCAN_LIVERIES.controlId); // off again
    EXPECT_TRUE(enabled(AI_PACKAGE_SELECTOR));
    g_notYetConnected.store(1);
    command(SCAN_LIVERIES.controlId);
    EXPECT_EQ(status(), "Your liveries will be scanned");
    EXPECT_EQ(g_exitReason.load(), kExitNewSettings);
    EXPECT_EQ(g_restartDelay.load(), 2);
    EXPECT_TRUE(logHas("Your liveries will be scanned"));
}

TEST_F(MainWindowTest, ScanForAirportsDuringAStopKeepsTheFirstReason)
{
    SCAN_AIRPORTS.current.store(false);
    CheckDlgButton(window(), SCAN_AIRPORTS.controlId, BST_UNCHECKED);
    gf_requestStop(kExitSimWasClosed, 0);
    command(SCAN_AIRPORTS.controlId);
    EXPECT_EQ(status(), "Your airports will be scanned");
    EXPECT_EQ(g_exitReason.load(), kExitSimWasClosed);
}

TEST_F(MainWindowTest, AutoRangeEnablesItsHeightAndHandsTheRangeBack)
{
    RANGE.current.store(25);
    AUTO_RANGE.current.store(false);
    CheckDlgButton(window(), AUTO_RANGE.controlId, BST_UNCHECKED);
    command(AUTO_RANGE.controlId); // on: remembers 25
    EXPECT_TRUE(enabled(AR_ABOVE_HEIGHT));
    EXPECT_FALSE(enabled(RANGE));
    RANGE.current.store(100);
    command(AUTO_RANGE.controlId); // off: 25 again
    EXPECT_FALSE(enabled(AR_ABOVE_HEIGHT));
    EXPECT_TRUE(enabled(RANGE));
    EXPECT_EQ(RANGE.current.load(), 25);
}

TEST_F(MainWindowTest, InitialLoadOnlyDecidesTheNowButton)
{
    g_nowPermitted.store(1);
    command(INITIAL_LOAD_ONLY.controlId); // on
    EXPECT_FALSE(enabled(g_nowButton));
    command(INITIAL_LOAD_ONLY.controlId); // off
    EXPECT_TRUE(enabled(g_nowButton));
    g_nowPermitted.store(0);
    command(INITIAL_LOAD_ONLY.controlId);
    command(INITIAL_LOAD_ONLY.controlId);
    EXPECT_FALSE(enabled(g_nowButton));
}

TEST_F(MainWindowTest, NavLightsAreHandedToTheMainLoop)
{
    command(NAV_LIGHTS_WHILE_PARKED.controlId);
    EXPECT_EQ(g_navLightsChanged.load(), 1);
}

// ---- buttons ------------------------------------------------------------------------------

TEST_F(MainWindowTest, RequestButtonsRaiseTheirFlagAndDisableThemselves)
{
    for (Button* button : {&g_rereadButton, &g_flushStaticButton, &g_csOidButton, &g_blockButton})
    {
        EnableWindow(button->hwnd, TRUE);
    }
    EnableWindow(DESTINATION.hwnd, TRUE);
    command(g_rereadButton.controlId);
    EXPECT_EQ(g_rereadRequested.load(), 1);
    EXPECT_FALSE(enabled(g_rereadButton));
    EXPECT_FALSE(enabled(DESTINATION));

    command(g_flushStaticButton.controlId);
    EXPECT_EQ(g_flushStaticRequested.load(), 1);
    EXPECT_FALSE(enabled(g_flushStaticButton));
    EXPECT_EQ(status(), "All static parked aircraft will be removed ...");

    command(g_csOidButton.controlId);
    EXPECT_EQ(g_csOidRequested.load(), 1);
    EXPECT_FALSE(enabled(g_blockButton));
}

TEST_F(MainWindowTest, NowWithoutAParkAirportDoesNothing)
{
    command(g_nowButton.controlId);
    EXPECT_EQ(g_staticParkingArmed.load(), 0);
    EXPECT_TRUE(status().empty());
}

TEST_F(MainWindowTest, NowArmsTheParkingUpdate)
{
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode{"EDDF"};
    }
    g_staticRenewMinutes.store(7);
    g_tick.store(31);
    command(g_nowButton.controlId);
    EXPECT_EQ(g_staticParkingArmed.load(), 1);
    EXPECT_EQ(g_staticRenewMinutes.load(), 20);
    EXPECT_EQ(status(), "Vora will update static parking in 14 seconds ...");
}

TEST_F(MainWindowTest, TbloButtonThatCannotOpenShowsAMessageBox)
{
    pt::clearMessageBoxes();
    // Passed on as not handled.
    EXPECT_FALSE(lf_HandleWMCOMMAND(window(), MAKEWPARAM(g_tbloButton.controlId, 0)));
    const auto boxes = pt::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open File Explorer at tblo.zip.");
    EXPECT_EQ(boxes[0].caption, "Vora");
    EXPECT_EQ(boxes[0].owner, nullptr);
}

// ---- combo boxes ------------------------------------------------------------------------------

TEST_F(MainWindowTest, FitHoursBecomeHalfHoursMinusOne)
{
    lf_fillFloatCombo(MAX_FIT_FL);
    const struct
    {
        std::size_t index;
        float hours;
        std::int32_t maxFit;
    } cases[] = {{19, 24.0f, 47}, {0, 0.5f, 0}, {3, 2.0f, 3}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.hours);
        choose(MAX_FIT_FL, c.index);
        EXPECT_EQ(MAX_FIT_FL.current.load(), c.hours);
        EXPECT_EQ(MAX_FIT.current.load(), c.maxFit);
        EXPECT_EQ(fileValue("MAX_FIT"), std::to_string(c.maxFit));
    }
}

TEST_F(MainWindowTest, ListChoicesStoreTheValueAndRaiseTheirRequests)
{
    for (IntListParameter* p : g_intListParameters)
    {
        lf_fillListCombo(*p);
    }
    MATCHING_DEPTH.current.store(2);
    choose(MATCHING_DEPTH, 0); // 1: lower
    EXPECT_EQ(MATCHING_DEPTH.current.load(), 1);
    EXPECT_EQ(g_noMatchListRequested.load(), 0);
    choose(MATCHING_DEPTH, 3); // 4: higher
    EXPECT_EQ(fileValue("MATCHING_DEPTH"), "4");
    EXPECT_EQ(g_noMatchListRequested.load(), 1);

    choose(RANGE, 7); // 12 nm
    EXPECT_EQ(RANGE.current.load(), 12);
    EXPECT_DOUBLE_EQ(g_rangeNm.load(), 12.0);

    choose(MAX_LIVE_SEL, 0);
    EXPECT_EQ(MAX_LIVE_SEL.current.load(), MAX_LIVE_SEL.values.front());
    EXPECT_EQ(g_maxLiveChanged.load(), 1);
}

TEST_F(MainWindowTest, TimeShiftBoxesShiftBothReaders)
{
    for (IntListParameter* p : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_fillListCombo(*p);
    }
    choose(TIME_SHIFT_HOURS, 2);
    choose(TIME_SHIFT_MINS, 5);
    EXPECT_EQ(status(), "Time shifted 125 minutes");
    EXPECT_EQ(fileValue("TIME_SHIFT_HOURS"), "2");
    EXPECT_EQ(fileValue("TIME_SHIFT_MINS"), "5");
}

TEST_F(MainWindowTest, AFollowedCallsignOfAnyLengthIsTakenWhole)
{
    const std::string longCallsign(300, 'Q');
    *CALLSIGN_2_OBJECTID.choices = {"", "DLH1", longCallsign};
    lf_fillGlobalChoiceCombo();
    EnableWindow(g_unblockButton.hwnd, FALSE);
    choose(CALLSIGN_2_OBJECTID, 2);
    EXPECT_EQ(CALLSIGN_2_OBJECTID.value(), longCallsign);
    EXPECT_EQ(g_followChanged.load(), 1);
    EXPECT_TRUE(enabled(g_blockButton));
    *CALLSIGN_2_OBJECTID.choices = {""};
}

TEST_F(MainWindowTest, ComboSelectionNeedsItsOwnSelectionChange)
{
    EXPECT_FALSE(lf_comboSelection(window(), RANGE.controlId, MAKEWPARAM(RANGE.controlId, CBN_DROPDOWN)));
    EXPECT_FALSE(lf_comboSelection(window(), RANGE.controlId, MAKEWPARAM(AIRP_RANGE.controlId, CBN_SELCHANGE)));
    EXPECT_FALSE(lf_comboSelection(window(), 40000, MAKEWPARAM(40000, CBN_SELCHANGE)));
    SendMessageW(RANGE.hwnd, CB_RESETCONTENT, 0, 0);
    EXPECT_FALSE(lf_comboSelection(window(), RANGE.controlId, MAKEWPARAM(RANGE.controlId, CBN_SELCHANGE)));
}

} // namespace
} // namespace ovr::test
