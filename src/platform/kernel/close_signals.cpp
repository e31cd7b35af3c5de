#include "platform/kernel/close_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace ovr::kernel
{

namespace
{
std::atomic<int> readFd{-1};
std::atomic<int> writeFd{-1};
std::atomic<bool> kept{false};

void onCloseSignal(int)
{
    int saved = errno;
    char byte = 1;
    int fd = writeFd.load();
    if (fd >= 0)
    {
        [[maybe_unused]] auto n = write(fd, &byte, 1);
    }
    errno = saved;
}
} // namespace

void installCloseSignals()
{
    if (readFd >= 0)
    {
        return;
    }
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
    {
        return;
    }
    writeFd = fds[1];
    readFd = fds[0];
    struct sigaction action{};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int closeSignalFd() { return readFd; }

bool takeCloseSignal()
{
    int fd = readFd;
    if (fd < 0)
    {
        return kept.exchange(false);
    }
    bool any = kept.exchange(false);
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0)
    {
        any = true;
    }
    return any;
}

void keepCloseSignal() { kept = true; }

} // namespace ovr::kernel
