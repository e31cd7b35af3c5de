#include "gui/setting_controls.h"

#include "core/log.h"
#include "core/parameters.h"
#include "core/text.h"
#include "core/text_convert.h"

#include <fmt/format.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace ovr
{

namespace
{

void lf_addEntry(HWND combo, const std::string& text)
{
    try
    {
        const std::wstring wide = gf_utf8ToWide(text);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("utf8_to_wide failed for '{}': {}", text, e.what()));
    }
}

// Selects the first entry that begins with the text, ignoring case.
void lf_selectText(HWND combo, const std::string& text)
{
    try
    {
        const std::wstring wide = gf_utf8ToWide(text);
        SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("utf8_to_wide failed for '{}': {}", text, e.what()));
    }
}

void lf_fillTextCombo(const EditParameter& parameter, const std::vector<std::string>& entries)
{
    if (!IsWindow(parameter.hwnd))
    {
        return;
    }
    SendMessageW(parameter.hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
    {
        lf_addEntry(parameter.hwnd, entry);
    }
    lf_selectText(parameter.hwnd, parameter.value());
}

} // namespace

void lf_enableSettingControl(const WindowControl& control)
{
    EnableWindow(control.hwnd, TRUE);
}

void lf_fillListCombo(const IntListParameter& parameter)
{
    if (!IsWindow(parameter.hwnd))
    {
        return;
    }
    SendMessageW(parameter.hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::int32_t value : parameter.values)
    {
        lf_addEntry(parameter.hwnd, std::to_string(value));
    }
    if (const std::optional<std::size_t> index = parameter.currentIndex())
    {
        SendMessageW(parameter.hwnd, CB_SETCURSEL, static_cast<WPARAM>(*index), 0);
    }
}

void lf_fillFloatCombo(const FloatListParameter& parameter)
{
    if (!IsWindow(parameter.hwnd))
    {
        return;
    }
    SendMessageW(parameter.hwnd, CB_RESETCONTENT, 0, 0);
    for (const float value : parameter.values)
    {
        lf_addEntry(parameter.hwnd, gf_formatOneDecimal(value));
    }
}

void lf_fillChoiceCombo(const ChoiceParameter& parameter)
{
    lf_fillTextCombo(parameter, parameter.choices);
}

void lf_fillGlobalChoiceCombo()
{
    lf_fillTextCombo(CALLSIGN_2_OBJECTID, *CALLSIGN_2_OBJECTID.choices);
}

namespace detail
{

void createDisabledButton(std::string_view caption, WindowControl& control, HWND parent,
                          const CREATESTRUCTW& creation, int x, int width)
{
    const std::wstring text = gf_utf8ToWide(caption);
    control.hwnd = CreateWindowExW(
        0, L"button", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, x, control.row,
        width, 20, parent, reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(control.controlId)),
        creation.hInstance, nullptr);
    EnableWindow(control.hwnd, FALSE);
}

} // namespace detail

} // namespace ovr
