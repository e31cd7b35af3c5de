#include "gui/main_window_state.h"

#include "core/parameters.h"

namespace ovr
{

constinit std::atomic<bool> g_windowReady{false};

MainWindow::MainWindow()
    : windowX(MAIN_WINDOW_X), windowY(MAIN_WINDOW_Y), redBrush(CreateSolidBrush(RGB(255, 0, 0))),
      lightBlueBrush(CreateSolidBrush(RGB(153, 204, 255))), blackBrush(CreateSolidBrush(RGB(0, 0, 0))),
      limeBrush(CreateSolidBrush(RGB(50, 205, 50))), yellowBrush(CreateSolidBrush(RGB(255, 255, 0))),
      blackPen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))),
      whitePen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255))), separators{{{{0, 140}, {880, 140}},
                                                                        {{0, 168}, {642, 168}},
                                                                        {{0, 196}, {642, 196}},
                                                                        {{0, 224}, {880, 224}},
                                                                        {{0, 252}, {642, 252}},
                                                                        {{0, 280}, {642, 280}},
                                                                        {{0, 308}, {880, 308}}}}
{
    g_windowReady.store(true);
}

Button g_flushStaticButton{"Flush static", 32857, 369, 758, 90};
Button g_tbloButton{"tblo.zip", 32804, 175, 217, 80};
Button g_unblockButton{"Unblock", 32829, 257, 223, 60};
Button g_csOidButton{"cs->oid:", 32830, 257, 305, 60};
Button g_blockButton{"Block", 32832, 257, 576, 60};
Button g_nowButton{"Now", 32847, 313, 111, 45};
Button g_rereadButton{"Re-read", 32838, 341, 758, 90};

void gf_enableButton(const Button& button, bool enable)
{
    if (button.hwnd != nullptr)
    {
        EnableWindow(button.hwnd, enable ? TRUE : FALSE);
    }
}

bool gf_buttonEnabled(const Button& button)
{
    return button.hwnd != nullptr && IsWindowEnabled(button.hwnd) != FALSE;
}

MainWindow g_mainWindow;

} // namespace ovr
