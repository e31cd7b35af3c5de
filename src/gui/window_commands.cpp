// The commands of the main window's controls: push buttons, check boxes,
// combo boxes and Enter in the three edits. They run on the UI thread,
// change a setting at once and save it, and hand any work on the traffic to
// the main loop through the request flags of core/window_requests.h.
#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/path_exists.h"
#include "core/paths.h"
#include "core/range.h"
#include "core/shell_open.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/text_convert.h"
#include "core/window_requests.h"
#include "gui/app_window.h"
#include "gui/main_window.h"
#include "gui/main_window_detail.h"
#include "gui/main_window_state.h"
#include "gui/option_helpers.h"
#include "gui/window_state.h"
#include "liveries/livery_tables.h"
#include "platform/shell/message_box.h"
#include "simlink/sim_client.h"
#include "simlink/sim_switch.h"

namespace ovr
{

namespace
{

constexpr std::int32_t kStaticRenewPeriodMinutes = 20;
constexpr double kAirborneOnlyHeightFt = 150.0;
constexpr std::int32_t kScanRestartDelay = 2;
constexpr std::int32_t kNewPathRestartDelay = 3;

std::string lf_upper(std::string text)
{
    std::ranges::transform(text, text.begin(), [](char c)
                           { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

// Characters of a UTF-8 text (its code points).
std::size_t lf_characters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::ranges::count_if(text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool lf_parkAirportInForce()
{
    const std::scoped_lock lock(g_parkAirportsMutex);
    return !g_parkAirport.icao.empty();
}

void lf_enableNowButton()
{
    gf_enableButton(g_nowButton, !INITIAL_LOAD_ONLY.current.load() && g_nowPermitted.load() != 0);
}

// ---- the blocked callsign ----------------------------------------------------

void lf_blockCallsign(const std::string& callsign)
{
    gf_setParameter(BLOCK_CALLSIGN, callsign);
    gf_showParameterText(BLOCK_CALLSIGN);
    gf_enableButton(g_unblockButton, true);
    g_blockListChanged.store(1);
}

void lf_unblockCallsign()
{
    const std::string former = BLOCK_CALLSIGN.value();
    if (former.empty())
    {
        return;
    }
    gf_setParameter(BLOCK_CALLSIGN, "");
    gf_showParameterText(BLOCK_CALLSIGN);
    gf_enableButton(g_unblockButton, false);
    gf_setStatus(fmt::format("no more blocking of live aircraft '{}'", former), true);
    g_blockListChanged.store(1);
}

void lf_blockCallsignEntered()
{
    gf_clearStatus();
    const std::string typed = lf_getTextFromId(BLOCK_CALLSIGN.controlId);
    if (typed.empty())
    {
        lf_unblockCallsign();
        return;
    }
    const std::size_t length = lf_characters(typed);
    if (length < 4 || length > 8)
    {
        gf_setStatus(fmt::format("callsign '{}' is not valid", typed), true);
        gf_showParameterText(BLOCK_CALLSIGN);
        return;
    }
    const std::string callsign = lf_upper(typed);
    if (callsign == BLOCK_CALLSIGN.value())
    {
        gf_setStatus(fmt::format("callsign '{}' was already set ...", callsign), true);
        gf_showParameterText(BLOCK_CALLSIGN);
        return;
    }
    // The main loop refreshes the blocked list (also for the followed
    // callsign) when it takes the flag that lf_blockCallsign raises.
    lf_blockCallsign(callsign);
}

// ---- the destination -----------------------------------------------------------

bool lf_isCodeText(std::string_view text)
{
    return text.size() == 4 && std::ranges::all_of(text,
                                                    [](char c)
                                                    {
                                                        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                                               (c >= '0' && c <= '9');
                                                    });
}

void lf_destinationEntered()
{
    gf_clearStatus();
    const std::string typed = lf_getTextFromId(DESTINATION.controlId);
    if (typed.empty())
    {
        DESTINATION.setValue("");
        gf_enableButton(g_rereadButton, true);
        gf_setStatus("destination set to empty", true);
        return;
    }
    if (!lf_isCodeText(typed))
    {
        gf_setStatus(fmt::format("destination '{}' is not valid", typed), true);
        gf_showParameterText(DESTINATION);
        return;
    }
    const std::string code = lf_upper(typed);
    if (code == DESTINATION.value())
    {
        gf_setStatus(fmt::format("destination '{}' was already set ...", code), true);
        gf_showParameterText(DESTINATION);
        return;
    }
    const Airport* airport = gf_findAirport(IcaoCode{code});
    if (airport == nullptr)
    {
        gf_setStatus(fmt::format("destination '{}' is unknown ...", code), true);
        gf_showParameterText(DESTINATION);
        return;
    }
    gf_requestDestination(code, *airport);
}

// ---- the packages path -----------------------------------------------------------

// Windows writes these paths with backslashes; either separator ends a
// component.
bool lf_isSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string lf_withoutTrailingSeparators(std::string text)
{
    while (text.size() > 1 && lf_isSeparator(text.back()))
    {
        text.pop_back();
    }
    return text;
}

void lf_restartForNewPath()
{
    gf_setStatus(fmt::format("Community path found, {} will restart ...", g_programShortName), true);
    if (!gf_stopRequested())
    {
        gf_requestStop(kExitNewSettings, kNewPathRestartDelay);
    }
}

void lf_installPathEntered(StringParameter& target, const std::string& text)
{
    gf_clearErrorStatus();
    if (text.empty())
    {
        if (!target.value().empty())
        {
            gf_setParameter(target, "");
        }
        return;
    }
    const std::string path = lf_withoutTrailingSeparators(text);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(gf_utf8ToPath(path), error);
    if (error && error != std::errc::no_such_file_or_directory)
    {
        gf_setStatus(fmt::format("Cannot access install path '{}': {}", text, error.message()), true);
        return;
    }
    if (!std::filesystem::exists(status))
    {
        gf_setStatus(fmt::format("This install path does not exist: {}", text), true);
        return;
    }
    const auto cut = std::find_if(path.rbegin(), path.rend(), lf_isSeparator);
    const std::string last(cut.base(), path.end());
    const std::string parent(path.begin(), cut == path.rend() ? path.begin() : std::prev(cut.base()));
    const std::string community = g_communityPath.string();
    if (last == community)
    {
        if (parent.empty() || !gf_pathExists(gf_utf8ToPath(parent) / community))
        {
            gf_setStatus("This path does not contain a valid Community folder (unexpected).", true);
            return;
        }
        gf_setParameter(target, parent);
    }
    else
    {
        if (!gf_pathExists(gf_utf8ToPath(path) / community))
        {
            gf_setStatus("This path exists but is not a path to Community ...", true);
            return;
        }
        gf_setParameter(target, text);
    }
    lf_restartForNewPath();
}

// ---- push buttons ----------------------------------------------------------------

bool lf_handleButtons(HWND /*window*/, WORD id)
{
    if (id == g_unblockButton.controlId)
    {
        if (BLOCK_CALLSIGN.value().empty())
        {
            gf_setStatus("Nothing to block or unblock...", false);
        }
        else
        {
            lf_unblockCallsign();
        }
        gf_enableButton(g_blockButton, !CALLSIGN_2_OBJECTID.value().empty());
        return true;
    }
    if (id == g_csOidButton.controlId)
    {
        g_csOidRequested.store(1);
        gf_enableButton(g_blockButton, false);
        return true;
    }
    if (id == g_blockButton.controlId)
    {
        const std::string followed = CALLSIGN_2_OBJECTID.value();
        // The button is enabled only with a followed callsign; a command that
        // comes without one must not clear the blocked callsign.
        if (followed.empty())
        {
            gf_setStatus("Nothing to block or unblock...", false);
        }
        else
        {
            lf_blockCallsign(followed);
        }
        gf_enableButton(g_blockButton, false);
        return true;
    }
    if (id == g_rereadButton.controlId)
    {
        g_rereadRequested.store(1);
        gf_enableButton(g_rereadButton, false);
        gf_enableParameterControl(DESTINATION, false);
        return true;
    }
    if (id == g_flushStaticButton.controlId)
    {
        gf_setStatus("All static parked aircraft will be removed ...", false);
        g_flushStaticRequested.store(1);
        gf_enableButton(g_flushStaticButton, false);
        return true;
    }
    if (id == g_tbloButton.controlId)
    {
        if (gf_openWithShell(g_tbloPath / g_tbloZipPath))
        {
            return true;
        }
        const std::wstring caption = gf_utf8ToWide(g_programShortName);
        MessageBoxW(nullptr, L"Could not open File Explorer at tblo.zip.", caption.c_str(), MB_ICONEXCLAMATION);
        return false;
    }
    if (id == g_nowButton.controlId)
    {
        if (!lf_parkAirportInForce())
        {
            return true;
        }
        if (!INITIAL_LOAD_ONLY.current.load())
        {
            gf_scheduleParkingUpdate();
            g_staticRenewMinutes.store(kStaticRenewPeriodMinutes);
            gf_repaintRect(kOptionsAreaRect);
        }
        else
        {
            gf_clearStatus();
        }
        return true;
    }
    return false;
}

// ---- check boxes -------------------------------------------------------------------

// A status for one state of a box and a cleared status for the other.
void lf_statusWhen(bool show, std::string_view text, bool log = false)
{
    if (show)
    {
        gf_setStatus(text, log);
    }
    else
    {
        gf_clearStatus();
    }
}

void lf_scanRequested(BoolParameter& box, std::string_view later, std::string_view now)
{
    if (g_notYetConnected.load() == 0)
    {
        gf_setStatus(fmt::format("{} at the next start of {}", later, g_programShortName), false);
        return;
    }
    gf_setStatus(now, true);
    if (&box == &SCAN_LIVERIES)
    {
        // The tables are built again after the scan; clearing them here
        // would pull them from under the main loop.
        g_scannedLiveriesProcessed.store(0);
    }
    if (!gf_stopRequested())
    {
        gf_requestStop(kExitNewSettings, kScanRestartDelay);
    }
}

void lf_checkboxEffect(BoolParameter& box, bool on)
{
    if (&box == &LIG_AUTOMATIC)
    {
        lf_statusWhen(!on, "The liveries defined by your lfolder parameters will be scanned");
        gf_enableParameterControl(AI_PACKAGE_SELECTOR, on);
    }
    else if (&box == &LIG_PRIORITIZE)
    {
        lf_statusWhen(on, "Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    }
    else if (&box == &COLLISION_LIVE_PARKED_GND)
    {
        lf_statusWhen(!on, "Be aware, live aircraft may collide with (run through) static parked on the ground");
    }
    else if (&box == &COLLISION_USER_GND)
    {
        lf_statusWhen(!on, "Be aware, user aircraft may collide with (run through) live aircraft and static "
                           "parked on the ground");
    }
    else if (&box == &COLLISION_USER_AIR)
    {
        lf_statusWhen(!on, "Be aware, user aircraft may collide with (run through) live aircraft in the air");
    }
    else if (&box == &INITIAL_LOAD_ONLY)
    {
        lf_statusWhen(on, fmt::format("Initial Load Only: static parked aircraft are generated once, no renewal "
                                      "every {} minutes",
                                      kStaticRenewPeriodMinutes));
        lf_enableNowButton();
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &RT_PARKTRAFFIC_ONLY)
    {
        gf_enableParkPctControls();
        g_parkingOptionChanged.store(1);
        gf_repaintRect(kCandidatesStripRect);
    }
    else if (&box == &ALWAYS_ON_TOP)
    {
        lf_statusWhen(on, fmt::format("{}'s window will remain visible", g_programShortName));
        SetWindowPos(g_hMainWnd.load(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &GUID_CHANGES)
    {
        lf_statusWhen(!on, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!");
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &SIM_TIME)
    {
        gf_applySimTimeSetting();
    }
    else if (&box == &AUTO_RANGE)
    {
        gf_enableParameterControl(AR_ABOVE_HEIGHT, on);
        gf_applyAutoRange();
    }
    else if (&box == &SCAN_LIVERIES)
    {
        gf_enableParameterControl(AI_PACKAGE_SELECTOR, !on);
        if (on)
        {
            lf_scanRequested(box, "Your liveries will be scanned", "Your liveries will be scanned");
        }
        else
        {
            gf_clearStatus();
        }
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &SCAN_AIRPORTS)
    {
        if (on)
        {
            lf_scanRequested(box, "Your airports will be scanned", "Your airports will be scanned");
        }
        else
        {
            gf_clearStatus();
        }
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &NAV_LIGHTS_WHILE_PARKED)
    {
        g_navLightsChanged.store(1);
    }
    else if (&box == &OBJECTID_LIST)
    {
        lf_statusWhen(on, fmt::format("Every minute info about all active live aircraft is written to the file {}",
                                      g_objectIdListTxtPath.string()));
    }
    else if (&box == &AIRBORNE_ONLY)
    {
        lf_statusWhen(on, fmt::format("Be aware, airborne live traffic only!  (greater than {:.0f} ft above "
                                      "ground ...)",
                                      kAirborneOnlyHeightFt));
        gf_repaintRect(kOptionsAreaRect);
    }
    else if (&box == &PARK_SOFT || &box == &WEEK)
    {
        g_parkingOptionChanged.store(1);
    }
}

bool lf_handleCheckboxes(HWND window, WORD id)
{
    const auto it =
        std::ranges::find_if(g_boolParameters, [id](const BoolParameter* p) { return p->controlId == id; });
    if (it == g_boolParameters.end())
    {
        return false;
    }
    BoolParameter& box = **it;
    const bool on = IsDlgButtonChecked(window, id) != BST_CHECKED;
    CheckDlgButton(window, id, static_cast<UINT>(on ? BST_CHECKED : BST_UNCHECKED));
    box.current.store(on);
    gf_saveBoolSetting(box);
    lf_checkboxEffect(box, on);
    return true;
}

// ---- combo boxes ---------------------------------------------------------------------

// The allowed value at the chosen index, within the setting's range.
std::int32_t lf_listValue(const IntListParameter& parameter, std::size_t index)
{
    const std::size_t at = std::min(index, parameter.values.size() - 1);
    return parameter.clamp(parameter.values.at(at));
}

void lf_storeListValue(IntListParameter& parameter, std::size_t index)
{
    parameter.current.store(lf_listValue(parameter, index));
    gf_saveParameter(parameter);
}

void lf_textChoice(EditParameter& parameter, const std::string& text, std::size_t index)
{
    if (text == parameter.value())
    {
        return;
    }
    gf_setParameter(parameter, text);
    if (&parameter == &SIM_CHOICE)
    {
        SendMessageW(SIM_CHOICE.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        gf_switchSimVersion();
    }
    else
    {
        gf_setStatus("If you want to make this choice effective, you must start a Scan for liveries", true);
    }
}

void lf_fitHoursChosen(std::size_t index)
{
    const float hours = MAX_FIT_FL.values.at(std::min(index, MAX_FIT_FL.values.size() - 1));
    MAX_FIT_FL.current.store(hours);
    const double twice = std::round(2.0 * static_cast<double>(hours));
    if (twice != 2.0 * static_cast<double>(hours))
    {
        throw std::runtime_error(fmt::format("MAX_FIT_FL: {} hours are no whole number of half hours", hours));
    }
    MAX_FIT.current.store(MAX_FIT.clamp(static_cast<std::int32_t>(twice) - 1));
    gf_saveParameter(MAX_FIT);
    g_parkingOptionChanged.store(1);
}

bool lf_handleCombos(HWND window, WPARAM wParam)
{
    for (EditParameter* parameter : {static_cast<EditParameter*>(&SIM_CHOICE),
                                     static_cast<EditParameter*>(&AI_PACKAGE_SELECTOR)})
    {
        if (const auto chosen = lf_comboSelection(window, parameter->controlId, wParam))
        {
            lf_textChoice(*parameter, chosen->second, chosen->first);
            return true;
        }
    }
    if (const auto chosen = lf_comboSelection(window, CALLSIGN_2_OBJECTID.controlId, wParam))
    {
        if (chosen->second != CALLSIGN_2_OBJECTID.value())
        {
            CALLSIGN_2_OBJECTID.setValue(chosen->second);
            g_followText.store("");
            gf_repaintRect(kOptionsAreaRect);
            g_followChanged.store(1);
            gf_enableButton(g_blockButton, !gf_buttonEnabled(g_unblockButton));
        }
        return true;
    }
    if (const auto chosen = lf_comboSelection(window, MAX_FIT_FL.controlId, wParam))
    {
        lf_fitHoursChosen(chosen->first);
        return true;
    }
    for (IntListParameter* parameter : {&MATCHING_DEPTH, &MAX_PARK_SEL, &parking_percentage, &AIRP_RANGE,
                                        &AR_ABOVE_HEIGHT, &AIRP_HEIGHT, &RANGE, &MAX_LIVE_SEL, &TIME_SHIFT_DAYS,
                                        &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        const auto chosen = lf_comboSelection(window, parameter->controlId, wParam);
        if (!chosen)
        {
            continue;
        }
        if (parameter == &TIME_SHIFT_DAYS || parameter == &TIME_SHIFT_HOURS || parameter == &TIME_SHIFT_MINS)
        {
            parameter->current.store(lf_listValue(*parameter, chosen->first));
            gf_timeShift((TIME_SHIFT_DAYS.current.load() * 24 + TIME_SHIFT_HOURS.current.load()) * 60 +
                             TIME_SHIFT_MINS.current.load(),
                         false);
            return true;
        }
        const std::int32_t before = parameter->current.load();
        lf_storeListValue(*parameter, chosen->first);
        if (parameter == &MATCHING_DEPTH && parameter->current.load() > before)
        {
            g_noMatchListRequested.store(1);
        }
        else if (parameter == &RANGE)
        {
            gf_setRange(RANGE.current.load());
        }
        else if (parameter == &MAX_LIVE_SEL)
        {
            g_maxLiveChanged.store(1);
        }
        else if (parameter == &MAX_PARK_SEL || parameter == &parking_percentage)
        {
            g_parkingOptionChanged.store(1);
        }
        return true;
    }
    return false;
}

} // namespace

std::optional<std::pair<std::size_t, std::string>> lf_comboSelection(HWND window, std::uint16_t id,
                                                                     WPARAM wParam)
{
    if (LOWORD(wParam) != id || HIWORD(wParam) != CBN_SELCHANGE)
    {
        return std::nullopt;
    }
    HWND combo = GetDlgItem(window, id);
    if (combo == nullptr)
    {
        return std::nullopt;
    }
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
    {
        return std::nullopt;
    }
    // Entries such as service callsigns have no length bound: size first.
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0)
    {
        return std::nullopt;
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    if (SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())) ==
        CB_ERR)
    {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(length));
    try
    {
        return std::pair{static_cast<std::size_t>(index), gf_wideToUtf8(text)};
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: UTF-16 UTF-8 failed for id {}: {}", "lf_comboSelection", id, e.what()));
        return std::nullopt;
    }
}

std::string lf_getTextFromId(std::uint16_t id)
{
    HWND control = GetDlgItem(g_hMainWnd.load(), id);
    if (control == nullptr)
    {
        gf_log(fmt::format("GetDlgItem failed for ID {}", id));
        return {};
    }
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
    {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    try
    {
        return gf_wideToUtf8(text);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: UTF-16 UTF-8 failed for id {}: {}", "lf_getTextFromId", id, e.what()));
        return {};
    }
}

LRESULT lf_editSubclassProc(EditParameter& parameter, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && wParam == 13)
    {
        if (&parameter == &BLOCK_CALLSIGN)
        {
            gf_clearStatus();
            lf_blockCallsignEntered();
            return 0;
        }
        if (&parameter == &DESTINATION)
        {
            gf_clearStatus();
            lf_destinationEntered();
            return 0;
        }
        if (&parameter == &ALL_INSTALL_PATH)
        {
            gf_clearStatus();
            StringParameter& target = SIM_CHOICE.value() == SIM_CHOICE.choices.front() ? MSFS_INSTALL_PATH
                                                                                          : MSFS_2024_INSTALL_PATH;
            lf_installPathEntered(target, lf_getTextFromId(ALL_INSTALL_PATH.controlId));
            return 0;
        }
    }
    if (parameter.prevWndProc != nullptr)
    {
        return CallWindowProcW(parameter.prevWndProc, window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam)
{
    try
    {
        const WORD id = LOWORD(wParam);
        if (lf_handleButtons(window, id) || lf_handleCheckboxes(window, id) || lf_handleCombos(window, wParam))
        {
            return true;
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{} exception {}", "lf_HandleWMCOMMAND", e.what()));
    }
    catch (...)
    {
        gf_setErrorStatus("Unknown exception");
    }
    gf_repaintRect(kOptionsAreaRect);
    return false;
}

} // namespace ovr
