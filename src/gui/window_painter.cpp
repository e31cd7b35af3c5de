// Painting of the main window: one pass into an off-screen bitmap, copied to
// the screen at once. The painter only reads: every figure comes from the
// code that owns it (the panels' published values, the settings), and that
// code asks for a repaint of its band.
#include <algorithm>
#include <exception>
#include <mutex>
#include <string>
#include <unordered_set>

#include <fmt/format.h>

#include "airports/airport_panel_figures.h"
#include "airports/park_airport.h"
#include "airports/park_airport_panel.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/window_requests.h"
#include "gui/app_window.h"
#include "gui/main_window.h"
#include "gui/main_window_detail.h"
#include "gui/main_window_state.h"
#include "gui/window_state.h"
#include "liveries/livery_data.h"
#include "scanners/airport_file_counts.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "simlink/sim_panel_fields.h"
#include "traffic/park_airports.h"

namespace ovr
{

namespace
{

// Text colours as COLORREF (0x00BBGGRR).
constexpr COLORREF kLime = 0x32CD32;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlack = 0;
constexpr COLORREF kGrey = 0xA0A0A0;

constexpr RECT kTitleRect{0, 0, kMainWindowWidth, 28};
constexpr RECT kSimIndicatorRect{397, 30, 426, 113};
constexpr RECT kServiceIndicatorRect{425, 30, 454, 113};
constexpr RECT kStatusBarFill{0, 448, 881, 477};

// The right end of a text whose next field starts at column x.
constexpr int lf_clipBefore(int x)
{
    return x - 4;
}

void lf_line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void lf_fill(HDC dc, const RECT& rect, HBRUSH brush)
{
    FillRect(dc, &rect, brush);
}

HBRUSH lf_brushOf(COLORREF colour)
{
    const MainWindow& w = g_mainWindow;
    switch (colour)
    {
    case kLime:
        return w.limeBrush;
    case kYellow:
        return w.yellowBrush;
    case kRed:
        return w.redBrush;
    default:
        return w.blackBrush;
    }
}

bool lf_enabled(const WindowControl& control)
{
    return control.hwnd != nullptr && IsWindowEnabled(control.hwnd) != FALSE;
}

void lf_paintStatusPanel(HDC dc)
{
    const SimPanelTexts sim = gf_simPanelTexts();
    const bool connected = g_simConnectedShown.load() != 0;
    const bool running = g_simRunningShown.load() != 0;
    COLORREF simColour = kRed;
    if (connected)
    {
        simColour = running && !sim.userAircraft.empty() ? kLime : kYellow;
    }
    lf_fill(dc, kSimIndicatorRect, lf_brushOf(simColour));
    lf_textOutUtf8(dc, 398, 63, "Sim", kLime);
    if (connected)
    {
        std::string line = sim.simulator;
        if (!sim.userStand.empty())
        {
            line += ", user stand " + sim.userStand;
        }
        lf_textOutUtf8(dc, 5, 35, line, simColour, lf_clipBefore(kSimIndicatorRect.left));
        lf_textOutUtf8(dc, 5, 63, sim.userAircraft, simColour, lf_clipBefore(kSimIndicatorRect.left));
    }
    else
    {
        lf_textOutUtf8(dc, 5, 35, "MSFS", kLime);
    }
    const std::int64_t liveries = g_liveriesCount.load();
    if (liveries == 0)
    {
        lf_textOutUtf8(dc, 5, 91, "# liveries: ...", kRed);
    }
    else
    {
        lf_textOutUtf8(dc, 5, 91, fmt::format("# liveries: {}", liveries), kLime);
    }
    const auto count = [dc](int x, std::string_view label, std::int64_t n)
    {
        if (n == 0)
        {
            lf_textOutUtf8(dc, x, 91, fmt::format("{}...", label), kYellow);
        }
        else
        {
            lf_textOutUtf8(dc, x, 91, fmt::format("{}{}", label, n), kLime);
        }
    };
    count(141, "# simaddon: ", g_mySimaddonCount.load());
    count(278, "# thirdp: ", g_myThirdpartyCount.load());
    const bool authenticated = g_authenticated.load() != 0;
    COLORREF serviceColour = authenticated ? kLime : kRed;
    lf_fill(dc, kServiceIndicatorRect,
            g_serviceNotStarted.load() != 0 ? g_mainWindow.blackBrush : lf_brushOf(serviceColour));
    lf_textOutUtf8(dc, 430, 63, "RT", kLime);
    if (authenticated)
    {
        lf_textOutUtf8(dc, 458, 35, g_accountText.load(), kLime);
        const auto indicator = [dc](int y, std::string_view text, std::int32_t state)
        {
            if (state == kIndicatorReceiving || state == kIndicatorWaiting)
            {
                lf_textOutUtf8(dc, 458, y, text, state == kIndicatorReceiving ? kLime : kYellow);
            }
        };
        indicator(63, "Weather", g_weatherIndicator.load());
        indicator(91, "Traffic", g_trafficIndicator.load());
    }
    SelectObject(dc, g_mainWindow.blackPen);
    lf_line(dc, 425, 29, 425, 112);
}

void lf_paintServiceFigures(HDC dc)
{
    if (g_authenticated.load() == 0)
    {
        return;
    }
    const std::int32_t weather = g_weatherIndicator.load();
    if (weather == kIndicatorReceiving || weather == kIndicatorWaiting)
    {
        const std::int32_t qnh = g_qnhShown.load();
        lf_textOutUtf8(dc, 642, 63, qnh < 1 ? std::string() : fmt::format("qnh: {:4}", qnh), kLime);
    }
    const std::int32_t traffic = g_trafficIndicator.load();
    if (traffic == kIndicatorReceiving || traffic == kIndicatorWaiting)
    {
        lf_textOutUtf8(dc, 642, 91, fmt::format("live: {:3}", g_movingCount.load()), kLime);
    }
}

struct LabelSpec
{
    const char* text;
    int x;
    int y;
};

// Labels that are always black.
constexpr LabelSpec kPlainLabels[] = {
    {"Meta:", 652, 147},
    {"Stay on top", 768, 147},
    {"Oid list", 672, 175},
    {"Nav lights", 768, 175},
    {"Automatic:", 237, 147},
    {"Prioritize", 556, 147},
    {"Max aircraft matching depth", 5, 203},
    {"Optional:", 258, 203},
    {"Traffic injection", 5, 231},
    {"Radius:", 163, 231},
    {"nm, or", 270, 231},
    {"Auto radius", 343, 231},
    {"Block callsign:", 5, 259},
    {"Collision avoidance", 5, 287},
    {"User ground", 237, 287},
    {"User air", 343, 287},
    {"Live X parked", 450, 287},
    {"Destination:", 137, 343},
    {"Range:", 303, 343},
    {"nm", 403, 343},
    {"Height above gnd:", 440, 343},
    {"ft", 646, 343},
    {"hrs", 632, 371},
    {"PT only", 687, 371},
};

// A label in yellow while `warn` holds, else black.
void lf_warnLabel(HDC dc, int x, int y, std::string_view text, bool warn)
{
    lf_textOutUtf8(dc, x, y, text, warn ? kYellow : kBlack);
}

void lf_paintOptionLabels(HDC dc)
{
    for (const LabelSpec& label : kPlainLabels)
    {
        lf_labelText(dc, label.x, label.y, label.text, true);
    }
    lf_warnLabel(dc, 768, 203, "GUID changes", !GUID_CHANGES.current.load());
    const bool timeControls = g_timeControlsEnabled.load() != 0;
    lf_labelText(dc, 652, 231, "Time shift:", timeControls);
    lf_labelText(dc, 672, 287, "Keep", timeControls);
    lf_labelText(dc, 672, 259, "Sim Time", timeControls);
    lf_labelText(dc, 798, 231, fmt::format("day{}", gf_plural(TIME_SHIFT_DAYS.current.load())), timeControls);
    lf_labelText(dc, 798, 259, fmt::format("hour{}", gf_plural(TIME_SHIFT_HOURS.current.load())), timeControls);
    lf_labelText(dc, 798, 287, fmt::format("minute{}", gf_plural(TIME_SHIFT_MINS.current.load())), timeControls);
    lf_warnLabel(dc, 25, 147, "Scan for liveries", SCAN_LIVERIES.current.load());
    lf_warnLabel(dc, 25, 175, "Scan for addon airports", SCAN_AIRPORTS.current.load());
    lf_labelText(dc, 343, 203, "Light aircraft", lf_enabled(LIGHT_AIRCRAFT));
    lf_labelText(dc, 450, 203, "Helicopters", lf_enabled(HELICOPTERS));
    lf_labelText(dc, 556, 203, "FighterJets", lf_enabled(HIGH_PERF_AIRCRAFT));
    const bool autoRange = AUTO_RANGE.current.load();
    lf_labelText(dc, 430, 231, "Ah:", autoRange);
    lf_labelText(dc, 536, 231, "ft", autoRange);
    lf_warnLabel(dc, 592, 231, "AirOnly", AIRBORNE_ONLY.current.load());
    const bool busy = g_parkingBusy.load() != 0;
    lf_warnLabel(dc, 5, 315, "Airport parking", busy);
    const bool noPark = MAX_PARK_SEL.current.load() == 0;
    const bool noLive = MAX_LIVE_SEL.current.load() == 0;
    const auto maxColour = [noPark, noLive](bool own) { return noPark && noLive ? kRed : own ? kYellow : kBlack; };
    lf_textOutUtf8(dc, 171, 315, "Max park (static+live):", maxColour(noPark));
    lf_textOutUtf8(dc, 401, 315, "Max live (park incl):", maxColour(noLive));
    lf_labelText(dc, 672, 315, "Straight push backs only", STRAIGHT_PBS_ONLY.current.load());
    lf_warnLabel(dc, 25, 371, "ILO", INITIAL_LOAD_ONLY.current.load());
    const bool percentages = !RT_PARKTRAFFIC_ONLY.current.load();
    lf_labelText(dc, 91, 371, "Week", percentages);
    lf_labelText(dc, 171, 371, "Soft", percentages);
    lf_labelText(dc, 264, 371, "Target: ", percentages);
    lf_labelText(dc, 378, 371, "%", percentages);
    lf_labelText(dc, 506, 371, "Max fit:", percentages);
    if (g_tbloCount.load() > 0)
    {
        lf_textOutUtf8(dc, 303, 175, "New airports found: please send tblo.zip in", kYellow);
    }
    if (!CALLSIGN_2_OBJECTID.value().empty())
    {
        const std::string follow = g_followText.load();
        if (!follow.empty())
        {
            lf_textOutUtf8(dc, 476, 259, follow, kBlack);
        }
    }
    bool parkAirport = false;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        parkAirport = !g_parkAirport.icao.empty();
    }
    if (parkAirport && !busy)
    {
        const std::int32_t minutes = g_staticRenewMinutes.load();
        if (INITIAL_LOAD_ONLY.current.load())
        {
            lf_textOutUtf8(dc, 5, 343, "(no next ... )", kBlack);
        }
        else if (minutes >= 1 && minutes <= 19)
        {
            lf_labelText(dc, 5, 343, fmt::format("(next in {} min)", minutes), true);
        }
    }
}

void lf_paintAirportPanel(HDC dc)
{
    std::string icao;
    std::string reservedStand;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        if (!g_parkAirport.icao.empty())
        {
            icao = g_parkAirport.icao.text();
        }
        reservedStand = g_reservedStand;
    }
    if (icao.empty())
    {
        return;
    }
    const bool read = g_parkDataRead.load() != 0;
    // Every text ends before the column of the next field, so that a long
    // one (a description with its publisher) never runs into it.
    lf_textOutUtf8(dc, 5, 399, icao, read ? kLime : kYellow, lf_clipBefore(45));
    if (!read)
    {
        return;
    }
    const ParkAirportPanel panel = gf_parkAirportPanel();
    lf_textOutUtf8(dc, 45, 399,
                   fmt::format(" {}, {}{}, wk={}", panel.description, panel.fileText,
                               panel.handmade ? " (h)" : "", panel.trafficWeek),
                   kLime, lf_clipBefore(370));
    const bool soft = g_fitUsedSoft.load() != 0;
    const bool otherDays = g_fitUsedOtherDays.load() != 0;
    if (soft || otherDays)
    {
        lf_textOutUtf8(dc, 370, 399,
                       soft && otherDays ? "*WS*"
                       : soft            ? "*S*"
                                         : "*W*",
                       kLime, lf_clipBefore(430));
    }
    const bool percentages = !RT_PARKTRAFFIC_ONLY.current.load();
    if (percentages)
    {
        lf_textOutUtf8(dc, 430, 399, fmt::format("qf: {}", panel.qualityText), kLime, lf_clipBefore(571));
    }
    if (!reservedStand.empty())
    {
        lf_textOutUtf8(dc, 571, 399, fmt::format("reserved stand: {}", reservedStand),
                       g_reservedStandFound.load() != 0 ? kLime : kRed, lf_clipBefore(748));
    }
    lf_textOutUtf8(dc, 748, 399, fmt::format("# updates: {:4}", g_apfUpdatesShown.load()), kLime);
    lf_textOutUtf8(dc, 5, 427, fmt::format("# stands: {:3}", panel.standCount), kLime, lf_clipBefore(111));
    lf_textOutUtf8(dc, 111, 427, fmt::format("parked live: {:3}", g_parkedLiveCount.load()), kLime,
                   lf_clipBefore(249));
    const float parkedMean = g_parkedMeanHoursShown.load();
    if (parkedMean > 0.0f)
    {
        lf_textOutUtf8(dc, 249, 427, fmt::format("average fit: {}", gf_formatOneDecimal(parkedMean)), kLime,
                       lf_clipBefore(430));
    }
    const std::int32_t wanted = g_staticWanted.load();
    if (wanted > 0)
    {
        // The waiting count follows the static count as its suffix.
        lf_textOutUtf8(dc, 430, 427, fmt::format("static: {:3}", g_staticCount.load()), kLime,
                       lf_clipBefore(571));
        const std::int32_t waiting = g_parkingCandidateCount.load();
        if (waiting > 0)
        {
            lf_textOutUtf8(dc, 500, 427, fmt::format(" ({})", waiting), kYellow, lf_clipBefore(571));
        }
        const float staticMean = g_staticMeanFitShown.load();
        if (!otherDays && staticMean > 0.0f)
        {
            lf_textOutUtf8(dc, 571, 427, fmt::format("average fit: {}", gf_formatOneDecimal(staticMean)),
                           kLime, lf_clipBefore(708));
        }
    }
    if (percentages)
    {
        lf_textOutUtf8(dc, 708, 427,
                       wanted != 0 ? fmt::format("max park: {:3} (={} %)", wanted, g_staticWantedPercent.load())
                                   : std::string("no max park live"),
                       kLime);
    }
}

void lf_paintStatusBar(HDC dc)
{
    const StatusTexts texts = gf_statusTexts();
    if (!texts.error.empty())
    {
        lf_fill(dc, kStatusBarFill, g_mainWindow.redBrush);
        lf_textOutUtf8(dc, 3, 455, texts.error, kYellow);
        return;
    }
    lf_fill(dc, kStatusBarFill, g_mainWindow.limeBrush);
    if (!texts.status.empty())
    {
        lf_textOutUtf8(dc, 3, 455, texts.status, kYellow);
    }
}

void lf_paintBands(HDC dc)
{
    const MainWindow& w = g_mainWindow;
    lf_fill(dc, kTitleRect, w.blackBrush);
    lf_fill(dc, kTopPanelRect, w.blackBrush);
    lf_fill(dc, kOptionsAreaRect, w.lightBlueBrush);
    lf_fill(dc, kCandidatesStripRect, w.blackBrush);
    lf_fill(dc, kStatusStripRect, w.limeBrush);
    SelectObject(dc, w.whitePen);
    for (const int y : {28, 113, 449, 392})
    {
        lf_line(dc, 0, y, kMainWindowWidth, y);
    }
    SetBkMode(dc, TRANSPARENT);
    lf_textOutUtf8(dc, 3, 7, fmt::format("Version {}.{}.{}", g_version.major, g_version.minor, g_version.patch),
                   kLime);
    lf_textOutUtf8(dc, 390, 7, g_programShortName, kLime);
    SelectObject(dc, w.blackPen);
    for (const SeparatorLine& line : w.separators)
    {
        lf_line(dc, line.from.x, line.from.y, line.to.x, line.to.y);
    }
    lf_line(dc, 642, 140, 642, 308);
}

// How many UTF-16 units of `text` fit into `width` pixels.
std::size_t lf_unitsThatFit(HDC dc, std::wstring_view text, int width)
{
    const auto widthOf = [dc, text](std::size_t units)
    {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(units), &size);
        return size.cx;
    };
    std::size_t fits = std::min<std::size_t>(text.size(), 2147483647u);
    if (width >= kNoClip / 2 || widthOf(fits) <= width)
    {
        return fits;
    }
    // The longest prefix that fits: widths grow with the prefix.
    std::size_t low = 0;
    std::size_t high = fits;
    while (low < high)
    {
        const std::size_t mid = low + (high - low + 1) / 2;
        if (widthOf(mid) <= width)
        {
            low = mid;
        }
        else
        {
            high = mid - 1;
        }
    }
    // Never half a surrogate pair.
    if (low > 0 && text[low - 1] >= 0xD800 && text[low - 1] <= 0xDBFF)
    {
        --low;
    }
    return low;
}

} // namespace

COLORREF lf_textOutUtf8(HDC dc, int x, int y, std::string_view text, COLORREF colour, int right)
{
    // Shown text can come from any file, reply or exception: what does not
    // convert is reported once per text and drawn with replacement
    // characters. Several such texts are repainted in turn, so all are
    // remembered, up to a bound that no window ever shows at once.
    constexpr std::size_t kRememberedFailures = 256;
    static std::unordered_set<std::string> failed; // UI thread only
    const COLORREF previous = SetTextColor(dc, colour);
    try
    {
        (void)gf_utf8ToWide(text);
    }
    catch (const std::exception& e)
    {
        if (!gf_isQuiet() && failed.size() < kRememberedFailures && failed.emplace(text).second)
        {
            gf_log(fmt::format("TextOut utf8  to wide failed for '{}': {}", text, e.what()));
        }
    }
    const std::wstring wide = gf_utf8ToWideLenient(text);
    const std::size_t length = lf_unitsThatFit(dc, wide, right - x);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(length));
    SetTextColor(dc, previous);
    return previous;
}

COLORREF lf_labelText(HDC dc, int x, int y, std::string_view text, bool enabled)
{
    return lf_textOutUtf8(dc, x, y, text, enabled ? kBlack : kGrey);
}

void lf_paintMainWindow(HDC target)
{
    // The off-screen bitmap is made once and kept: a new 880 x 516 bitmap
    // for every paint costs more than the painting itself. UI thread only.
    static HDC dc = nullptr;
    if (dc == nullptr)
    {
        dc = CreateCompatibleDC(target);
        SelectObject(dc, CreateCompatibleBitmap(target, kMainWindowWidth, kMainWindowHeight));
    }
    const int saved = SaveDC(dc);
    lf_paintBands(dc);
    lf_paintStatusPanel(dc);
    lf_paintServiceFigures(dc);
    lf_paintOptionLabels(dc);
    lf_paintAirportPanel(dc);
    lf_paintStatusBar(dc);
    RestoreDC(dc, saved);
    BitBlt(target, 0, 0, kMainWindowWidth, kMainWindowHeight, dc, 0, 0, SRCCOPY);
}

} // namespace ovr
