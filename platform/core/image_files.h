// Image files the platform loads itself: BMP files as bitmaps, cursor and
// icon files as cursor images.
#pragma once

#include <optional>

#include "platform/core/driver.h"
#include "platform/win32/types.h"

namespace platform::core {

// LoadImageA's IMAGE_BITMAP with LR_LOADFROMFILE: a bitmap object, or null
// (with the last error set) when the file is missing, unreadable or not a
// BMP file this loader reads.
HBITMAP load_bitmap_file(const char* path, int width, int height, UINT flags);

// A static or animated cursor file, its images chosen for `preferred_size`
// pixels; nothing when the file is missing or malformed.
std::optional<CursorImage> load_cursor_file(const char* path, int preferred_size);

}  // namespace platform::core
