#include "app/program_entry.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <exception>
#include <filesystem>

#include <fmt/format.h>

#include "app/seams.h"
#include "app/start_up.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/window_repaint.h"
#include "gui/app_window.h"
#include "gui/setting_control_windows.h"
#include "gui/window_position.h"
#include "gui/window_procedure.h"
#include "platform/shell/command_line.h"
#include "platform/shell/string_resources.h"
#include "platform/win/windows.h"

namespace ovr
{

namespace
{

constexpr UINT kTitleResource = 101;
constexpr WORD kIconResource = 100;
constexpr int kTitleMaxLength = 100;
constexpr const wchar_t* kInstanceMutexName = L"Local\\$Vora$";
// A window that could not be set up is a failed start, not a success.
constexpr int kSetUpFailedCode = 1;

bool lf_equalsNoCase(std::wstring_view a, std::wstring_view b)
{
    return std::ranges::equal(
        a, b,
        [](wchar_t x, wchar_t y)
        { return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y)); });
}

std::vector<std::wstring_view> lf_commandArguments(std::vector<std::wstring>& storage)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring_view> arguments;
    if (argv == nullptr)
    {
        return arguments;
    }
    for (int i = 1; i < count; ++i)
    {
        storage.emplace_back(argv[i]);
    }
    LocalFree(reinterpret_cast<HLOCAL>(argv));
    arguments.assign(storage.begin(), storage.end());
    return arguments;
}

void lf_postToMainWindow(UINT message)
{
    if (HWND window = g_hMainWnd.load())
    {
        PostMessageW(window, message, 0, 0);
    }
}

bool lf_registerWindowClass(HINSTANCE instance, const std::wstring& title)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = lf_WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = title.c_str();
    return RegisterClassExW(&windowClass) != 0;
}

bool lf_ensureAppDataFolder()
{
    // The folder was named at static initialisation, before the log was open.
    if (g_appDataFolder.parent_path().empty())
        gf_logWarning("Could not find the AppData path");
    try
    {
        if (!std::filesystem::exists(g_appDataFolder))
        {
            std::filesystem::create_directories(g_appDataFolder);
        }
        return true;
    }
    catch (const std::filesystem::filesystem_error& e)
    {
        gf_log(fmt::format("Failed to create directory: {}", e.what()));
        return false;
    }
}

int lf_messageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// The loop can also end without the start-up thread's last message (the
// window was destroyed): the thread is asked to stop and awaited, so that no
// thread outlives the program.
void lf_awaitStartUpThread()
{
    if (g_startUpThread.joinable())
    {
        g_closeClicked.store(1);
        gf_requestUserClose();
        g_startUpThread.join();
    }
}

} // namespace

namespace detail
{

std::optional<bool> productionSwitch(const std::vector<std::wstring_view>& arguments)
{
    std::optional<bool> value;
    for (std::wstring_view argument : arguments)
    {
        if (lf_equalsNoCase(argument, L"--production") || lf_equalsNoCase(argument, L"/production"))
        {
            value = true;
        }
        else if (lf_equalsNoCase(argument, L"--no-production") ||
                 lf_equalsNoCase(argument, L"/no-production"))
        {
            value = false;
        }
    }
    return value;
}

} // namespace detail

int lf_runApplication(HINSTANCE instance)
{
    std::vector<std::wstring> storage;
    const std::optional<bool> production = detail::productionSwitch(lf_commandArguments(storage));

    wchar_t buffer[kTitleMaxLength + 1] = {};
    if (LoadStringW(instance, kTitleResource, buffer, kTitleMaxLength + 1) <= 0)
    {
        gf_log("Failed to load application title");
        return kSetUpFailedCode;
    }
    const std::wstring title = buffer;
    if (!lf_registerWindowClass(instance, title))
    {
        gf_log("Failed to register window class");
        return kSetUpFailedCode;
    }
    if (!lf_ensureAppDataFolder())
    {
        return kSetUpFailedCode;
    }
    gf_connectSeams();
    gf_setStatusPostHook(lf_postToMainWindow);
    gf_setRepaintHook(gf_repaintWindowPart);
    gf_installSettingControlHooks();
    if (!initInstance(instance, title))
    {
        gf_logWarning("initInstance failed");
        return kSetUpFailedCode;
    }
    g_production.store(production.value_or(false));
    if (HWND window = g_hMainWnd.load())
    {
        PostMessageW(window, kStartUpMessage, 0, 0);
    }
    const int code = lf_messageLoop();
    lf_awaitStartUpThread();
    return code;
}

} // namespace ovr

int wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*showCommand*/)
{
    HANDLE instanceMutex = CreateMutexW(nullptr, FALSE, ovr::kInstanceMutexName);
    if (instanceMutex == nullptr)
    {
        // Without the lock a second instance could not be told apart: this
        // is an error, not a start.
        std::fprintf(stderr, "Vora: cannot create the single-instance lock (error %lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS)
    {
        return -1;
    }
    try
    {
        ovr::gf_openLog();
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "Vora: cannot open Log.txt: %s\n", e.what());
        return 1;
    }
    return ovr::lf_runApplication(instance);
}
