// Preloaded into the program by the fault scenarios to stand for a full disk
// or a process killed in the middle of a write, without a mount. Only writes
// to files whose path ends with the text VORA_WRITE_FAULT names are touched:
//   fail:SUFFIX          the write fails with ENOSPC
//   hold:SUFFIX:MARKER   half of the first write goes out, MARKER is created
//                        and the writing thread blocks until it is killed
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/uio.h>
#include <unistd.h>

typedef ssize_t (*WriteFn)(int, const void*, size_t);
typedef ssize_t (*WritevFn)(int, const struct iovec*, int);

enum Mode
{
    kNone,
    kFail,
    kHold
};

static enum Mode lf_mode(char* suffix, size_t suffixSize, char* marker, size_t markerSize)
{
    const char* spec = getenv("VORA_WRITE_FAULT");
    if (spec == NULL)
        return kNone;
    enum Mode mode = kNone;
    if (strncmp(spec, "fail:", 5) == 0)
        mode = kFail;
    else if (strncmp(spec, "hold:", 5) == 0)
        mode = kHold;
    else
        return kNone;
    spec += 5;
    const char* colon = mode == kHold ? strchr(spec, ':') : NULL;
    const size_t length = colon != NULL ? (size_t)(colon - spec) : strlen(spec);
    if (length == 0 || length >= suffixSize)
        return kNone;
    memcpy(suffix, spec, length);
    suffix[length] = '\0';
    marker[0] = '\0';
    if (colon != NULL && strlen(colon + 1) < markerSize)
        strcpy(marker, colon + 1);
    return mode;
}

// The fault that applies to writes on `fd`.
static enum Mode lf_faultFor(int fd, char* marker, size_t markerSize)
{
    char suffix[256];
    const enum Mode mode = lf_mode(suffix, sizeof suffix, marker, markerSize);
    if (mode == kNone)
        return kNone;
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return kNone;
    path[n] = '\0';
    const size_t pathLength = (size_t)n;
    const size_t suffixLength = strlen(suffix);
    if (pathLength < suffixLength || strcmp(path + pathLength - suffixLength, suffix) != 0)
        return kNone;
    return mode;
}

static void lf_holdForever(const char* marker)
{
    if (marker[0] != '\0')
    {
        const int fd = open(marker, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            close(fd);
    }
    for (;;)
        pause();
}

ssize_t write(int fd, const void* data, size_t size)
{
    static WriteFn next = NULL;
    if (next == NULL)
        next = (WriteFn)dlsym(RTLD_NEXT, "write");
    char marker[4096];
    switch (lf_faultFor(fd, marker, sizeof marker))
    {
    case kFail:
        errno = ENOSPC;
        return -1;
    case kHold:
        next(fd, data, size / 2);
        lf_holdForever(marker);
        return -1;
    default:
        return next(fd, data, size);
    }
}

ssize_t writev(int fd, const struct iovec* parts, int count)
{
    static WritevFn next = NULL;
    if (next == NULL)
        next = (WritevFn)dlsym(RTLD_NEXT, "writev");
    char marker[4096];
    switch (lf_faultFor(fd, marker, sizeof marker))
    {
    case kFail:
        errno = ENOSPC;
        return -1;
    case kHold:
        if (count > 0)
            write(fd, parts[0].iov_base, parts[0].iov_len);
        lf_holdForever(marker);
        return -1;
    default:
        return next(fd, parts, count);
    }
}
