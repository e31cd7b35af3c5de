#include "core/status_line.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include <fmt/format.h>

#include "core/log.h"

namespace ovr
{

namespace
{

// Seconds a message stands beyond the second it was set in.
constexpr std::int32_t kStatusLifeSeconds = 24;

struct StatusLine
{
    std::mutex mutex;
    std::string status;
    std::string error;
    std::int32_t seconds = 0;
    std::int32_t setAt = 0;
};

StatusLine g_statusLine;
std::atomic<StatusPostHook> g_statusPostHook{nullptr};

// The line shows one line of text: a longer text (a file's or a reply's
// content in a message) is cut at a character boundary.
constexpr std::size_t kLongestShownText = 300;

std::string lf_shownLine(std::string_view text)
{
    if (text.size() <= kLongestShownText)
        return std::string(text);
    std::size_t end = kLongestShownText;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end)) + "...";
}

void lf_postStatusRepaint()
{
    if (StatusPostHook hook = g_statusPostHook.load())
        hook(kStatusRepaintMessage);
}

} // namespace

void gf_setStatusPostHook(StatusPostHook hook)
{
    g_statusPostHook.store(hook);
}

void gf_setStatus(std::string_view whole, bool log)
{
    const std::string text = lf_shownLine(whole);
    {
        std::lock_guard lock(g_statusLine.mutex);
        if (!g_statusLine.error.empty())
            return;
        g_statusLine.status = text;
        g_statusLine.setAt = text.empty() ? 0 : std::max<std::int32_t>(g_statusLine.seconds, 1);
    }
    if (log && !text.empty())
        gf_log(text);
    lf_postStatusRepaint();
}

void gf_setErrorStatus(std::string_view whole)
{
    const std::string text = lf_shownLine(whole);
    {
        std::lock_guard lock(g_statusLine.mutex);
        g_statusLine.status.clear();
        g_statusLine.setAt = 0;
        g_statusLine.error = text;
        gf_log(fmt::format("Error {}", text));
    }
    lf_postStatusRepaint();
}

void gf_clearStatus()
{
    gf_setStatus({}, false);
}

void gf_clearErrorStatus()
{
    {
        std::lock_guard lock(g_statusLine.mutex);
        g_statusLine.error.clear();
    }
    gf_clearStatus();
}

void gf_ageStatus()
{
    bool expired = false;
    {
        // Decided and cleared under one lock: a message set in between is
        // never taken for the expired one.
        std::lock_guard lock(g_statusLine.mutex);
        ++g_statusLine.seconds;
        expired = g_statusLine.error.empty() && g_statusLine.setAt > 0 &&
                  g_statusLine.seconds - g_statusLine.setAt > kStatusLifeSeconds;
        if (expired)
        {
            g_statusLine.status.clear();
            g_statusLine.setAt = 0;
        }
    }
    if (expired)
        lf_postStatusRepaint();
}

void gf_resetStatusLine()
{
    {
        std::lock_guard lock(g_statusLine.mutex);
        g_statusLine.status.clear();
        g_statusLine.error.clear();
        g_statusLine.seconds = 0;
        g_statusLine.setAt = 0;
    }
    lf_postStatusRepaint();
}

StatusTexts gf_statusTexts()
{
    std::lock_guard lock(g_statusLine.mutex);
    return {g_statusLine.status, g_statusLine.error};
}

} // namespace ovr
