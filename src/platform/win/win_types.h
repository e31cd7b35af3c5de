// The basic Win32 types, with their Windows sizes, so that the program's
// declarations read as they would on Windows. WCHAR holds UTF-16 code units
// even though wchar_t is 32 bits wide here.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using HRESULT = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using WCHAR = wchar_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using COLORREF = DWORD;
using ATOM = WORD;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Handles are opaque pointers, as on Windows; the stand-in hands out small
// numbers behind them and never dereferences them.
struct HWND__;
struct HINSTANCE__;
struct HDC__;
struct HBRUSH__;
struct HPEN__;
struct HBITMAP__;
struct HFONT__;
struct HICON__;
struct HMENU__;
struct HMONITOR__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HDC = HDC__*;
using HBRUSH = HBRUSH__*;
using HPEN = HPEN__*;
using HBITMAP = HBITMAP__*;
using HFONT = HFONT__*;
using HICON = HICON__*;
using HCURSOR = HICON;
using HMENU = HMENU__*;
using HMONITOR = HMONITOR__*;
using HGDIOBJ = void*;
using HLOCAL = HANDLE;

using INT_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using PWSTR = WCHAR*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPCVOID = const void*;

struct POINT
{
    LONG x;
    LONG y;
};
struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
struct SIZE
{
    LONG cx;
    LONG cy;
};
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPSIZE = SIZE*;

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
constexpr bool operator==(const GUID& a, const GUID& b)
{
    for (int i = 0; i < 8; ++i)
    {
        if (a.Data4[i] != b.Data4[i])
        {
            return false;
        }
    }
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}

// Calling-convention markers of the Windows headers; nothing on this system.
#ifndef CALLBACK
#define CALLBACK
#endif
#ifndef WINAPI
#define WINAPI
#endif
#ifndef APIENTRY
#define APIENTRY
#endif

constexpr WORD LOWORD(DWORD_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) { return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lp))); }
