// A top-level test window on the calling thread that records every message
// its procedure receives; a test may answer messages itself through
// `handler`, and adds controls with add().
#pragma once

#include "platform/win/windows.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace ovr::test
{

struct Seen
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

constexpr DWORD checkBoxStyle = 0x50010002;   // WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_CHECKBOX
constexpr DWORD pushButtonStyle = 0x50010001; // ... BS_DEFPUSHBUTTON
constexpr DWORD editStyle = 0x50810000;       // WS_CHILD|WS_VISIBLE|WS_BORDER|WS_TABSTOP
constexpr DWORD comboStyle = 0x50210003;      // ... WS_VSCROLL|CBS_DROPDOWNLIST
constexpr COLORREF lightBlue = 0xFFCC99;

class TestWindow
{
public:
    explicit TestWindow(bool show = true);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND add(const wchar_t* cls, DWORD style, RECT r, int id, const wchar_t* text = L"");

    std::vector<Seen> seen(UINT msg) const;
    std::vector<UINT> order() const;      // every message number, in arrival order
    std::vector<WORD> commands(int id) const; // WM_COMMAND codes from control id
    void clear();

    // Answers a message instead of DefWindowProcW when it returns a value.
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;

private:
    static void registerClassOnce();
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
};

// The program's way of colouring its controls (WM_CTLCOLOR*): light blue
// behind the text, the stock DC brush for the rest.
std::optional<LRESULT> programColours(UINT msg, WPARAM wParam);

std::wstring textOf(HWND hwnd);

// A new empty folder under the temp folder, unique to this run, so that test
// binaries of several builds can run at the same time.
std::filesystem::path freshTempFolder(const std::string& stem);

} // namespace ovr::test
