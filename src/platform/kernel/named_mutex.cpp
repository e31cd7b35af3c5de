#include "platform/kernel/named_mutex.h"

#include "platform/kernel/handles.h"
#include "platform/kernel/last_error.h"
#include "platform/win/utf16.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace ovr::kernel
{

namespace
{

struct MutexObject : KernelObject
{
    int fd = -1;
    ~MutexObject() override
    {
        if (fd >= 0)
        {
            close(fd);
        }
    }
};

std::string safeName(const std::string& name)
{
    std::string out;
    for (char c : name)
    {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                     c == '-' || c == '_';
        out += plain ? c : '_';
    }
    return out;
}

std::filesystem::path lockFile(const std::string& name)
{
    const std::string file = "vora-" + safeName(name) + ".lock";
    for (const char* var : {"VORA_LOCK_DIR", "XDG_RUNTIME_DIR"})
    {
        const char* dir = std::getenv(var);
        if (dir != nullptr && *dir != '\0')
        {
            return std::filesystem::path(dir) / file;
        }
    }
    // The shared temp folder needs the user in the name to stay per user.
    return std::filesystem::temp_directory_path() / ("vora-" + std::to_string(getuid()) + "-" + safeName(name) + ".lock");
}

} // namespace

} // namespace ovr::kernel

HANDLE CreateMutexW(SECURITY_ATTRIBUTES* /*attributes*/, BOOL /*initialOwner*/, LPCWSTR name)
{
    using namespace ovr::kernel;
    auto mutex = std::make_shared<MutexObject>();
    if (name == nullptr)
    {
        SetLastError(ERROR_SUCCESS);
        return addHandle(mutex);
    }
    std::filesystem::path file = lockFile(ovr::win::utf8FromUnits(std::wstring_view(name, ovr::win::unitLength(name))));
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    mutex->fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (mutex->fd < 0)
    {
        SetLastError(errorFromErrno(errno));
        return nullptr;
    }
    DWORD result = ERROR_SUCCESS;
    if (flock(mutex->fd, LOCK_EX | LOCK_NB) != 0)
    {
        if (errno != EWOULDBLOCK)
        {
            SetLastError(errorFromErrno(errno));
            return nullptr;
        }
        // Like Windows: a handle to the existing object, and the error says so.
        result = ERROR_ALREADY_EXISTS;
    }
    HANDLE h = addHandle(mutex);
    SetLastError(result);
    return h;
}
