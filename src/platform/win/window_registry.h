// The registry of window classes and windows. One mutex guards every field
// that more than one thread may touch (tree, geometry, text, styles, update
// regions); fields marked "owner thread" are only used by the thread that owns
// the window, the way USER32 confines a window to its thread.
#pragma once

#include "platform/win/image.h"
#include "platform/win/rect_region.h"
#include "platform/win/user32.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace ovr::win
{

class ThreadQueue;
class Presenter;

struct WindowClass
{
    std::wstring name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    HINSTANCE instance = nullptr;
    bool system = false;
};

// The private state of a control class (what cbWndExtra holds on Windows).
struct ControlState
{
    virtual ~ControlState() = default;
};

struct Window
{
    HWND handle = nullptr;
    std::shared_ptr<const WindowClass> windowClass;
    std::shared_ptr<ThreadQueue> owner;
    HWND parent = nullptr;
    std::vector<HWND> children; // creation order = paint order
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{0, 0, 0, 0}; // in the parent's client area; on the screen for a top-level window
    std::wstring text;
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    bool overlay = false; // painted after, and hit before, its siblings (an open drop-down list)

    RectRegion update; // client coordinates
    bool erase = false;
    std::uint64_t paintCount = 0; // BeginPaint calls, to see whether a WM_PAINT validated

    int showCmd = SW_SHOWNORMAL;
    RECT normalRect{0, 0, 0, 0};

    // top-level windows
    std::shared_ptr<Image> framebuffer;
    RECT dirty{0, 0, 0, 0}; // painted since last presented
    std::uint64_t frameVersion = 0;

    // owner thread
    std::unique_ptr<ControlState> control;
    std::unique_ptr<Presenter> presenter;
    bool presenterTried = false;

    ~Window();
};

class Registry
{
public:
    Registry();
    std::mutex mutex;
    std::unordered_map<HWND, std::shared_ptr<Window>> windows;
    std::vector<HWND> topLevels; // creation order
    std::vector<std::shared_ptr<WindowClass>> classes;

    HWND newHandle();
    ATOM newAtom() { return nextAtom_++; }

private:
    std::uintptr_t nextHandle_ = 0x10010;
    ATOM nextAtom_ = 0xC000;
};

Registry& registry();

std::shared_ptr<Window> findWindow(HWND hwnd);
std::shared_ptr<ThreadQueue> ownerOf(HWND hwnd);

// ---- with registry().mutex held ----
Window* windowLocked(HWND hwnd);
RECT clientRectLocked(const Window& w);
HWND topLevelLocked(const Window& w);
// Where the window's client (0,0) lies in its top-level window's client area.
POINT originInTopLevelLocked(const Window& w);
// The part of the top-level client area the window can draw on.
RECT visibleAreaLocked(const Window& w);
bool isVisibleLocked(const Window& w);
bool isEnabledLocked(const Window& w);
// Adds rect (client coordinates, NULL = all) to the update region of the
// window and of the children under it; collects the queues to wake.
void invalidateLocked(Window& w, const RECT* rect, bool erase, std::vector<std::shared_ptr<ThreadQueue>>& wake);
// Paint order of a top-level window's tree: parents before children,
// overlays last.
std::vector<Window*> paintOrderLocked(Window& topLevel);
// The window at a point of the top-level client area (hidden windows skipped).
HWND hitTestLocked(Window& topLevel, POINT point);

// ---- helpers that lock ----
LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs fn on the thread that owns hwnd (see runOnThread); 0 for an unknown window.
LRESULT runOnOwner(HWND hwnd, const std::function<LRESULT()>& fn);
void wakeAll(const std::vector<std::shared_ptr<ThreadQueue>>& queues);
std::wstring storedText(HWND hwnd);
void setStoredText(HWND hwnd, std::wstring text);
void setWindowSize(HWND hwnd, int width, int height);
void markOverlay(HWND hwnd);
void attachControl(HWND hwnd, std::unique_ptr<ControlState> state);
const WindowClass* classOfLocked(const Window& w);

template <typename T> T* controlState(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? nullptr : dynamic_cast<T*>(w->control.get());
}

// Windows of a thread whose queue is going away are dropped without messages.
void forgetWindowsOf(const ThreadQueue* queue);

} // namespace ovr::win
