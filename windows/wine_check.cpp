// vora-wine-check: what scripts/windows-run asks of the running program from
// inside wine, through the same calls a user's desktop makes.
//   wait SECONDS        until the main window exists (exit 0) or not (1)
//   shot FILE.png       the main window's picture as a PNG file; prints its
//                       size and the number of colours in it
//   close SECONDS       posts WM_CLOSE to the main window and waits for the
//                       program to end; prints the milliseconds it took and
//                       its exit code; 0 only when it ended in time
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cwchar>
#include <unordered_set>
#include <vector>

#include <zlib.h>

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

// A PNG chunk: length, type, data and the CRC of type and data.
void lf_putChunk(std::vector<unsigned char>& png, const char (&type)[5], const std::vector<unsigned char>& data)
{
    const auto putWord = [&png](std::uint32_t word)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<unsigned char>(word >> shift));
    };
    putWord(static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt));
    putWord(static_cast<std::uint32_t>(crc));
}

// The window's client area as an RGB PNG; prints its size and how many
// colours it holds, so that a blank picture can be told from a drawn window.
int lf_shot(const wchar_t* file)
{
    const HWND window = lf_mainWindow();
    RECT rect{};
    if (window == nullptr || !GetClientRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top)
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
    info.biHeight = -height; // rows top-down, as PNG keeps them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<BYTE> pixels(rowBytes * static_cast<std::size_t>(height));
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

    // Each row: filter byte 0 (none), then red, green, blue per pixel.
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(height) * (static_cast<std::size_t>(width) * 3 + 1));
    std::unordered_set<std::uint32_t> colours;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
    {
        raw.push_back(0);
        const BYTE* bgr = pixels.data() + y * rowBytes;
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, bgr += 3)
        {
            raw.insert(raw.end(), {bgr[2], bgr[1], bgr[0]});
            colours.insert(static_cast<std::uint32_t>(bgr[2]) << 16 | static_cast<std::uint32_t>(bgr[1]) << 8 | bgr[0]);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK)
        return 1;
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    for (const auto value : {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.push_back(static_cast<unsigned char>(value >> shift));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, not interlaced
    lf_putChunk(png, "IHDR", header);
    lf_putChunk(png, "IDAT", packed);
    lf_putChunk(png, "IEND", {});

    FILE* out = _wfopen(file, L"wb");
    if (out == nullptr)
        return 1;
    const bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
    if (std::fclose(out) != 0 || !written)
        return 1;
    std::printf("%dx%d pixels, %zu colours\n", width, height, colours.size());
    return 0;
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
    std::fprintf(stderr, "usage: vora-wine-check wait SECONDS | shot FILE.png | close SECONDS\n");
    return 2;
}
