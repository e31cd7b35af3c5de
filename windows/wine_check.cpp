// vora-wine-check: what scripts/windows-run asks of the running program from
// inside wine, through the same calls a user's desktop makes.
//   wait SECONDS        until the main window exists (exit 0) or not (1)
//   shot FILE.bmp       the main window's picture as a bitmap file
//   close SECONDS       posts WM_CLOSE to the main window and waits for the
//                       program to end; prints the milliseconds it took and
//                       its exit code; 0 only when it ended in time
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace
{

// The window class and title are the program's short name (resource 101).
HWND lf_mainWindow()
{
    return FindWindowW(L"Vora", L"Vora");
}

int lf_wait(DWORD seconds)
{
    const ULONGLONG end = GetTickCount64() + seconds * 1000ULL;
    while (GetTickCount64() < end)
    {
        if (lf_mainWindow() != nullptr)
            return 0;
        Sleep(100);
    }
    std::fprintf(stderr, "no Vora window after %lu s\n", static_cast<unsigned long>(seconds));
    return 1;
}

int lf_shot(const wchar_t* file)
{
    const HWND window = lf_mainWindow();
    RECT rect{};
    if (window == nullptr || !GetClientRect(window, &rect))
    {
        std::fprintf(stderr, "no Vora window to take a picture of\n");
        return 1;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC windowDc = GetDC(window);
    const HDC memoryDc = CreateCompatibleDC(windowDc);
    const HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    const HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memoryDc, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height; // rows bottom-up, as the file keeps them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height));
    const int rows = GetDIBits(memoryDc, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    if (rows != height)
    {
        std::fprintf(stderr, "could not read the window's pixels\n");
        return 1;
    }

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = _wfopen(file, L"wb");
    if (out == nullptr)
        return 1;
    const bool written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(&info, sizeof info, 1, out) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}

int lf_close(DWORD seconds)
{
    const HWND window = lf_mainWindow();
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0)
    {
        std::fprintf(stderr, "no Vora window to close\n");
        return 1;
    }
    const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return 1;
    const ULONGLONG start = GetTickCount64();
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD waited = WaitForSingleObject(process, seconds * 1000);
    const ULONGLONG took = GetTickCount64() - start;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0)
    {
        std::printf("still running %llu ms after WM_CLOSE\n", took);
        return 1;
    }
    std::printf("closed %llu ms after WM_CLOSE, exit code %ld\n", took, static_cast<long>(code));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], L"wait") == 0)
        return lf_wait(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    if (argc == 3 && std::wcscmp(argv[1], L"shot") == 0)
        return lf_shot(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"close") == 0)
        return lf_close(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    std::fprintf(stderr, "usage: vora-wine-check wait SECONDS | shot FILE.bmp | close SECONDS\n");
    return 2;
}
