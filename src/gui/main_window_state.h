// The main window's drawing objects and the window-position parameters, one
// global built at static initialisation (its last act sets g_windowReady,
// which the window's creation waits for), and the window's seven push
// buttons.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

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

// A push button of the main window: its caption, id, place and, once
// WM_CREATE made it, its handle.
class Button : public NamedItem, public WindowControl
{
  public:
    Button(std::string caption, std::uint16_t id, std::int32_t y, std::int32_t xPos, std::int32_t buttonWidth)
        : NamedItem(std::move(caption)), WindowControl(id, y), x(xPos), width(buttonWidth)
    {
    }

    const std::int32_t x;
    const std::int32_t width;
};

extern Button g_flushStaticButton; // "Flush static"
extern Button g_tbloButton;        // "tblo.zip"
extern Button g_unblockButton;     // "Unblock"
extern Button g_csOidButton;       // "cs->oid:"
extern Button g_blockButton;       // "Block"
extern Button g_nowButton;         // "Now"
extern Button g_rereadButton;      // "Re-read"

// Enables or disables a button; nothing before WM_CREATE made it. Any
// thread (the call waits for the UI thread).
void gf_enableButton(const Button& button, bool enable);
bool gf_buttonEnabled(const Button& button);

extern std::atomic<bool> g_windowReady;
extern MainWindow g_mainWindow;

} // namespace ovr
