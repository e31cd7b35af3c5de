// The owner thread's side of its presenters: reading display events, putting
// painted areas on the display, and the descriptors its wait must watch.
#include "platform/win/message_sources.h"
#include "platform/win/presenter.h"
#include "platform/win/window_registry.h"

#include <utility>

namespace ovr::win
{

namespace
{
// Presenters are owned by their window and used only on the owner thread,
// which is also the only thread that destroys them, so the pointers stay good
// for the length of a call from that thread.
std::vector<std::pair<HWND, Presenter*>> presentersOf(const ThreadQueue& q)
{
    std::vector<std::pair<HWND, Presenter*>> out;
    std::lock_guard lock(registry().mutex);
    for (HWND top : registry().topLevels)
    {
        Window* w = windowLocked(top);
        if (w != nullptr && w->owner.get() == &q && w->presenter)
        {
            out.emplace_back(top, w->presenter.get());
        }
    }
    return out;
}
} // namespace

void processDisplayEvents(const ThreadQueue& q)
{
    for (auto& [hwnd, presenter] : presentersOf(q))
    {
        presenter->processEvents();
    }
}

void presentFrames(const ThreadQueue& q)
{
    for (auto& [hwnd, presenter] : presentersOf(q))
    {
        RECT dirty;
        {
            std::lock_guard lock(registry().mutex);
            Window* w = windowLocked(hwnd);
            if (w == nullptr)
            {
                continue;
            }
            dirty = std::exchange(w->dirty, RECT{0, 0, 0, 0});
        }
        if (!isEmpty(dirty))
        {
            presenter->present(dirty);
        }
    }
}

bool isPresented(HWND topLevel)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(topLevel);
    return w != nullptr && w->presenter != nullptr;
}

std::vector<int> displayFds(const ThreadQueue& q)
{
    std::vector<int> fds;
    for (auto& [hwnd, presenter] : presentersOf(q))
    {
        fds.push_back(presenter->connectionFd());
    }
    return fds;
}

} // namespace ovr::win
