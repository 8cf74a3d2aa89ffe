// Bitmaps and device-independent bitmap sections: making them and reading
// and writing their pixels whatever their depth.
#pragma once

#include <cstdint>
#include <span>

#include "platform/core/objects.h"
#include "platform/win32/types.h"

namespace platform::core {

// The largest pixel block a bitmap may have, as on the platform (under 2 GiB).
constexpr std::size_t kMaxBitmapBytes = 0x7FFFFFFF;

// Bytes per row of a DIB of this width and depth (rows padded to 32 bits),
// or 0 when the row would not fit kMaxBitmapBytes.
std::size_t dib_stride(std::int64_t width, unsigned bits_per_pixel);

// A new DIB section with zeroed pixels: `height` negative for top-down
// rows; `masks` for BI_BITFIELDS (null: the depth's default fields);
// `colors` the colour table of depths up to 8. Null when the layout is not
// one a section can have or the memory cannot be had.
HBITMAP new_dib_section(LONG width, LONG height, WORD bits_per_pixel, DWORD compression, const DWORD* masks,
                        std::span<const RGBQUAD> colors);

// The colour of a pixel (x from the left, y from the top) as 0x00BBGGRR;
// out-of-range positions give CLR_INVALID.
COLORREF read_pixel(const Bitmap& bitmap, LONG x, LONG y);
// Stores the nearest value the bitmap's depth holds (colour-table bitmaps:
// the nearest table entry).
void write_pixel(Bitmap& bitmap, LONG x, LONG y, COLORREF color);

constexpr COLORREF kInvalidColor = 0xFFFFFFFF;  // CLR_INVALID

}  // namespace platform::core
