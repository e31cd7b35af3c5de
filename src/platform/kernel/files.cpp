#include "platform/kernel/files.h"

#include "platform/kernel/last_error.h"
#include "platform/win/test_support.h"
#include "platform/win/utf16.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <vector>

namespace ovr::kernel
{

namespace
{

struct FileObject : KernelObject
{
    int fd = -1;
    std::filesystem::path path;
    bool deleteOnClose = false;
    ~FileObject() override
    {
        if (fd >= 0)
        {
            close(fd);
        }
        if (deleteOnClose)
        {
            unlink(path.c_str());
        }
    }
};

struct Unwritable
{
    std::mutex mutex;
    std::vector<std::filesystem::path> folders;
};

Unwritable& unwritable()
{
    static Unwritable u;
    return u;
}

bool refusedByTest(const std::filesystem::path& file)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(file, ec).lexically_normal();
    auto& u = unwritable();
    std::lock_guard lock(u.mutex);
    for (const auto& folder : u.folders)
    {
        auto rel = absolute.lexically_relative(folder);
        if (!rel.empty() && *rel.begin() != "..")
        {
            return true;
        }
    }
    return false;
}

int openFlags(DWORD access, DWORD disposition)
{
    bool read = (access & GENERIC_READ) != 0;
    bool write = (access & GENERIC_WRITE) != 0;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition)
    {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return flags;
    }
}

} // namespace

} // namespace ovr::kernel

void ovr::platform_test::setUnwritableFolders(std::vector<std::filesystem::path> folders)
{
    for (auto& f : folders)
    {
        std::error_code ec;
        f = std::filesystem::absolute(f, ec).lexically_normal();
    }
    auto& u = ovr::kernel::unwritable();
    std::lock_guard lock(u.mutex);
    u.folders = std::move(folders);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD /*shareMode*/, SECURITY_ATTRIBUTES* /*attributes*/,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/)
{
    using namespace ovr::kernel;
    if (fileName == nullptr || creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto file = std::make_shared<FileObject>();
    file->path = ovr::win::utf8FromUnits(std::wstring_view(fileName, ovr::win::unitLength(fileName)));
    if ((access & GENERIC_WRITE) != 0 && refusedByTest(file->path))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st{};
    const bool existed = stat(file->path.c_str(), &st) == 0;
    file->fd = open(file->path.c_str(), openFlags(access, creationDisposition) | O_CLOEXEC, 0644);
    if (file->fd < 0)
    {
        SetLastError(errorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    file->deleteOnClose = (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    bool reportsExisting = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    HANDLE h = addHandle(file);
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, OVERLAPPED* /*overlapped*/)
{
    using namespace ovr::kernel;
    auto file = handleAs<FileObject>(handle);
    if (bytesWritten != nullptr)
    {
        *bytesWritten = 0;
    }
    if (!file || (buffer == nullptr && bytesToWrite > 0))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite)
    {
        ssize_t n = write(file->fd, bytes + done, bytesToWrite - done);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            SetLastError(errorFromErrno(errno));
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (bytesWritten != nullptr)
    {
        *bytesWritten = done;
    }
    return TRUE;
}
