#include "platform/core/bmp_decode.h"

#include <algorithm>
#include <cstring>

#include "platform/core/bitmaps.h"
#include "platform/core/bmp_layout.h"
#include "platform/core/desktop.h"
#include "platform/win32.h"

namespace platform::core::bmp {
namespace {

BYTE* storage_row(const Bitmap& b, LONG row) {
  return b.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(b.stride);
}

// A pixel's stored value (a colour-table index, or the packed colour) by
// position in memory.
DWORD stored_value(const Bitmap& b, LONG x, LONG row) {
  const BYTE* p = storage_row(b, row);
  const auto at = static_cast<std::size_t>(x);
  switch (b.bits_per_pixel) {
    case 16:
      return static_cast<DWORD>(p[at * 2] | p[at * 2 + 1] << 8);
    case 24:
      return static_cast<DWORD>(p[at * 3] | p[at * 3 + 1] << 8 | p[at * 3 + 2] << 16);
    case 32: {
      DWORD value = 0;
      std::memcpy(&value, p + at * 4, 4);
      return value;
    }
    default: {
      const unsigned bits = b.bits_per_pixel;
      const std::size_t bit = at * bits;
      return (p[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1u);
    }
  }
}

void store_value(Bitmap& b, LONG x, LONG row, DWORD value) {
  BYTE* p = storage_row(b, row);
  const auto at = static_cast<std::size_t>(x);
  switch (b.bits_per_pixel) {
    case 16:
    case 24:
    case 32: {
      const std::size_t bytes = b.bits_per_pixel / 8u;
      for (std::size_t i = 0; i < bytes; ++i) p[at * bytes + i] = static_cast<BYTE>(value >> (8 * i));
      return;
    }
    default: {
      const unsigned bits = b.bits_per_pixel;
      const std::size_t bit = at * bits;
      const unsigned shift = 8 - bits - bit % 8;
      const unsigned mask = ((1u << bits) - 1u) << shift;
      p[bit / 8] = static_cast<BYTE>((p[bit / 8] & ~mask) | ((value << shift) & mask));
      return;
    }
  }
}

// The same picture at another size, nearest pixel, in the same format.
HBITMAP stretched(const Bitmap& from, LONG width, LONG height) {
  const HBITMAP handle = new_dib_section(width, from.top_down ? -height : height, from.bits_per_pixel, from.compression,
                                         from.masks, from.color_table);
  if (handle == nullptr) return nullptr;
  Bitmap& to = *desktop().find<Bitmap>(handle);
  for (LONG row = 0; row < height; ++row) {
    const auto from_row = static_cast<LONG>(static_cast<std::int64_t>(row) * from.height / height);
    for (LONG x = 0; x < width; ++x) {
      const auto from_x = static_cast<LONG>(static_cast<std::int64_t>(x) * from.width / width);
      store_value(to, x, row, stored_value(from, from_x, from_row));
    }
  }
  return handle;
}

// What LoadImageA gives without LR_CREATEDIBSECTION: a bitmap of the
// display's format (32 bits, top row first) whose pixels are not handed out.
HBITMAP device_bitmap(const Bitmap& from) {
  const HBITMAP handle = new_dib_section(from.width, -from.height, 32, BI_RGB, nullptr, {});
  if (handle == nullptr) return nullptr;
  Bitmap& to = *desktop().find<Bitmap>(handle);
  to.dib_section = false;
  for (LONG y = 0; y < from.height; ++y) {
    for (LONG x = 0; x < from.width; ++x) write_pixel(to, x, y, read_pixel(from, x, y));
  }
  return handle;
}

// Hands `next` on in place of `current`, which goes; null stays null.
HBITMAP replace(HBITMAP current, HBITMAP next) {
  DeleteObject(current);
  return next;
}

}  // namespace

bool MemorySource::read(std::uint64_t offset, void* to, std::size_t count) {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  if (count != 0) std::memcpy(to, bytes_.data() + offset, count);
  return true;
}

HBITMAP decode(Source& source, int width, int height, UINT flags) {
  if (width < 0 || height < 0) {
    set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  const std::optional<Layout> layout = read_layout(source, error);
  if (!layout) {
    set_last_error(error);
    return nullptr;
  }
  const bool fields = layout->coding == Coding::kBitFields;
  HBITMAP handle =
      new_dib_section(layout->width, layout->top_down ? -layout->height : layout->height, layout->bits_per_pixel,
                      fields ? BI_BITFIELDS : BI_RGB, fields ? layout->masks : nullptr, layout->colors);
  if (handle == nullptr) return nullptr;
  Bitmap* bitmap = desktop().find<Bitmap>(handle);
  // The rows of an uncompressed file are laid out as the section's are.
  const bool whole =
      layout->coding == Coding::kRle8 || layout->coding == Coding::kRle4
          ? unpack_rle(source, *layout, *bitmap)
          : source.read(layout->pixels_offset, bitmap->pixels.data(),
                        static_cast<std::size_t>(std::min<std::uint64_t>(layout->pixel_bytes, bitmap->pixels.size())));
  if (!whole) {
    DeleteObject(handle);
    set_last_error(ERROR_INVALID_DATA);
    return nullptr;
  }
  if ((flags & LR_LOADTRANSPARENT) != 0 && !bitmap->color_table.empty()) {
    // The first pixel stored names the colour that becomes the window colour.
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    bitmap->color_table[stored_value(*bitmap, 0, 0)] =
        RGBQUAD{GetBValue(window), GetGValue(window), GetRValue(window), 0};
  }
  if ((width != 0 && width != bitmap->width) || (height != 0 && height != bitmap->height)) {
    handle =
        replace(handle, stretched(*bitmap, width != 0 ? width : bitmap->width, height != 0 ? height : bitmap->height));
    if (handle == nullptr) return nullptr;
    bitmap = desktop().find<Bitmap>(handle);
  }
  if ((flags & LR_CREATEDIBSECTION) == 0) handle = replace(handle, device_bitmap(*bitmap));
  return handle;
}

}  // namespace platform::core::bmp
