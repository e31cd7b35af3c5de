// The main window's drawing objects and the window-position parameters, one
// global built at static initialisation. Its last act sets g_windowReady,
// which the window's creation waits for.
#pragma once

#include <array>
#include <atomic>

#include "core/parameter.h"
#include "platform/win/gdi32.h"

namespace ovr
{

struct SeparatorLine
{
    POINT from;
    POINT to;
};

class MainWindow
{
  public:
    MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    virtual ~MainWindow() = default;

    IntParameter& windowX;
    IntParameter& windowY;
    HBRUSH redBrush;
    HBRUSH lightBlueBrush;
    HBRUSH blackBrush;
    HBRUSH limeBrush;
    HBRUSH yellowBrush;
    HPEN blackPen;
    HPEN whitePen;
    const std::array<SeparatorLine, 7> separators;
};

extern std::atomic<bool> g_windowReady;
extern MainWindow g_mainWindow;

} // namespace ovr
