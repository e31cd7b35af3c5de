#include "main_window_fixture.h"

#include "airports/airport_list.h"
#include "airports/airport_panel_figures.h"
#include "airports/park_airport.h"
#include "core/loop_clock.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/text_convert.h"
#include "core/window_requests.h"
#include "gui/app_window.h"
#include "gui/setting_control_windows.h"
#include "gui/window_procedure.h"
#include "gui/window_state.h"
#include "liveries/livery_data.h"
#include "scanners/airport_file_counts.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "simlink/sim_client.h"
#include "simlink/sim_panel_fields.h"
#include "traffic/park_airports.h"

namespace ovr::test
{

void forgetControls()
{
    for (WindowControl* control : std::initializer_list<WindowControl*>{
             &g_flushStaticButton, &g_tbloButton, &g_unblockButton, &g_csOidButton, &g_blockButton, &g_nowButton,
             &g_rereadButton, &MAX_FIT_FL, &parking_percentage, &AI_PACKAGE_SELECTOR, &SIM_CHOICE,
             &CALLSIGN_2_OBJECTID, &ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION})
    {
        control->hwnd = nullptr;
        control->prevWndProc = nullptr;
    }
    for (BoolParameter* p : g_boolParameters)
    {
        p->hwnd = nullptr;
    }
    for (IntListParameter* p : g_intListParameters)
    {
        p->hwnd = nullptr;
    }
}

void resetWindowState()
{
    gf_resetWindowState();
    gf_resetStatusLine();
    gf_clearWindowRequests();
    g_staticRenewMinutes.store(20);
    g_timeControlsEnabled.store(1);
    g_nowPermitted.store(0);
    g_parkingBusy.store(0);
    g_parkingCandidateCount.store(0);
    g_liveriesCount.store(0);
    g_tbloCount.store(0);
    g_accountText.store("");
    g_notYetConnected.store(1);
    g_parkDataRead.store(0);
    g_staticWanted.store(0);
    g_staticWantedPercent.store(0);
    g_fitUsedSoft.store(0);
    g_fitUsedOtherDays.store(0);
    g_reservedStandFound.store(0);
    g_apfUpdatesShown.store(0);
    g_tick.store(0);
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    MAX_FIT_FL.current.store(MAX_FIT_FL.defaultValue);
    CALLSIGN_2_OBJECTID.setValue("");
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
        g_reservedStand.clear();
        g_parkAirports.clear();
    }
    g_airports.clear();
}

void MainWindowTest::SetUp()
{
    ParametersFileTest::SetUp();
    pt::reset();
    resetWindowState();
    gf_installSettingControlHooks();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &lf_WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VoraMainWindowTest";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, L"VoraMainWindowTest", L"Vora", WS_OVERLAPPEDWINDOW, 0, 0, 880, 516, nullptr,
                              nullptr, wc.hInstance, nullptr);
    g_hMainWnd.store(window_);
    pt::allowDisplay(onDisplay());
    ShowWindow(window_, SW_SHOW);
    pt::pumpUntilIdle();
}

void MainWindowTest::TearDown()
{
    g_hMainWnd.store(nullptr);
    pt::reset();
    forgetControls();
    resetWindowState();
    g_stop.store(0);
    g_userClosed.store(0);
    ParametersFileTest::TearDown();
}

LRESULT MainWindowTest::command(std::uint16_t id, WORD notification)
{
    const LRESULT result = SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, notification),
                                        reinterpret_cast<LPARAM>(GetDlgItem(window_, id)));
    pt::pumpUntilIdle();
    return result;
}

void MainWindowTest::choose(const WindowControl& combo, std::size_t index)
{
    EnableWindow(combo.hwnd, TRUE);
    ASSERT_TRUE(pt::chooseComboEntry(combo.hwnd, static_cast<int>(index))) << combo.controlId;
    pt::pumpUntilIdle();
}

void MainWindowTest::enter(const EditParameter& edit, std::string_view text)
{
    SetWindowTextW(edit.hwnd, gf_utf8ToWide(text).c_str());
    SendMessageW(edit.hwnd, WM_CHAR, 13, 0);
    pt::pumpUntilIdle();
}

std::string MainWindowTest::status() const
{
    return gf_statusTexts().status;
}

std::string MainWindowTest::error() const
{
    return gf_statusTexts().error;
}

bool MainWindowTest::enabled(const WindowControl& control) const
{
    return control.hwnd != nullptr && IsWindowEnabled(control.hwnd) != FALSE;
}

std::string MainWindowTest::editText(const EditParameter& edit) const
{
    std::wstring text(256, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit.hwnd, text.data(), 256)));
    return gf_wideToUtf8(text);
}

std::vector<pt::PaintCall> MainWindowTest::paint()
{
    pt::pumpUntilIdle();
    pt::clearPaintCalls();
    InvalidateRect(window_, nullptr, FALSE);
    pt::pumpUntilIdle();
    return pt::paintCalls();
}

} // namespace ovr::test
