// One message queue per UI thread: cross-thread sent calls, posted messages,
// input and the quit flag, with an eventfd that wakes the owner from its wait
// (which may also watch the X connection and the signal pipe).
#pragma once

#include "platform/win/user32.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ovr::win
{

class ThreadQueue;

// A call marshalled to another thread; the sender blocks until it is done.
struct SentCall
{
    std::function<LRESULT()> run;
    std::weak_ptr<ThreadQueue> replyTo; // woken on completion when the sender has a queue
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    LRESULT result = 0;

    void complete(LRESULT r);
    bool isDone();
};

enum class InputKind
{
    ButtonDown,
    ButtonUp,
    Wheel,
    KeyDown,
    KeyUp,
};

struct InputEvent
{
    InputKind kind = InputKind::ButtonDown;
    HWND topLevel = nullptr;
    POINT point{0, 0};     // top-level client coordinates (mouse)
    int wheelDelta = 0;    // multiples of WHEEL_DELTA
    WPARAM key = 0;        // virtual key
    WCHAR character = 0;   // the UTF-16 unit TranslateMessage makes of the key, or 0
};

class ThreadQueue
{
public:
    // Windows caps a thread's posted messages at 10,000.
    static constexpr std::size_t postedCapacity = 10000;

    ThreadQueue();
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    std::mutex mutex;
    std::condition_variable idleChanged;
    std::deque<std::shared_ptr<SentCall>> sent;
    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    bool quitPosted = false;
    int quitCode = 0;
    bool loopEnded = false; // WM_QUIT was taken or the thread ended: senders get 0 at once
    bool idle = false;      // the owner waits with nothing to do
    std::uint64_t epoch = 0; // counts work arrivals, so the owner never sleeps on fresh work

    const std::thread::id thread;
    bool isCurrent() const { return thread == std::this_thread::get_id(); }

    // owner thread
    HWND focus = nullptr;
    HWND capture = nullptr;

    // Call with mutex held after adding work; then wake() after unlocking.
    void markBusyLocked()
    {
        idle = false;
        ++epoch;
    }
    void wake();
    // Blocks until woken, one of the extra descriptors is readable, or the
    // timeout (ms, -1 = none) passes.
    void wait(int timeoutMs, const std::vector<int>& extraFds);
    // The loop ended: pending and future cross-thread calls return 0.
    void endLoop();

private:
    int wakeFd_ = -1;
};

std::shared_ptr<ThreadQueue> currentQueue();
std::shared_ptr<ThreadQueue> ensureCurrentQueue();

// Runs fn on owner's thread: directly when that is this thread; otherwise
// queued and waited for (handling calls sent to this thread meanwhile), or 0
// at once when owner's loop has ended.
LRESULT runOnThread(const std::shared_ptr<ThreadQueue>& owner, std::function<LRESULT()> fn);
// Runs the calls other threads sent to q (owner thread). True if any ran.
bool runSentCalls(ThreadQueue& q);

} // namespace ovr::win
