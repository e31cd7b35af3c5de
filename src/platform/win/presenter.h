// Shows a top-level window's framebuffer on a real display and turns the
// display's clicks, keys and close button into the same input the headless
// tests inject. Chosen at run time: X11 when a display is there and
// VORA_HEADLESS is not 1; otherwise none, and the window stays headless.
// A presenter is used only by the thread that owns its window.
#pragma once

#include "platform/win/image.h"

#include <memory>
#include <optional>
#include <string>

namespace ovr::win
{

class Presenter
{
public:
    virtual ~Presenter() = default;

    // The connection the owner's message wait must watch.
    virtual int connectionFd() const = 0;
    // Handles what the display sent: input goes to the window's queue,
    // exposed parts are put again, the close button posts WM_CLOSE.
    virtual void processEvents() = 0;
    virtual void present(const RECT& area) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setTopmost(bool topmost) = 0;
    virtual void move(int x, int y) = 0;
    virtual void setTitle(const std::wstring& title) = 0;

    // For the display smoke test: what the display shows, and a click
    // delivered through the display server.
    virtual bool exposed() const = 0;
    virtual std::optional<Image> capture() = 0;
    virtual bool sendClick(POINT clientPoint) = 0;
};

struct PresenterSetup
{
    HWND window = nullptr;
    std::shared_ptr<const Image> framebuffer;
    RECT rect{0, 0, 0, 0}; // screen position and size
    std::wstring title;
    bool topmost = false;
};

// Null when the window stays headless.
std::unique_ptr<Presenter> openPresenter(const PresenterSetup& setup);
// Null when there is no X11 support or no display could be opened.
std::unique_ptr<Presenter> openX11Presenter(const PresenterSetup& setup);

// Tests run headless unless they allow the display explicitly.
void setHeadlessForced(bool forced);
bool headlessForced();
// True when the top-level window is shown on a display (not headless).
bool isPresented(HWND topLevel);

// True when a display may be used at all (used by the shell to decide on
// launching an opener).
bool displayAvailable();

} // namespace ovr::win
