// Helper process for the single-instance test: exits 0 when it got the
// named mutex, 1 when another instance holds it, 2 on any other failure.
#include "platform/win/windows.h"

int main()
{
    HANDLE h = CreateMutexW(nullptr, FALSE, L"Local\\$Vora$");
    if (h == nullptr)
    {
        return 2;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}
