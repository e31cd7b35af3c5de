// Test support for code that runs on the Win32 stand-in: driving the message
// loop, acting as a user, reading back what was painted, and setting the
// parts of the machine a test cannot set for real (monitors, elevation,
// unwritable folders, known folders, shell answers).
//
// A typical fixture calls reset() in SetUp, creates its windows on the test
// thread and pumps with pumpUntilIdle(); the input helpers pump by themselves
// when the window belongs to the calling thread and otherwise wait until its
// thread is idle again.
#pragma once

#include "platform/win/gdi/paint_record.h"
#include "platform/win/image.h"
#include "platform/win/monitors.h"
#include "platform/win/user32.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::platform_test
{

using Image = win::Image;
using PaintCall = win::PaintCall;
using Monitor = win::MonitorSpec;

// ---- set-up ----------------------------------------------------------------

// Destroys the calling thread's windows, forgets registered window classes,
// empties the thread's queue and every record, restores every setting below
// and keeps windows headless even when a display is there.
void reset();
// Lets top-level windows shown after this call use the display (the X11
// smoke test); reset() turns it off again.
void allowDisplay(bool allowed);

// ---- the message loop --------------------------------------------------------

struct PumpResult
{
    std::size_t dispatched = 0;
    std::optional<int> quitCode; // set when WM_QUIT was taken
};
// Dispatches the calling thread's messages, paints included, until none is
// left or WM_QUIT comes.
PumpResult pumpUntilIdle();
// Pumps, waiting for more (display events, other threads), until done()
// holds or the time is up.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// For a window owned by another thread: waits until that thread has nothing
// left to do. For the calling thread's own windows: pumpUntilIdle().
bool waitUntilIdle(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(5));
// How many calls other threads have sent to window's thread and still wait for.
std::size_t waitingCalls(HWND window);

// ---- acting as a user ----------------------------------------------------------
// Input goes through the same path as display input: into the owner's queue,
// then hit-tested, so disabled controls and open drop-down lists behave as
// they do for a user.

void click(HWND window);                          // the middle of a window
void queueClick(HWND topLevel, POINT clientPoint); // queued only, for tests of message order
void clickAt(HWND topLevel, POINT clientPoint);   // a point of the client area
void wheel(HWND window, int notches);             // > 0 away from the user
void pressKey(HWND window, WPARAM virtualKey);    // to the focus of window's thread
void typeText(HWND window, std::string_view utf8); // each character as key down and up
void typeInto(HWND edit, std::string_view utf8);   // click, then type
// Opens the drop-down list, scrolls it as needed and clicks the entry.
// False when the combo box or the entry does not exist or is not chosen.
bool chooseComboEntry(HWND combo, int index);

// ---- what was painted ----------------------------------------------------------

Image framebuffer(HWND topLevel);
std::vector<PaintCall> paintCalls(); // since the last clearPaintCalls()
void clearPaintCalls();
std::vector<PaintCall> textsDrawn(std::string_view utf8);
std::string describe(const PaintCall& call);
// The framebuffer as PNG, and the paint record as text next to it
// (<png>.record.txt).
bool writeSnapshot(HWND topLevel, const std::filesystem::path& png);

// ---- recorded calls -----------------------------------------------------------------

struct MessageBoxCall
{
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};
std::vector<MessageBoxCall> messageBoxes();
void clearMessageBoxes();

struct ShellExecuteCall
{
    std::string operation;
    std::string file;
    std::string parameters;
    std::string directory;
    int show = 0;
    INT_PTR result = 0;
};
std::vector<ShellExecuteCall> shellExecuteCalls();
// Fixes what ShellExecuteW answers (nullopt: the real behaviour) and clears
// the recorded calls.
void setShellExecuteResult(std::optional<INT_PTR> result);

// ---- the machine ------------------------------------------------------------------------

void setMonitors(std::vector<Monitor> monitors); // empty: the default 1920x1080 one

enum class Elevation
{
    System,      // euid 0 is elevated
    Elevated,
    NotElevated,
    QueryFails,  // OpenProcessToken fails
};
void setElevation(Elevation elevation);

// CreateFileW with GENERIC_WRITE fails with ERROR_ACCESS_DENIED inside these.
void setUnwritableFolders(std::vector<std::filesystem::path> folders);

// Overrides one known folder; nullopt makes SHGetKnownFolderPath fail for it.
void setKnownFolder(const GUID& id, std::optional<std::filesystem::path> path);
void clearKnownFolders();

// ---- the display (X11 smoke test) --------------------------------------------------

bool shownOnDisplay(HWND topLevel);   // mapped and exposed
std::optional<Image> captureDisplay(HWND topLevel);
bool clickOnDisplay(HWND topLevel, POINT clientPoint); // through the display server

} // namespace ovr::platform_test
