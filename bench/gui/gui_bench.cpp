// The main window's painting: a whole-window repaint with every panel
// filled, and the status strip alone as a status change repaints it.
#include <benchmark/benchmark.h>

#include "core/status_line.h"
#include "gui/app_window.h"
#include "gui/window_procedure.h"
#include "platform/win/test_support.h"
#include "platform/win/windows.h"
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

} // namespace
