// What a BMP file's headers say, checked against the file's length before
// anything is reserved, and the run-length decoder that fills a bitmap.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/core/bmp_decode.h"
#include "platform/core/objects.h"
#include "platform/win32/types.h"

namespace platform::core::bmp {

enum class Coding { kPlain, kBitFields, kRle8, kRle4 };

struct Layout {
  LONG width = 0;
  LONG height = 0;  // rows; always positive
  bool top_down = false;
  WORD bits_per_pixel = 0;
  Coding coding = Coding::kPlain;
  DWORD masks[3] = {0, 0, 0};   // red, green, blue of kBitFields
  std::vector<RGBQUAD> colors;  // depths up to 8: what the file holds, up to 2^depth
  std::uint64_t pixels_offset = 0;
  std::uint64_t pixel_bytes = 0;  // bytes the file holds from pixels_offset on
};

// The layout, or nothing with the reason (a last-error code) in `error`.
std::optional<Layout> read_layout(Source& source, DWORD& error);

// Unpacks the RLE8 or RLE4 codes into `bitmap` (bottom-up, zero-filled, of
// the layout's size and depth). Pixels the codes skip keep index 0; codes
// that run past a row's end are clipped. False when the codes stop before
// their end-of-bitmap mark with rows still to fill.
bool unpack_rle(Source& source, const Layout& layout, Bitmap& bitmap);

}  // namespace platform::core::bmp
