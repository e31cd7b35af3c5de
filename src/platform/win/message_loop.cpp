// GetMessageW and friends. The order in which a thread's work is taken is the
// Win32 one: calls sent from other threads (run inside the call, never
// returned), posted messages in FIFO order, input, WM_PAINT synthesised from
// update regions, and last WM_QUIT.
#include "platform/kernel/close_signals.h"
#include "platform/kernel/last_error.h"
#include "platform/win/message_sources.h"
#include "platform/win/window_registry.h"

#include <chrono>

namespace ovr::win
{

namespace
{

bool inRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool isSelfOrChild(HWND filter, HWND hwnd)
{
    if (filter == nullptr || filter == hwnd)
    {
        return true;
    }
    std::lock_guard lock(registry().mutex);
    for (Window* w = windowLocked(hwnd); w != nullptr; w = windowLocked(w->parent))
    {
        if (w->parent == filter)
        {
            return true;
        }
    }
    return false;
}

// SIGINT and SIGTERM ask the program to close like its close button does.
void handleCloseSignal()
{
    if (!kernel::takeCloseSignal())
    {
        return;
    }
    HWND main = nullptr;
    {
        std::lock_guard lock(registry().mutex);
        if (!registry().topLevels.empty())
        {
            main = registry().topLevels.front();
        }
    }
    if (main != nullptr)
    {
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    else
    {
        kernel::keepCloseSignal(); // no window yet: the next loop takes it
    }
}

bool takeMessage(ThreadQueue& q, MSG* out, HWND filter, UINT min, UINT max, bool remove)
{
    handleCloseSignal();
    processDisplayEvents(q);
    runSentCalls(q);
    {
        std::lock_guard lock(q.mutex);
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it)
        {
            if (inRange(it->message, min, max) && (filter == nullptr || it->hwnd == filter))
            {
                *out = *it;
                if (remove)
                {
                    q.posted.erase(it);
                }
                return true;
            }
        }
    }
    for (;;)
    {
        InputEvent e;
        {
            std::lock_guard lock(q.mutex);
            if (q.input.empty())
            {
                break;
            }
            e = q.input.front();
            if (remove)
            {
                q.input.pop_front();
            }
        }
        if (auto m = translateInput(q, e); m && isSelfOrChild(filter, m->hwnd) && inRange(m->message, min, max))
        {
            *out = *m;
            return true;
        }
        if (!remove)
        {
            break;
        }
    }
    if (inRange(WM_PAINT, min, max))
    {
        if (HWND h = windowNeedingPaint(q, filter))
        {
            *out = MSG{h, WM_PAINT, 0, 0, messageTime(), {0, 0}, 0};
            return true;
        }
    }
    std::lock_guard lock(q.mutex);
    if (q.quitPosted)
    {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, messageTime(), {0, 0}, 0};
        if (remove)
        {
            q.quitPosted = false;
        }
        return true;
    }
    return false;
}

void reopen(ThreadQueue& q)
{
    std::lock_guard lock(q.mutex);
    q.loopEnded = false;
}

std::uint64_t epochOf(ThreadQueue& q)
{
    std::lock_guard lock(q.mutex);
    return q.epoch;
}

std::vector<int> waitFds(const ThreadQueue& q)
{
    std::vector<int> fds = displayFds(q);
    if (int fd = kernel::closeSignalFd(); fd >= 0)
    {
        fds.push_back(fd);
    }
    return fds;
}

} // namespace

DWORD messageTime()
{
    static const auto start = std::chrono::steady_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return static_cast<DWORD>(ms.count());
}

} // namespace ovr::win

using namespace ovr::win;

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (msg == nullptr)
    {
        return -1;
    }
    auto q = ensureCurrentQueue();
    reopen(*q);
    for (;;)
    {
        std::uint64_t seen = epochOf(*q);
        if (takeMessage(*q, msg, hwnd, filterMin, filterMax, true))
        {
            if (msg->message == WM_QUIT)
            {
                screenshotFinal(*q);
                q->endLoop();
                return FALSE;
            }
            return TRUE;
        }
        presentFrames(*q);
        int timeout = screenshotTick(*q);
        {
            std::lock_guard lock(q->mutex);
            if (q->epoch != seen || !q->sent.empty())
            {
                continue; // work arrived meanwhile
            }
            q->idle = true;
        }
        q->idleChanged.notify_all();
        q->wait(timeout, waitFds(*q));
        std::lock_guard lock(q->mutex);
        q->idle = false;
    }
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (msg == nullptr)
    {
        return FALSE;
    }
    auto q = ensureCurrentQueue();
    reopen(*q);
    bool remove = (removeMsg & PM_REMOVE) != 0;
    if (takeMessage(*q, msg, hwnd, filterMin, filterMax, remove))
    {
        if (msg->message == WM_QUIT && remove)
        {
            screenshotFinal(*q);
            q->endLoop();
        }
        return TRUE;
    }
    presentFrames(*q);
    screenshotTick(*q);
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN || msg->lPrivate == 0)
    {
        return FALSE;
    }
    auto q = ensureCurrentQueue();
    {
        std::lock_guard lock(q->mutex);
        // The character comes next, before anything posted after the key.
        q->posted.push_front(MSG{msg->hwnd, WM_CHAR, static_cast<WPARAM>(msg->lPrivate), msg->lParam, msg->time,
                                 msg->pt, 0});
        q->markBusyLocked();
    }
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr)
    {
        return 0;
    }
    if (msg->message != WM_PAINT)
    {
        return callWindowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
    auto paints = [&] {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(msg->hwnd);
        return w == nullptr ? std::uint64_t{0} : w->paintCount;
    };
    std::uint64_t before = paints();
    LRESULT r = callWindowProc(msg->hwnd, WM_PAINT, msg->wParam, msg->lParam);
    if (paints() == before)
    {
        // A procedure that ignored WM_PAINT would otherwise get it forever.
        ValidateRect(msg->hwnd, nullptr);
    }
    return r;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<ThreadQueue> q = hwnd == nullptr ? currentQueue() : ownerOf(hwnd);
    if (!q)
    {
        if (hwnd != nullptr)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        }
        // A thread without a queue (say, a status write before the window
        // exists) has nobody to read the message: it is dropped.
        return FALSE;
    }
    {
        std::lock_guard lock(q->mutex);
        if (q->posted.size() >= ThreadQueue::postedCapacity)
        {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        }
        q->posted.push_back(MSG{hwnd, msg, wParam, lParam, messageTime(), {0, 0}, 0});
        q->markBusyLocked();
    }
    q->wake();
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return runOnOwner(hwnd, [=] { return callWindowProc(hwnd, msg, wParam, lParam); });
}

void PostQuitMessage(int exitCode)
{
    auto q = ensureCurrentQueue();
    {
        std::lock_guard lock(q->mutex);
        q->quitPosted = true;
        q->quitCode = exitCode;
        q->markBusyLocked();
    }
    q->wake();
}
