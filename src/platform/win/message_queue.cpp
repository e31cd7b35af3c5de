#include "platform/win/message_queue.h"

#include "platform/win/window_registry.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace ovr::win
{

void SentCall::complete(LRESULT r)
{
    {
        std::lock_guard lock(mutex);
        result = r;
        done = true;
    }
    cv.notify_all();
    if (auto q = replyTo.lock())
    {
        q->wake();
    }
}

bool SentCall::isDone()
{
    std::lock_guard lock(mutex);
    return done;
}

ThreadQueue::ThreadQueue() : thread(std::this_thread::get_id()), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ThreadQueue::~ThreadQueue()
{
    if (wakeFd_ >= 0)
    {
        close(wakeFd_);
    }
}

void ThreadQueue::wake()
{
    std::uint64_t one = 1;
    // A full counter still wakes the reader, so a failed write loses nothing.
    [[maybe_unused]] auto n = write(wakeFd_, &one, sizeof one);
    idleChanged.notify_all();
}

void ThreadQueue::wait(int timeoutMs, const std::vector<int>& extraFds)
{
    std::vector<pollfd> fds;
    fds.push_back(pollfd{wakeFd_, POLLIN, 0});
    for (int fd : extraFds)
    {
        fds.push_back(pollfd{fd, POLLIN, 0});
    }
    int rc = 0;
    do
    {
        rc = poll(fds.data(), fds.size(), timeoutMs);
    } while (rc < 0 && errno == EINTR && timeoutMs < 0);
    std::uint64_t count = 0;
    [[maybe_unused]] auto n = read(wakeFd_, &count, sizeof count);
}

void ThreadQueue::endLoop()
{
    std::deque<std::shared_ptr<SentCall>> pending;
    {
        std::lock_guard lock(mutex);
        loopEnded = true;
        pending.swap(sent);
    }
    for (auto& call : pending)
    {
        call->complete(0);
    }
    idleChanged.notify_all();
}

namespace
{
// Ends the loop of a thread that goes away and drops its windows, so that no
// sender waits for a thread that will never answer.
struct QueueHolder
{
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder()
    {
        if (queue)
        {
            queue->endLoop();
            forgetWindowsOf(queue.get());
        }
    }
};
thread_local QueueHolder holder;
} // namespace

std::shared_ptr<ThreadQueue> currentQueue() { return holder.queue; }

std::shared_ptr<ThreadQueue> ensureCurrentQueue()
{
    if (!holder.queue)
    {
        holder.queue = std::make_shared<ThreadQueue>();
    }
    return holder.queue;
}

bool runSentCalls(ThreadQueue& q)
{
    bool ran = false;
    for (;;)
    {
        std::shared_ptr<SentCall> call;
        {
            std::lock_guard lock(q.mutex);
            if (q.sent.empty())
            {
                return ran;
            }
            call = std::move(q.sent.front());
            q.sent.pop_front();
        }
        ran = true;
        // The sender must be released even when the window procedure throws.
        struct Release
        {
            SentCall& call;
            LRESULT result = 0;
            ~Release() { call.complete(result); }
        } release{*call};
        release.result = call->run();
    }
}

LRESULT runOnThread(const std::shared_ptr<ThreadQueue>& owner, std::function<LRESULT()> fn)
{
    if (!owner)
    {
        return 0;
    }
    if (owner->isCurrent())
    {
        return fn();
    }
    auto call = std::make_shared<SentCall>();
    call->run = std::move(fn);
    auto self = currentQueue();
    call->replyTo = self;
    {
        std::lock_guard lock(owner->mutex);
        if (owner->loopEnded)
        {
            return 0;
        }
        owner->sent.push_back(call);
        owner->markBusyLocked();
    }
    owner->wake();
    if (!self)
    {
        std::unique_lock lock(call->mutex);
        call->cv.wait(lock, [&] { return call->done; });
        return call->result;
    }
    // A UI thread that waits still answers calls sent to it, so two UI
    // threads sending to each other cannot deadlock.
    while (!call->isDone())
    {
        runSentCalls(*self);
        if (call->isDone())
        {
            break;
        }
        self->wait(-1, {});
    }
    std::lock_guard lock(call->mutex);
    return call->result;
}

} // namespace ovr::win
