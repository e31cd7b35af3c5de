// The main window's painting: a whole-window repaint with every panel
// filled, and the status strip alone as a status change repaints it. The
// anchor is a window of the same size whose painting is one fill: the cost
// of the paint cycle itself.
#include <benchmark/benchmark.h>

#include "core/status_line.h"
#include "gui/app_window.h"
#include "gui/window_procedure.h"
#include "platform/win/test_support.h"
#include "platform/win/windows.h"
#include "ratio.h"
#include "simlink/sim_panel_fields.h"

namespace
{

namespace pt = ovr::platform_test;

HWND lf_mainWindow()
{
    static HWND window = []
    {
        pt::reset();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ovr::lf_WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VoraBench";
        RegisterClassExW(&wc);
        HWND w = CreateWindowExW(0, L"VoraBench", L"Vora", WS_OVERLAPPEDWINDOW, 0, 0, 880, 516, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ovr::g_hMainWnd.store(w);
        ShowWindow(w, SW_SHOW);
        ovr::gf_setSimulatorText("MSFS 2020 (11.0.282174.999)");
        ovr::gf_setUserAircraftText("Airbus A320neo Asobo");
        ovr::g_simConnectedShown.store(1);
        ovr::g_simRunningShown.store(1);
        ovr::gf_setStatus("Time shifted 125 minutes", false);
        pt::pumpUntilIdle();
        return w;
    }();
    return window;
}

void BM_WholeWindowRepaint(benchmark::State& state)
{
    HWND window = lf_mainWindow();
    for (auto _ : state)
    {
        InvalidateRect(window, nullptr, FALSE);
        pt::pumpUntilIdle();
        pt::clearPaintCalls();
    }
}
BENCHMARK(BM_WholeWindowRepaint)->Unit(benchmark::kMillisecond);

void BM_StatusStripRepaint(benchmark::State& state)
{
    HWND window = lf_mainWindow();
    for (auto _ : state)
    {
        ovr::gf_setStatus(state.iterations() % 2 == 0 ? "one" : "two", false);
        InvalidateRect(window, &ovr::kStatusStripRect, FALSE);
        pt::pumpUntilIdle();
        pt::clearPaintCalls();
    }
}
BENCHMARK(BM_StatusStripRepaint)->Unit(benchmark::kMillisecond);

LRESULT CALLBACK lf_bareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
    {
        static HBRUSH brush = CreateSolidBrush(RGB(240, 240, 240));
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void BM_WholeWindowFillBare(benchmark::State& state)
{
    static HWND window = []
    {
        lf_mainWindow();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &lf_bareProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VoraBenchBare";
        RegisterClassExW(&wc);
        HWND w = CreateWindowExW(0, L"VoraBenchBare", L"Bare", WS_OVERLAPPEDWINDOW, 0, 0, 880, 516, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ShowWindow(w, SW_SHOW);
        pt::pumpUntilIdle();
        return w;
    }();
    for (auto _ : state)
    {
        InvalidateRect(window, nullptr, FALSE);
        pt::pumpUntilIdle();
        pt::clearPaintCalls();
    }
}
BENCHMARK(BM_WholeWindowFillBare)->Unit(benchmark::kMillisecond);

const bool g_ratio = ovr::bench::addRatio("BM_WholeWindowRepaint", "BM_WholeWindowFillBare");

} // namespace
