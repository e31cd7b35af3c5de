// Helper process for tests that need a process of their own.
//   platform_probe mutex       exits 0 when it got the single-instance mutex,
//                              1 when another instance holds it, 2 on failure
//   platform_probe screenshot  shows a window, quits its message loop and
//                              exits 0 (VORA_SCREENSHOT then holds the picture)
#include "platform/win/windows.h"

#include <cstring>

namespace
{

int mutexProbe()
{
    HANDLE h = CreateMutexW(nullptr, FALSE, L"Local\\$Vora$");
    if (h == nullptr)
    {
        return 2;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}

LRESULT CALLBACK quitAfterPaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT strip{0, 448, 880, 476};
        SetDCBrushColor(dc, 0x32CD32);
        FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        EndPaint(hwnd, &ps);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int screenshotProbe()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = quitAfterPaint;
    wc.lpszClassName = L"Probe";
    RegisterClassExW(&wc);
    HWND hwnd =
        CreateWindowExW(0, L"Probe", L"probe", WS_CAPTION, 0, 0, 880, 516, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "mutex") == 0)
    {
        return mutexProbe();
    }
    if (argc == 2 && std::strcmp(argv[1], "screenshot") == 0)
    {
        return screenshotProbe();
    }
    return 2;
}
