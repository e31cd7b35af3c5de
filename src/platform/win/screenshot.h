// Writing a top-level window's framebuffer as a PNG file.
#pragma once

#include "platform/win/win_types.h"

#include <filesystem>

namespace ovr::win
{

// From any thread; the copy is taken on the window's own thread.
bool writeWindowPng(HWND topLevel, const std::filesystem::path& file);

} // namespace ovr::win
