#include "test_window.h"

#include <algorithm>
#include <random>
#include <string>

namespace ovr::test
{

namespace
{
constexpr const wchar_t* className = L"PlatformTestWindow";
} // namespace

void TestWindow::registerClassOnce()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &TestWindow::proc;
    wc.lpszClassName = className;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassExW(&wc); // fails harmlessly when this test registered it already
}

TestWindow::TestWindow(bool show)
{
    registerClassOnce();
    hwnd_ = CreateWindowExW(0, className, L"test", WS_CAPTION | WS_SYSMENU, 400, 20, 880, 516, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (show)
    {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
    }
}

TestWindow::~TestWindow()
{
    if (IsWindow(hwnd_))
    {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

HWND TestWindow::add(const wchar_t* cls, DWORD style, RECT r, int id, const wchar_t* text)
{
    return CreateWindowExW(0, cls, text, style, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), GetModuleHandleW(nullptr),
                           nullptr);
}

LRESULT CALLBACK TestWindow::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
    {
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
    {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    {
        std::lock_guard lock(self->mutex_);
        self->seen_.push_back(Seen{msg, wParam, lParam});
    }
    if (self->handler)
    {
        if (auto answer = self->handler(hwnd, msg, wParam, lParam))
        {
            return *answer;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::vector<Seen> TestWindow::seen(UINT msg) const
{
    std::lock_guard lock(mutex_);
    std::vector<Seen> out;
    std::copy_if(seen_.begin(), seen_.end(), std::back_inserter(out), [&](const Seen& s) { return s.msg == msg; });
    return out;
}

std::vector<UINT> TestWindow::order() const
{
    std::lock_guard lock(mutex_);
    std::vector<UINT> out;
    for (const Seen& s : seen_)
    {
        out.push_back(s.msg);
    }
    return out;
}

std::vector<WORD> TestWindow::commands(int id) const
{
    std::vector<WORD> codes;
    for (const Seen& s : seen(WM_COMMAND))
    {
        if (LOWORD(s.wParam) == id)
        {
            codes.push_back(HIWORD(s.wParam));
        }
    }
    return codes;
}

void TestWindow::clear()
{
    std::lock_guard lock(mutex_);
    seen_.clear();
}

std::optional<LRESULT> programColours(UINT msg, WPARAM wParam)
{
    if (msg != WM_CTLCOLOREDIT && msg != WM_CTLCOLORSTATIC)
    {
        return std::nullopt;
    }
    SetBkMode(reinterpret_cast<HDC>(wParam), OPAQUE);
    SetBkColor(reinterpret_cast<HDC>(wParam), lightBlue);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

std::wstring textOf(HWND hwnd)
{
    WCHAR buffer[512] = {};
    int n = GetWindowTextW(hwnd, buffer, 512);
    return std::wstring(buffer, static_cast<std::size_t>(n));
}

std::filesystem::path freshTempFolder(const std::string& stem)
{
    std::random_device random;
    for (;;)
    {
        auto folder = std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(random()));
        if (std::filesystem::create_directories(folder))
        {
            return folder;
        }
    }
}

} // namespace ovr::test
