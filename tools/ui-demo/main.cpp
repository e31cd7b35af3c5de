// ui-demo: one window with a control of each kind the program uses, painted
// the way the program paints its main window, and a window procedure that
// logs every WM_COMMAND. With a display it runs until closed; headless it
// plays a few user actions, writes the picture as PNG (VORA_SCREENSHOT, else
// ui-demo.png) with its paint record next to it, and exits.
#include "platform/win/presenter.h"
#include "platform/win/test_support.h"
#include "platform/win/windows.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace
{

constexpr int idSimulator = 101;
constexpr int idPath = 102;
constexpr int idScan = 103;
constexpr int idAutomatic = 104;
constexpr int idReread = 105;
constexpr int idFlush = 106;
constexpr int idRange = 107;
constexpr int idDestination = 108;
constexpr int idPackages = 109;

constexpr COLORREF lightBlue = 0xFFCC99;
constexpr COLORREF lime = 0x32CD32;
constexpr COLORREF yellow = 0x00FFFF;
constexpr COLORREF black = 0x000000;
constexpr COLORREF grey = 0xA0A0A0;

// Made before main, as the program makes its brushes and pens.
struct Palette
{
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    HBRUSH lightBlue = CreateSolidBrush(::lightBlue);
    HBRUSH lime = CreateSolidBrush(::lime);
    HPEN blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
} const palette;

std::wstring g_status = L"Click, type, choose: every WM_COMMAND is logged here";
WNDPROC g_editProc = nullptr;
HWND g_main = nullptr;

void setStatus(std::wstring text)
{
    g_status = std::move(text);
    RECT strip{0, 448, 880, 476};
    InvalidateRect(g_main, &strip, FALSE);
}

void text(HDC dc, int x, int y, const std::wstring& s, COLORREF colour)
{
    COLORREF old = SetTextColor(dc, colour);
    TextOutW(dc, x, y, s.c_str(), static_cast<int>(s.size()));
    SetTextColor(dc, old);
}

void line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void paint(HDC target)
{
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, 880, 516);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    SaveDC(dc);
    const RECT title{0, 0, 880, 28}, status{0, 28, 880, 112}, options{0, 112, 880, 392}, airport{0, 392, 880, 448},
        bar{0, 448, 880, 476};
    FillRect(dc, &title, palette.black);
    FillRect(dc, &status, palette.black);
    FillRect(dc, &options, palette.lightBlue);
    FillRect(dc, &airport, palette.black);
    FillRect(dc, &bar, palette.lime);
    SelectObject(dc, palette.whitePen);
    line(dc, 0, 28, 880, 28);
    line(dc, 0, 113, 880, 113);
    line(dc, 0, 392, 880, 392);
    line(dc, 0, 449, 880, 449);
    SetBkMode(dc, TRANSPARENT);
    text(dc, 3, 7, L"Version 12.5.5", lime);
    text(dc, 390, 7, L"ui-demo", lime);
    text(dc, 5, 35, L"MSFS", lime);
    text(dc, 5, 63, L"One control of each kind; WM_COMMAND goes to the status line", lime);
    text(dc, 5, 91, L"# liveries: ...", RGB(255, 0, 0));
    SelectObject(dc, palette.blackPen);
    for (int y : {140, 224, 308})
    {
        line(dc, 0, y, 880, y);
    }
    for (int y : {168, 196, 252, 280})
    {
        line(dc, 0, y, 642, y);
    }
    line(dc, 642, 140, 642, 308);
    text(dc, 25, 147, L"Scan for liveries", IsDlgButtonChecked(g_main, idScan) ? yellow : black);
    text(dc, 237, 147, L"Automatic:", black);
    text(dc, 652, 147, L"Meta:", black);
    text(dc, 5, 231, L"Traffic injection", black);
    text(dc, 163, 231, L"Radius:", black);
    text(dc, 270, 231, L"nm, or", black);
    text(dc, 137, 343, L"Destination:", IsWindowEnabled(GetDlgItem(g_main, idDestination)) ? black : grey);
    text(dc, 5, 399, L"EHAM", lime);
    text(dc, 45, 399, L" Amsterdam Schiphol, demo file, wk=12", lime);
    text(dc, 5, 427, L"# stands: 123", lime);
    text(dc, 3, 455, g_status, yellow);
    RestoreDC(dc, -1);
    BitBlt(target, 0, 0, 880, 516, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

bool isCombo(WORD id) { return id == idSimulator || id == idRange || id == idPackages; }

// Notification codes overlap between control kinds, so the name depends on
// which kind of control sent it.
const wchar_t* codeName(WORD id, WORD code)
{
    if (isCombo(id))
    {
        static const wchar_t* const names[] = {L"",          L"CBN_SELCHANGE", L"CBN_DBLCLK",
                                               L"CBN_SETFOCUS", L"CBN_KILLFOCUS", L"",
                                               L"",          L"CBN_DROPDOWN",  L"CBN_CLOSEUP",
                                               L"CBN_SELENDOK", L"CBN_SELENDCANCEL"};
        return code < std::size(names) ? names[code] : L"";
    }
    switch (code)
    {
    case BN_CLICKED:
        return L"BN_CLICKED";
    case EN_SETFOCUS:
        return L"EN_SETFOCUS";
    case EN_KILLFOCUS:
        return L"EN_KILLFOCUS";
    case EN_CHANGE:
        return L"EN_CHANGE";
    case EN_UPDATE:
        return L"EN_UPDATE";
    case EN_MAXTEXT:
        return L"EN_MAXTEXT";
    default:
        return L"";
    }
}

void command(HWND hwnd, WPARAM wParam)
{
    const WORD id = LOWORD(wParam), code = HIWORD(wParam);
    std::wstring line = L"WM_COMMAND id=" + std::to_wstring(id) + L" code=" + std::to_wstring(code) + L" " +
                        codeName(id, code);
    std::printf("%ls\n", line.c_str());
    std::fflush(stdout);
    // The program's check boxes do not toggle themselves: the owner does.
    if ((id == idScan || id == idAutomatic) && code == BN_CLICKED)
    {
        CheckDlgButton(hwnd, id, IsDlgButtonChecked(hwnd, id) ? BST_UNCHECKED : BST_CHECKED);
        RECT band{0, 112, 880, 392};
        InvalidateRect(hwnd, &band, TRUE);
    }
    const bool userChoice = isCombo(id) ? code == CBN_SELCHANGE : code == BN_CLICKED || code == EN_MAXTEXT;
    if (userChoice)
    {
        setStatus(line);
    }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CHAR && wParam == 13)
    {
        wchar_t buffer[256] = {};
        GetWindowTextW(hwnd, buffer, 256);
        setStatus(std::wstring(L"Enter: ") + buffer);
        return 0;
    }
    return CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
}

HWND control(const wchar_t* cls, const wchar_t* caption, DWORD style, int x, int y, int w, int h, int id,
             const CREATESTRUCTW* cs, HWND parent)
{
    return CreateWindowExW(0, cls, caption, style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), cs->hInstance, nullptr);
}

void createControls(HWND hwnd, const CREATESTRUCTW* cs)
{
    constexpr DWORD combo = 0x50210003, checkBox = 0x50010002, button = 0x50010001, edit = 0x50810000;
    HWND sim = control(L"ComboBox", L"", combo, 5, 114, 105, 80, idSimulator, cs, hwnd);
    SendMessageW(sim, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"MSFS 2020"));
    SendMessageW(sim, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"MSFS 2024"));
    SendMessageW(sim, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"msfs 2024"));
    HWND path = control(L"Edit", L"", edit, 111, 119, 1200, 16, idPath, cs, hwnd);
    SetWindowTextW(path, L"D:\\MSFS\\Community");
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(path, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    control(L"button", L"", checkBox, 5, 149, 12, 12, idScan, cs, hwnd);
    CheckDlgButton(hwnd, idScan, BST_CHECKED);
    control(L"button", L"", checkBox, 217, 149, 12, 12, idAutomatic, cs, hwnd);
    HWND packages = control(L"ComboBox", L"", combo, 323, 142, 175, 300, idPackages, cs, hwnd);
    for (const wchar_t* p : {L"AIG", L"FSLTL", L"Just Flight", L"Simple Traffic", L"My own liveries"})
    {
        SendMessageW(packages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
    }
    SendMessageW(packages, CB_SETCURSEL, 1, 0);
    HWND range = control(L"ComboBox", L"", combo, 217, 226, 50, 200, idRange, cs, hwnd);
    for (int nm = 10; nm <= 100; nm += 10)
    {
        std::wstring v = std::to_wstring(nm);
        SendMessageW(range, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v.c_str()));
    }
    SetWindowTextW(range, L"7"); // not in the list: shown, nothing selected
    control(L"button", L"Re-read", button, 758, 341, 90, 20, idReread, cs, hwnd);
    HWND flush = control(L"button", L"Flush static", button, 758, 369, 90, 20, idFlush, cs, hwnd);
    EnableWindow(flush, FALSE);
    HWND destination = control(L"Edit", L"", edit, 217, 343, 50, 16, idDestination, cs, hwnd);
    SetWindowTextW(destination, L"EHAM");
    EnableWindow(destination, FALSE);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_CREATE:
        g_main = hwnd;
        createControls(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        command(hwnd, wParam);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), OPAQUE);
        SetBkColor(reinterpret_cast<HDC>(wParam), lightBlue);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// What a user would do in the first seconds; the headless picture then shows
// the state it leaves.
void playUserActions(HWND hwnd)
{
    using namespace ovr::platform_test;
    click(GetDlgItem(hwnd, idAutomatic));
    typeInto(GetDlgItem(hwnd, idPath), "\\Airports");
    chooseComboEntry(GetDlgItem(hwnd, idRange), 3);
}

int demo(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"UiDemo";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, L"UiDemo", L"ui-demo", WS_CAPTION | WS_SYSMENU, 400, 20, 880, 516, nullptr,
                                nullptr, instance, nullptr);
    if (hwnd == nullptr)
    {
        std::fputs("ui-demo: the window could not be created\n", stderr);
        return 1;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    const char* env = std::getenv("VORA_SCREENSHOT");
    const std::string file = env != nullptr && *env != '\0' ? env : "ui-demo.png";
    if (!ovr::win::isPresented(hwnd))
    {
        playUserActions(hwnd);
        // One full repaint, so the record describes exactly the picture.
        ovr::platform_test::clearPaintCalls();
        InvalidateRect(hwnd, nullptr, TRUE);
        ovr::platform_test::pumpUntilIdle();
        if (!ovr::platform_test::writeSnapshot(hwnd, file))
        {
            std::fprintf(stderr, "ui-demo: could not write %s\n", file.c_str());
            return 1;
        }
        std::printf("wrote %s and %s.record.txt\n", file.c_str(), file.c_str());
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int main(int argc, char** argv) { return ovr::runWinMain(argc, argv, demo); }
