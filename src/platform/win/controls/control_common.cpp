#include "platform/win/controls/controls.h"

#include "platform/win/window_registry.h"

namespace ovr::win
{

void registerSystemClasses(Registry& registry)
{
    struct Spec
    {
        const wchar_t* name;
        WNDPROC proc;
    };
    static constexpr Spec specs[] = {
        {L"Button", buttonProc},
        {L"Edit", editProc},
        {L"ComboBox", comboBoxProc},
        {L"ComboLBox", comboListProc},
    };
    for (const Spec& s : specs)
    {
        auto c = std::make_shared<WindowClass>();
        c->name = s.name;
        c->atom = registry.newAtom();
        c->proc = s.proc;
        c->system = true;
        registry.classes.push_back(std::move(c));
    }
}

void notifyParent(HWND control, WORD code)
{
    HWND parent = GetParent(control);
    if (parent != nullptr)
    {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
                     reinterpret_cast<LPARAM>(control));
    }
}

HBRUSH parentColours(HWND control, HDC hdc, UINT ctlColorMessage)
{
    HWND parent = GetParent(control);
    auto w = reinterpret_cast<WPARAM>(hdc);
    auto l = reinterpret_cast<LPARAM>(control);
    LRESULT brush = parent != nullptr ? SendMessageW(parent, ctlColorMessage, w, l) : 0;
    if (brush == 0)
    {
        brush = DefWindowProcW(parent, ctlColorMessage, w, l);
    }
    return reinterpret_cast<HBRUSH>(brush);
}

bool isEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }

RECT clientRect(HWND hwnd)
{
    RECT r{0, 0, 0, 0};
    GetClientRect(hwnd, &r);
    return r;
}

POINT pointFrom(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

} // namespace ovr::win
