#include "platform/win/screenshot.h"

#include "platform/win/gdi/png_writer.h"
#include "platform/win/message_sources.h"
#include "platform/win/window_registry.h"

#include <chrono>
#include <cstdlib>
#include <optional>

namespace ovr::win
{

namespace
{
using Clock = std::chrono::steady_clock;
constexpr auto interval = std::chrono::seconds(1);

struct ScreenshotState
{
    std::mutex mutex;
    std::uint64_t writtenVersion = 0;
    Clock::time_point writtenAt{};
};

const std::optional<std::filesystem::path>& screenshotFile()
{
    static const std::optional<std::filesystem::path> file = []() -> std::optional<std::filesystem::path> {
        const char* v = std::getenv("VORA_SCREENSHOT");
        if (v == nullptr || *v == '\0')
        {
            return std::nullopt;
        }
        return std::filesystem::path(v);
    }();
    return file;
}

ScreenshotState& state()
{
    static ScreenshotState s;
    return s;
}

// The program's main window: the first top-level window, when q owns it.
std::optional<std::pair<Image, std::uint64_t>> mainFrame(const ThreadQueue& q)
{
    std::lock_guard lock(registry().mutex);
    for (HWND top : registry().topLevels)
    {
        Window* w = windowLocked(top);
        if (w != nullptr && w->framebuffer)
        {
            if (w->owner.get() != &q)
            {
                return std::nullopt;
            }
            return std::make_pair(*w->framebuffer, w->frameVersion);
        }
    }
    return std::nullopt;
}

void writeIfChanged(const ThreadQueue& q, bool force)
{
    const auto& file = screenshotFile();
    if (!file)
    {
        return;
    }
    auto& s = state();
    std::lock_guard lock(s.mutex);
    auto now = Clock::now();
    if (!force && now - s.writtenAt < interval)
    {
        return;
    }
    auto frame = mainFrame(q);
    if (!frame || frame->second == s.writtenVersion)
    {
        return;
    }
    writePng(*file, frame->first);
    s.writtenVersion = frame->second;
    s.writtenAt = now;
}
} // namespace

int screenshotTick(const ThreadQueue& q)
{
    if (!screenshotFile())
    {
        return -1;
    }
    writeIfChanged(q, false);
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(interval).count());
}

void screenshotFinal(const ThreadQueue& q) { writeIfChanged(q, true); }

bool writeWindowPng(HWND topLevel, const std::filesystem::path& file)
{
    std::optional<Image> copy;
    runOnOwner(topLevel, [&]() -> LRESULT {
        std::lock_guard lock(registry().mutex);
        if (Window* w = windowLocked(topLevel); w != nullptr && w->framebuffer)
        {
            copy = *w->framebuffer;
        }
        return 0;
    });
    return copy && writePng(file, *copy);
}

} // namespace ovr::win
