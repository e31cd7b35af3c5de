#include "gui/main_window.h"

#include <cstdint>

#include "core/parameters.h"
#include "gui/app_window.h"
#include "gui/main_window_detail.h"
#include "gui/main_window_state.h"
#include "gui/setting_control_windows.h"
#include "gui/setting_controls.h"

namespace ovr
{

namespace
{

constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;

// A drop-down list 5 pixels above its row, so that its text lines up with
// the labels painted on the row.
void lf_createCombo(WindowControl& control, HWND parent, const CREATESTRUCTW& creation, int x, int width,
                    int dropHeight)
{
    control.hwnd = CreateWindowExW(0, L"ComboBox", L"", kComboStyle, x, control.row - 5, width, dropHeight,
                                   parent, reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(control.controlId)),
                                   creation.hInstance, nullptr);
}

void lf_createButton(Button& button, HWND parent, const CREATESTRUCTW& creation)
{
    lf_createDisabledButton(button, parent, creation, button.x, button.width);
}

LRESULT CALLBACK lf_blockCallsignEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(BLOCK_CALLSIGN, window, message, wParam, lParam);
}

LRESULT CALLBACK lf_installPathEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(ALL_INSTALL_PATH, window, message, wParam, lParam);
}

LRESULT CALLBACK lf_destinationEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(DESTINATION, window, message, wParam, lParam);
}

} // namespace

// The controls in their order of creation, which is also the tab order.
void lf_createControls(HWND parent, const CREATESTRUCTW& creation)
{
    const HWND p = parent;
    const CREATESTRUCTW& c = creation;
    lf_createCombo(SIM_CHOICE, p, c, 5, 105, 80);
    lf_createSettingEdit(ALL_INSTALL_PATH, p, c, 111, 1200, lf_installPathEditProc);
    lf_createSettingCheckbox(SCAN_LIVERIES, p, c, 5);
    lf_createSettingCheckbox(LIG_AUTOMATIC, p, c, 217);
    lf_createCombo(AI_PACKAGE_SELECTOR, p, c, 323, 175, 300);
    lf_createSettingCheckbox(LIG_PRIORITIZE, p, c, 536);
    lf_createSettingCheckbox(ALWAYS_ON_TOP, p, c, 748);
    lf_createSettingCheckbox(SCAN_AIRPORTS, p, c, 5);
    lf_createButton(g_tbloButton, p, c);
    lf_createSettingCheckbox(OBJECTID_LIST, p, c, 652);
    lf_createSettingCheckbox(NAV_LIGHTS_WHILE_PARKED, p, c, 748);
    lf_createCombo(MATCHING_DEPTH, p, c, 217, 40, 120);
    lf_createSettingCheckbox(LIGHT_AIRCRAFT, p, c, 323);
    lf_createSettingCheckbox(HELICOPTERS, p, c, 430);
    lf_createSettingCheckbox(HIGH_PERF_AIRCRAFT, p, c, 536);
    lf_createSettingCheckbox(GUID_CHANGES, p, c, 748);
    lf_createCombo(RANGE, p, c, 217, 50, 200);
    lf_createSettingCheckbox(AUTO_RANGE, p, c, 323);
    lf_createCombo(AR_ABOVE_HEIGHT, p, c, 455, 70, 230);
    lf_createSettingCheckbox(AIRBORNE_ONLY, p, c, 572);
    lf_createCombo(TIME_SHIFT_DAYS, p, c, 748, 45, 200);
    lf_createSettingCheckbox(COLLISION_USER_GND, p, c, 217);
    lf_createSettingCheckbox(COLLISION_USER_AIR, p, c, 323);
    lf_createSettingCheckbox(COLLISION_LIVE_PARKED_GND, p, c, 430);
    lf_createSettingCheckbox(SIM_TIME, p, c, 652);
    lf_createCombo(TIME_SHIFT_HOURS, p, c, 748, 45, 200);
    lf_createSettingEdit(BLOCK_CALLSIGN, p, c, 107, 100, lf_blockCallsignEditProc);
    lf_createButton(g_unblockButton, p, c);
    lf_createButton(g_csOidButton, p, c);
    lf_createCombo(CALLSIGN_2_OBJECTID, p, c, 375, 100, 300);
    lf_createButton(g_blockButton, p, c);
    lf_createSettingCheckbox(KEEP_SIM_TIME_PAR, p, c, 652);
    lf_createCombo(TIME_SHIFT_MINS, p, c, 748, 45, 300);
    lf_createButton(g_nowButton, p, c);
    lf_createCombo(MAX_PARK_SEL, p, c, 323, 55, 144);
    lf_createCombo(MAX_LIVE_SEL, p, c, 536, 55, 144);
    lf_createSettingEdit(DESTINATION, p, c, 217, 50, lf_destinationEditProc);
    lf_createCombo(AIRP_RANGE, p, c, 353, 45, 144);
    lf_createCombo(AIRP_HEIGHT, p, c, 566, 70, 230);
    lf_createSettingCheckbox(STRAIGHT_PBS_ONLY, p, c, 652);
    lf_createSettingCheckbox(INITIAL_LOAD_ONLY, p, c, 5);
    lf_createSettingCheckbox(WEEK, p, c, 71);
    lf_createSettingCheckbox(PARK_SOFT, p, c, 151);
    lf_createCombo(parking_percentage, p, c, 323, 50, 200);
    lf_createCombo(MAX_FIT_FL, p, c, 566, 60, 300);
    lf_createSettingCheckbox(RT_PARKTRAFFIC_ONLY, p, c, 667);
    lf_createButton(g_rereadButton, p, c);
    lf_createButton(g_flushStaticButton, p, c);
    InvalidateRect(parent, &kOptionsAreaRect, TRUE);
}

} // namespace ovr
