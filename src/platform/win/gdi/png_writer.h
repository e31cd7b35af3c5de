// Writes an image as an 8-bit RGB PNG. The file is written under a temporary
// name and renamed over the target, so a reader never sees half a picture.
#pragma once

#include "platform/win/image.h"

#include <filesystem>

namespace ovr::win
{

bool writePng(const std::filesystem::path& file, const Image& image);

} // namespace ovr::win
