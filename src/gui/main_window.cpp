#include "gui/main_window.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/text_convert.h"
#include "gui/app_window.h"
#include "gui/main_window_state.h"
#include "gui/setting_control_windows.h"
#include "gui/window_state.h"
#include "service/service_panel.h"
#include "simlink/sim_panel_fields.h"

namespace ovr
{

// Until the window's own layout arrives, the controls of each option row are
// laid out left to right, each after its label, and the panels show the
// session's state in plain lines.
namespace
{

constexpr COLORREF kLime = RGB(50, 205, 50);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kCharWidth = 7;
constexpr int kGap = 10;
constexpr int kComboWidth = 64;
constexpr int kComboDropHeight = 200;

struct Label
{
    int x = 0;
    int y = 0;
    std::string text;
};

std::vector<Label> g_labels; // UI thread only

std::string lf_labelOf(const std::string& key)
{
    std::string text;
    for (char c : key)
    {
        text += c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

int lf_labelWidth(const std::string& text)
{
    return static_cast<int>(text.size()) * kCharWidth;
}

LRESULT CALLBACK lf_settingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (EditParameter* parameter : {&ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION})
    {
        if (parameter->hwnd == window && parameter->prevWndProc != nullptr)
        {
            return CallWindowProcW(parameter->prevWndProc, window, message, wParam, lParam);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void lf_createCombo(WindowControl& control, HWND parent, const CREATESTRUCTW& creation, int x, int width)
{
    control.hwnd = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                                   x, control.row - 2, width, kComboDropHeight, parent,
                                   reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(control.controlId)),
                                   creation.hInstance, nullptr);
}

// The x at which the next control of each row goes.
class RowCursor
{
  public:
    int take(int row, int width)
    {
        int& x = next_.try_emplace(row, kGap / 2).first->second;
        const int at = x;
        x += width + kGap;
        return at;
    }
    void startAfter(int row, int x) { next_[row] = x + kGap; }

  private:
    std::map<int, int> next_;
};

void lf_text(HDC dc, int x, int y, const std::string& text, COLORREF colour)
{
    // Shown text can come from any file or reply: never strict here.
    const std::wstring wide = gf_utf8ToWideLenient(text);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

const char* lf_indicatorText(std::int32_t state)
{
    switch (state)
    {
    case kIndicatorReceiving:
        return "receiving";
    case kIndicatorWaiting:
        return "waiting";
    default:
        return "stopped";
    }
}

void lf_paintPanels(HDC dc)
{
    const MainWindow& w = g_mainWindow;
    const RECT title{0, 0, kMainWindowWidth, 28};
    const RECT top = kTopPanelRect;
    const RECT options = kOptionsAreaRect;
    const RECT airport = kCandidatesStripRect;
    const RECT status = kStatusStripRect;
    const RECT bottom{0, 476, kMainWindowWidth, kMainWindowHeight};
    FillRect(dc, &title, w.blackBrush);
    FillRect(dc, &top, w.blackBrush);
    FillRect(dc, &options, w.lightBlueBrush);
    FillRect(dc, &airport, w.blackBrush);
    FillRect(dc, &status, w.blackBrush);
    FillRect(dc, &bottom, w.blackBrush);
    SelectObject(dc, w.blackPen);
    for (const SeparatorLine& line : w.separators)
    {
        MoveToEx(dc, line.from.x, line.from.y, nullptr);
        LineTo(dc, line.to.x, line.to.y);
    }
    SelectObject(dc, w.whitePen);
    for (int y : {28, 112, 392, 448})
    {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, kMainWindowWidth, y);
    }
}

void lf_paintTexts(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    lf_text(dc, 3, 7, fmt::format("Version {}.{}.{}", g_version.major, g_version.minor, g_version.patch),
            kLime);
    lf_text(dc, 400, 7, std::string(g_programShortName), kLime);
    std::string simulator = gf_simPanelTexts().simulator;
    const std::string follow = g_followText.load();
    if (simulator.empty())
    {
        simulator = g_simConnectedShown.load() != 0 ? "Simulator connected" : "Simulator not connected";
    }
    lf_text(dc, 5, 35, fmt::format("{}{}", simulator, g_simRunningShown.load() != 0 ? ", running" : ""),
            kLime);
    lf_text(dc, 5, 63,
            fmt::format("RT API: {}   Traffic: {}   Weather: {}   QNH: {}",
                        g_authenticated.load() != 0 ? "logged in" : "not logged in",
                        lf_indicatorText(g_trafficIndicator.load()),
                        lf_indicatorText(g_weatherIndicator.load()), g_qnhShown.load()),
            kLime);
    lf_text(dc, 5, 91,
            fmt::format("my_simaddon: {}   my_thirdparty: {}   {}", g_mySimaddonCount.load(),
                        g_myThirdpartyCount.load(), follow),
            kLime);
    for (const Label& label : g_labels)
    {
        lf_text(dc, label.x, label.y, label.text, kBlack);
    }
    const StatusTexts texts = gf_statusTexts();
    if (!texts.error.empty())
    {
        lf_text(dc, 3, 455, texts.error, kRed);
    }
    else
    {
        lf_text(dc, 3, 455, texts.status, kYellow);
    }
}

} // namespace

void lf_createControls(HWND parent, const CREATESTRUCTW& creation)
{
    g_labels.clear();
    RowCursor cursor;
    auto addLabel = [&](int row, const std::string& key)
    {
        const std::string text = lf_labelOf(key);
        g_labels.push_back({cursor.take(row, lf_labelWidth(text)), row, text});
    };
    lf_createCombo(SIM_CHOICE, parent, creation, cursor.take(SIM_CHOICE.row, 100), 100);
    lf_createSettingEdit(ALL_INSTALL_PATH, parent, creation, 111, 1200, lf_settingEditProc);
    lf_createSettingEdit(BLOCK_CALLSIGN, parent, creation, 107, 100, lf_settingEditProc);
    cursor.startAfter(BLOCK_CALLSIGN.row, 107 + 100);
    lf_createSettingEdit(DESTINATION, parent, creation, 217, 50, lf_settingEditProc);
    cursor.startAfter(DESTINATION.row, 217 + 50);
    for (BoolParameter* parameter : g_boolParameters)
    {
        lf_createSettingCheckbox(*parameter, parent, creation, cursor.take(parameter->row, 12));
        addLabel(parameter->row, parameter->name);
    }
    auto addCombo = [&](auto& parameter)
    {
        addLabel(parameter.row, parameter.name);
        lf_createCombo(parameter, parent, creation, cursor.take(parameter.row, kComboWidth), kComboWidth);
    };
    for (IntListParameter* parameter : g_intListParameters)
    {
        addCombo(*parameter);
    }
    addCombo(parking_percentage);
    addCombo(MAX_FIT_FL);
    addCombo(AI_PACKAGE_SELECTOR);
    addCombo(CALLSIGN_2_OBJECTID);
}

bool lf_HandleWMCOMMAND(HWND /*window*/, WPARAM /*wParam*/)
{
    return false;
}

void lf_paintMainWindow(HDC target)
{
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, kMainWindowWidth, kMainWindowHeight);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    lf_paintPanels(dc);
    lf_paintTexts(dc);
    BitBlt(target, 0, 0, kMainWindowWidth, kMainWindowHeight, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

} // namespace ovr
