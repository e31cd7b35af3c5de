#include "platform/win/gdi/paint_record.h"

#include <deque>
#include <mutex>

namespace ovr::win::paint_record
{

namespace
{
// A long run repaints every second; the record keeps the newest calls only.
constexpr std::size_t capacity = 50000;

struct Store
{
    std::mutex mutex;
    std::deque<PaintCall> calls;
};

Store& store()
{
    static Store s;
    return s;
}

thread_local std::vector<HWND> paintStack;
} // namespace

void beginPaint(HWND window) { paintStack.push_back(window); }

void endPaint()
{
    if (!paintStack.empty())
    {
        paintStack.pop_back();
    }
}

bool active() { return !paintStack.empty(); }

void add(PaintCall call)
{
    if (paintStack.empty())
    {
        return;
    }
    call.window = paintStack.back();
    auto& s = store();
    std::lock_guard lock(s.mutex);
    s.calls.push_back(std::move(call));
    if (s.calls.size() > capacity)
    {
        s.calls.pop_front();
    }
}

std::vector<PaintCall> calls()
{
    auto& s = store();
    std::lock_guard lock(s.mutex);
    return {s.calls.begin(), s.calls.end()};
}

void clear()
{
    auto& s = store();
    std::lock_guard lock(s.mutex);
    s.calls.clear();
}

} // namespace ovr::win::paint_record
