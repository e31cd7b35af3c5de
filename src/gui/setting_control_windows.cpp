#include "gui/setting_control_windows.h"

#include <cstdint>
#include <exception>
#include <string>

#include <fmt/format.h>

#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/text_convert.h"
#include "gui/app_window.h"

namespace ovr
{

namespace
{

HMENU lf_childId(const WindowControl& control)
{
    return reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(control.controlId));
}

void lf_showText(std::uint16_t controlId, const std::string& text)
{
    std::wstring wide;
    try
    {
        wide = gf_utf8ToWide(text);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("utf8_to_wide failed for '{}': {}", text, e.what()));
        return;
    }
    HWND control = GetDlgItem(g_hMainWnd.load(), controlId);
    if (control == nullptr)
    {
        gf_log(fmt::format("GetDlgItem failed for ID {}", controlId));
        return;
    }
    SetWindowTextW(control, wide.c_str());
    gf_repaintRect(kOptionsAreaRect);
}

void lf_showCheck(const BoolParameter& parameter)
{
    if (IsWindow(parameter.hwnd))
    {
        SendMessageW(parameter.hwnd, BM_SETCHECK, parameter.current.load() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

// A control that was never created (null) is left alone.
void lf_enableControl(const WindowControl& control, bool enable)
{
    if (control.hwnd != nullptr)
    {
        EnableWindow(control.hwnd, enable ? TRUE : FALSE);
    }
}

// Buttons made by the window itself; one that was never made is skipped.
void lf_enableControlById(std::uint16_t controlId, bool enable)
{
    HWND control = GetDlgItem(g_hMainWnd.load(), controlId);
    if (control != nullptr)
    {
        EnableWindow(control, enable ? TRUE : FALSE);
    }
}

void lf_selectEntry(const WindowControl& control, std::size_t index)
{
    if (IsWindow(control.hwnd))
    {
        SendMessageW(control.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

} // namespace

void lf_createSettingCheckbox(BoolParameter& parameter, HWND parent, const CREATESTRUCTW& creation, int x)
{
    parameter.hwnd = CreateWindowExW(0, L"button", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, x,
                                     parameter.row + 2, 12, 12, parent, lf_childId(parameter),
                                     creation.hInstance, nullptr);
    CheckDlgButton(parent, parameter.controlId,
                   static_cast<UINT>(parameter.current.load() ? BST_CHECKED : BST_UNCHECKED));
    EnableWindow(parameter.hwnd, TRUE);
}

void lf_createSettingEdit(EditParameter& parameter, HWND parent, const CREATESTRUCTW& creation, int x,
                          int width, WNDPROC procedure)
{
    parameter.hwnd =
        CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, x, parameter.row,
                        width, 16, parent, lf_childId(parameter), creation.hInstance, nullptr);
    parameter.prevWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parameter.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    EnableWindow(parameter.hwnd, FALSE);
}

void gf_showCtrlValue(const IntListParameter& parameter)
{
    lf_showText(parameter.controlId, std::to_string(parameter.current.load()));
}

void gf_showCtrlText(const EditParameter& parameter)
{
    lf_showText(parameter.controlId, parameter.value());
}

void gf_installSettingControlHooks()
{
    gf_setParameterControlHooks(
        {lf_showCheck, gf_showCtrlValue, gf_showCtrlText, lf_enableControl, lf_selectEntry});
    gf_setControlEnableHook(lf_enableControlById);
}

} // namespace ovr
