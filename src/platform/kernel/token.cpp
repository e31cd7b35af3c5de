#include "platform/kernel/token.h"

#include "platform/kernel/last_error.h"
#include "platform/win/test_support.h"

#include <unistd.h>

#include <atomic>

namespace ovr::kernel
{
namespace
{
struct TokenObject : KernelObject
{
};

std::atomic<platform_test::Elevation> elevation{platform_test::Elevation::System};
} // namespace
} // namespace ovr::kernel

void ovr::platform_test::setElevation(Elevation e) { ovr::kernel::elevation = e; }

BOOL OpenProcessToken(HANDLE /*process*/, DWORD /*desiredAccess*/, HANDLE* token)
{
    using namespace ovr::kernel;
    if (token == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (elevation == ovr::platform_test::Elevation::QueryFails)
    {
        *token = nullptr;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *token = addHandle(std::make_shared<TokenObject>());
    return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                         LPDWORD returnLength)
{
    using namespace ovr::kernel;
    using ovr::platform_test::Elevation;
    if (!handleAs<TokenObject>(token))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (infoClass != TokenElevation)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (returnLength != nullptr)
    {
        *returnLength = sizeof(TOKEN_ELEVATION);
    }
    if (info == nullptr || infoLength < sizeof(TOKEN_ELEVATION))
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    Elevation e = elevation;
    bool elevated = e == Elevation::System ? geteuid() == 0 : e == Elevation::Elevated;
    static_cast<TOKEN_ELEVATION*>(info)->TokenIsElevated = elevated ? 1 : 0;
    return TRUE;
}
