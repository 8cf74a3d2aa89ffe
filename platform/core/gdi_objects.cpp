// Graphics objects: stock objects, selection and deletion, bitmaps and DIB
// sections, memory device contexts, palettes, and block copies.
#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <cstring>
#include <vector>

#include "platform/core/bitmaps.h"
#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::Bitmap;
using platform::core::Brush;
using platform::core::Desktop;
using platform::core::desktop;
using platform::core::DeviceContext;
using platform::core::Palette;

namespace platform::core {
namespace {

// Where a mask's field starts and how wide it is.
struct Field {
  unsigned shift = 0;
  unsigned bits = 0;
};

Field field_of(DWORD mask) {
  if (mask == 0) return {};
  const unsigned shift = static_cast<unsigned>(std::countr_zero(mask));
  return {shift, static_cast<unsigned>(std::countr_one(mask >> shift))};
}

BYTE expand(DWORD value, Field field) {
  if (field.bits == 0) return 0;
  const DWORD top = field.bits >= 32 ? 0xFFFFFFFFu : (1u << field.bits) - 1u;
  value = (value >> field.shift) & top;
  if (field.bits >= 8) return static_cast<BYTE>(value >> (field.bits - 8));
  return static_cast<BYTE>((value * 255u + top / 2) / top);  // full scale is 255
}

DWORD pack(BYTE value, Field field) {
  if (field.bits == 0) return 0;
  const DWORD scaled = field.bits >= 8 ? static_cast<DWORD>(value) << (field.bits - 8) : value >> (8 - field.bits);
  return scaled << field.shift;
}

void default_masks(WORD bits, DWORD masks[3]) {
  if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else {
    masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;
  }
}

BYTE* row_of(const Bitmap& b, LONG y) {
  const LONG row = b.top_down ? y : b.height - 1 - y;
  return b.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(b.stride);
}

int nearest_entry(const std::vector<RGBQUAD>& table, COLORREF color) {
  int best = 0;
  long best_distance = 1L << 30;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const long dr = table[i].rgbRed - GetRValue(color);
    const long dg = table[i].rgbGreen - GetGValue(color);
    const long db = table[i].rgbBlue - GetBValue(color);
    const long d = dr * dr + dg * dg + db * db;
    if (d < best_distance) best_distance = d, best = static_cast<int>(i);
  }
  return best;
}

}  // namespace

std::size_t dib_stride(std::int64_t width, unsigned bits_per_pixel) {
  if (width <= 0 || bits_per_pixel == 0 || bits_per_pixel > 32) return 0;
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * bits_per_pixel;
  const std::uint64_t stride = ((bits + 31) / 32) * 4;
  return stride <= kMaxBitmapBytes ? static_cast<std::size_t>(stride) : 0;
}

HBITMAP new_dib_section(LONG width, LONG height, WORD bits_per_pixel, DWORD compression, const DWORD* masks,
                        std::span<const RGBQUAD> colors) {
  constexpr std::array<WORD, 6> kDepths = {1, 4, 8, 16, 24, 32};
  const bool known_depth = std::find(kDepths.begin(), kDepths.end(), bits_per_pixel) != kDepths.end();
  const bool fields = compression == BI_BITFIELDS;
  if (!known_depth || width <= 0 || height == 0 || height == std::numeric_limits<LONG>::min() ||
      (compression != BI_RGB && !fields) || (fields && bits_per_pixel != 16 && bits_per_pixel != 32)) {
    set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const LONG rows = height < 0 ? -height : height;
  const std::size_t stride = dib_stride(width, bits_per_pixel);
  if (stride == 0 || static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(rows) > kMaxBitmapBytes) {
    set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto bitmap = std::make_unique<Bitmap>();
  if (!bitmap->pixels.allocate(stride * static_cast<std::size_t>(rows))) {
    set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  bitmap->width = width;
  bitmap->height = rows;
  bitmap->bits_per_pixel = bits_per_pixel;
  bitmap->stride = static_cast<LONG>(stride);
  bitmap->top_down = height < 0;
  bitmap->dib_section = true;
  bitmap->compression = compression;
  if (fields && masks != nullptr) {
    std::copy(masks, masks + 3, bitmap->masks);
  } else {
    default_masks(bits_per_pixel, bitmap->masks);
  }
  if (bits_per_pixel <= 8) {
    const std::size_t entries = std::min<std::size_t>(colors.size(), std::size_t{1} << bits_per_pixel);
    bitmap->color_table.assign(colors.begin(), colors.begin() + static_cast<std::ptrdiff_t>(entries));
    // A short table leaves the rest of the indices black.
    bitmap->color_table.resize(std::size_t{1} << bits_per_pixel, RGBQUAD{0, 0, 0, 0});
  }
  return desktop().add<HBITMAP>(std::move(bitmap));
}

COLORREF read_pixel(const Bitmap& b, LONG x, LONG y) {
  if (x < 0 || y < 0 || x >= b.width || y >= b.height || b.pixels.data() == nullptr) return kInvalidColor;
  const BYTE* row = row_of(b, y);
  switch (b.bits_per_pixel) {
    case 1:
    case 4:
    case 8: {
      const unsigned bits = b.bits_per_pixel;
      const std::size_t bit = static_cast<std::size_t>(x) * bits;
      const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1u);
      if (index >= b.color_table.size()) return 0;
      const RGBQUAD c = b.color_table[index];
      return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    case 16:
    case 32: {
      DWORD value = 0;
      if (b.bits_per_pixel == 16) {
        value = static_cast<DWORD>(row[x * 2] | (row[x * 2 + 1] << 8));
      } else {
        std::memcpy(&value, row + static_cast<std::size_t>(x) * 4, 4);
      }
      return RGB(expand(value, field_of(b.masks[0])), expand(value, field_of(b.masks[1])),
                 expand(value, field_of(b.masks[2])));
    }
    case 24: {
      const BYTE* p = row + static_cast<std::size_t>(x) * 3;
      return RGB(p[2], p[1], p[0]);
    }
    default:
      return kInvalidColor;
  }
}

void write_pixel(Bitmap& b, LONG x, LONG y, COLORREF color) {
  if (x < 0 || y < 0 || x >= b.width || y >= b.height || b.pixels.data() == nullptr) return;
  BYTE* row = row_of(b, y);
  switch (b.bits_per_pixel) {
    case 1:
    case 4:
    case 8: {
      const unsigned bits = b.bits_per_pixel;
      const unsigned index = static_cast<unsigned>(nearest_entry(b.color_table, color));
      const std::size_t bit = static_cast<std::size_t>(x) * bits;
      const unsigned shift = 8 - bits - bit % 8;
      const unsigned mask = ((1u << bits) - 1u) << shift;
      row[bit / 8] = static_cast<BYTE>((row[bit / 8] & ~mask) | ((index << shift) & mask));
      return;
    }
    case 16:
    case 32: {
      const DWORD value = pack(GetRValue(color), field_of(b.masks[0])) | pack(GetGValue(color), field_of(b.masks[1])) |
                          pack(GetBValue(color), field_of(b.masks[2]));
      if (b.bits_per_pixel == 16) {
        row[x * 2] = static_cast<BYTE>(value);
        row[x * 2 + 1] = static_cast<BYTE>(value >> 8);
      } else {
        std::memcpy(row + static_cast<std::size_t>(x) * 4, &value, 4);
      }
      return;
    }
    case 24: {
      BYTE* p = row + static_cast<std::size_t>(x) * 3;
      p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color);
      return;
    }
    default:
      return;
  }
}

}  // namespace platform::core

namespace {

template <class T>
HGDIOBJ permanent(std::unique_ptr<T> object) {
  object->permanent = true;
  return desktop().add<HGDIOBJ>(std::move(object));
}

HGDIOBJ make_stock(int index) {
  switch (index) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: {
      constexpr COLORREF kGrays[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0x000000};
      auto brush = std::make_unique<Brush>();
      brush->color = kGrays[index];
      brush->hollow = index == NULL_BRUSH;
      return permanent(std::move(brush));
    }
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN: {
      auto pen = std::make_unique<platform::core::Pen>();
      pen->color = index == WHITE_PEN ? 0xFFFFFF : 0x000000;
      pen->hollow = index == NULL_PEN;
      return permanent(std::move(pen));
    }
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
      return permanent(std::make_unique<platform::core::Font>());
    case DEFAULT_PALETTE: {
      // The twenty static colours.
      constexpr COLORREF kStatic[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                        0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
                                        0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
      auto palette = std::make_unique<Palette>();
      for (COLORREF c : kStatic) palette->entries.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
      return permanent(std::move(palette));
    }
    default:
      return nullptr;
  }
}

// The 1 x 1 monochrome bitmap a new memory device context holds.
HBITMAP stock_bitmap() {
  static HBITMAP bitmap = [] {
    const RGBQUAD mono[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    const HBITMAP handle = platform::core::new_dib_section(1, 1, 1, BI_RGB, nullptr, mono);
    desktop().find<Bitmap>(handle)->permanent = true;
    return handle;
  }();
  return bitmap;
}

Bitmap* selected_bitmap(HDC hdc) {
  const DeviceContext* dc = desktop().find<DeviceContext>(hdc);
  return dc != nullptr && dc->memory ? desktop().find<Bitmap>(dc->bitmap) : nullptr;
}

}  // namespace

HGDIOBJ GetStockObject(int index) {
  static std::array<HGDIOBJ, 20> stock{};
  if (index < 0 || static_cast<std::size_t>(index) >= stock.size()) return nullptr;
  HGDIOBJ& object = stock[static_cast<std::size_t>(index)];
  if (object == nullptr) object = make_stock(index);
  return object;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  Desktop& d = desktop();
  DeviceContext* dc = d.find<DeviceContext>(hdc);
  const platform::core::Object* o = d.objects.find(reinterpret_cast<std::uintptr_t>(object));
  if (dc == nullptr || o == nullptr) return nullptr;
  switch (o->kind()) {
    case platform::core::Kind::kBitmap: {
      auto* bitmap = d.find<Bitmap>(object);
      if (!dc->memory || (bitmap->selected_into != nullptr && bitmap->selected_into != hdc)) return nullptr;
      if (auto* old = d.find<Bitmap>(dc->bitmap)) old->selected_into = nullptr;
      if (!bitmap->permanent) bitmap->selected_into = hdc;
      return std::exchange(dc->bitmap, object);
    }
    case platform::core::Kind::kBrush: return std::exchange(dc->brush, object);
    case platform::core::Kind::kPen: return std::exchange(dc->pen, object);
    case platform::core::Kind::kFont: return std::exchange(dc->font, object);
    case platform::core::Kind::kRegion: return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(SIMPLEREGION));
    default: return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ object) {
  Desktop& d = desktop();
  const platform::core::Object* o = d.objects.find(reinterpret_cast<std::uintptr_t>(object));
  if (o == nullptr) return FALSE;
  switch (o->kind()) {
    case platform::core::Kind::kBitmap:
      if (d.find<Bitmap>(object)->selected_into != nullptr) return FALSE;  // still in a DC
      break;
    case platform::core::Kind::kBrush:
    case platform::core::Kind::kPen:
    case platform::core::Kind::kFont:
    case platform::core::Kind::kPalette:
    case platform::core::Kind::kRegion:
      break;
    default:
      return FALSE;
  }
  if (!o->permanent) d.remove(object);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ object) {
  const platform::core::Object* o = desktop().objects.find(reinterpret_cast<std::uintptr_t>(object));
  if (o == nullptr) return 0;
  switch (o->kind()) {
    case platform::core::Kind::kBitmap: return OBJ_BITMAP;
    case platform::core::Kind::kBrush: return OBJ_BRUSH;
    case platform::core::Kind::kPen: return OBJ_PEN;
    case platform::core::Kind::kFont: return OBJ_FONT;
    case platform::core::Kind::kPalette: return OBJ_PAL;
    case platform::core::Kind::kRegion: return OBJ_REGION;
    case platform::core::Kind::kDeviceContext:
      return desktop().find<DeviceContext>(object)->memory ? OBJ_MEMDC : OBJ_DC;
    default: return 0;
  }
}

int GetObjectA(HANDLE object, int bytes, LPVOID buffer) {
  Desktop& d = desktop();
  if (const Bitmap* b = d.find<Bitmap>(object)) {
    if (buffer == nullptr) return sizeof(BITMAP);
    if (bytes < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = b->width;
    info.bmHeight = b->height;
    info.bmWidthBytes = b->stride;
    info.bmPlanes = b->planes;
    info.bmBitsPixel = b->bits_per_pixel;
    info.bmBits = b->dib_section ? b->pixels.data() : nullptr;
    if (b->dib_section && bytes >= static_cast<int>(sizeof(DIBSECTION))) {
      DIBSECTION section{};
      section.dsBm = info;
      BITMAPINFOHEADER& header = section.dsBmih;
      header.biSize = sizeof(BITMAPINFOHEADER);
      header.biWidth = b->width;
      header.biHeight = b->top_down ? -b->height : b->height;
      header.biPlanes = 1;
      header.biBitCount = b->bits_per_pixel;
      header.biCompression = b->compression;
      header.biSizeImage = static_cast<DWORD>(b->pixels.size());
      header.biClrUsed = static_cast<DWORD>(b->color_table.size());
      if (b->compression == BI_BITFIELDS) std::copy(b->masks, b->masks + 3, section.dsBitfields);
      std::memcpy(buffer, &section, sizeof section);
      return sizeof(DIBSECTION);
    }
    std::memcpy(buffer, &info, sizeof info);
    return sizeof(BITMAP);
  }
  if (const Palette* p = d.find<Palette>(object)) {
    if (buffer == nullptr) return sizeof(WORD);
    if (bytes < static_cast<int>(sizeof(WORD))) return 0;
    const WORD count = static_cast<WORD>(p->entries.size());
    std::memcpy(buffer, &count, sizeof count);
    return sizeof(WORD);
  }
  platform::core::set_last_error(ERROR_INVALID_HANDLE);
  return 0;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->color = color & 0x00FFFFFF;
  return desktop().add<HBRUSH>(std::move(brush));
}

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc != nullptr && desktop().find<DeviceContext>(hdc) == nullptr) return nullptr;
  auto dc = std::make_unique<DeviceContext>();
  dc->memory = true;
  dc->bitmap = stock_bitmap();
  dc->brush = GetStockObject(WHITE_BRUSH);
  dc->pen = GetStockObject(BLACK_PEN);
  dc->font = GetStockObject(DEFAULT_GUI_FONT);
  dc->palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  return desktop().add<HDC>(std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
  Desktop& d = desktop();
  DeviceContext* dc = d.find<DeviceContext>(hdc);
  if (dc == nullptr || !dc->memory) return FALSE;
  if (auto* bitmap = d.find<Bitmap>(dc->bitmap); bitmap != nullptr && bitmap->selected_into == hdc) {
    bitmap->selected_into = nullptr;
  }
  d.remove(hdc);
  return TRUE;
}

HBITMAP CreateDIBSection(HDC /*hdc*/, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD /*offset*/) {
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || section != nullptr || usage != DIB_RGB_COLORS ||
      info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biPlanes != 1) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const auto* table = reinterpret_cast<const BYTE*>(info) + header.biSize;
  DWORD masks[3] = {0, 0, 0};
  // The fields follow the 40-byte header, inside the larger headers too.
  if (header.biCompression == BI_BITFIELDS) {
    std::memcpy(masks, reinterpret_cast<const BYTE*>(info) + sizeof(BITMAPINFOHEADER), sizeof masks);
  }
  std::vector<RGBQUAD> colors;
  if (header.biBitCount <= 8) {
    const DWORD entries = header.biClrUsed != 0 ? std::min<DWORD>(header.biClrUsed, 1u << header.biBitCount)
                                                : 1u << header.biBitCount;
    colors.resize(entries);
    std::memcpy(colors.data(), table, entries * sizeof(RGBQUAD));
  }
  const HBITMAP bitmap = platform::core::new_dib_section(header.biWidth, header.biHeight, header.biBitCount,
                                                         header.biCompression,
                                                         header.biCompression == BI_BITFIELDS ? masks : nullptr, colors);
  if (bitmap != nullptr && bits != nullptr) *bits = desktop().find<Bitmap>(bitmap)->pixels.data();
  return bitmap;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (desktop().find<DeviceContext>(hdc) == nullptr || width <= 0 || height <= 0) return nullptr;
  const HBITMAP bitmap = platform::core::new_dib_section(width, -height, 32, BI_RGB, nullptr, {});
  if (bitmap != nullptr) desktop().find<Bitmap>(bitmap)->dib_section = false;
  return bitmap;
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  const Bitmap* b = selected_bitmap(hdc);
  if (b == nullptr || colors == nullptr || b->color_table.empty() || start >= b->color_table.size()) return 0;
  const UINT copied = std::min<UINT>(count, static_cast<UINT>(b->color_table.size()) - start);
  std::copy_n(b->color_table.begin() + start, copied, colors);
  return copied;
}

UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  Bitmap* b = selected_bitmap(hdc);
  if (b == nullptr || colors == nullptr || b->color_table.empty() || start >= b->color_table.size()) return 0;
  const UINT copied = std::min<UINT>(count, static_cast<UINT>(b->color_table.size()) - start);
  std::copy_n(colors, copied, b->color_table.begin() + start);
  return copied;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  const Bitmap* b = selected_bitmap(hdc);
  return b != nullptr ? platform::core::read_pixel(*b, x, y) : platform::core::kInvalidColor;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Bitmap* b = selected_bitmap(hdc);
  if (b == nullptr) return platform::core::kInvalidColor;
  platform::core::write_pixel(*b, x, y, color);
  return platform::core::read_pixel(*b, x, y);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop) {
  Desktop& d = desktop();
  const DeviceContext* to = d.find<DeviceContext>(dest);
  const Bitmap* from = selected_bitmap(source);
  if (to == nullptr || rop != SRCCOPY || width <= 0 || height <= 0) return FALSE;
  if (from == nullptr) return FALSE;
  // Clip to the source picture.
  const LONG x0 = std::max(0, source_x), y0 = std::max(0, source_y);
  const LONG x1 = std::min<LONG>(from->width, source_x + width), y1 = std::min<LONG>(from->height, source_y + height);
  if (x0 >= x1 || y0 >= y1) return TRUE;
  if (to->memory) {
    Bitmap* target = d.find<Bitmap>(to->bitmap);
    if (target == nullptr) return FALSE;
    for (LONG sy = y0; sy < y1; ++sy) {
      for (LONG sx = x0; sx < x1; ++sx) {
        platform::core::write_pixel(*target, x + (sx - source_x), y + (sy - source_y),
                                    platform::core::read_pixel(*from, sx, sy));
      }
    }
    return TRUE;
  }
  const platform::core::Window* w = d.window(to->window);
  if (w == nullptr) return FALSE;
  const int w_px = x1 - x0, h_px = y1 - y0;
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(w_px) * static_cast<std::size_t>(h_px));
  for (LONG sy = y0; sy < y1; ++sy) {
    for (LONG sx = x0; sx < x1; ++sx) {
      const COLORREF c = platform::core::read_pixel(*from, sx, sy);
      argb[static_cast<std::size_t>(sy - y0) * static_cast<std::size_t>(w_px) + static_cast<std::size_t>(sx - x0)] =
          0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
          GetBValue(c);
    }
  }
  d.driver().put_image(w->native, x + (x0 - source_x), y + (y0 - source_y), w_px, h_px, argb.data(), w_px, false);
  return TRUE;
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (palette == nullptr || palette->palVersion != 0x300 || palette->palNumEntries == 0) return nullptr;
  auto object = std::make_unique<Palette>();
  object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return desktop().add<HPALETTE>(std::move(object));
}

HPALETTE CreateHalftonePalette(HDC /*hdc*/) {
  // The static colours' ends around a 6 x 6 x 6 cube and a ramp of greys.
  auto object = std::make_unique<Palette>();
  const auto& statics = desktop().find<Palette>(GetStockObject(DEFAULT_PALETTE))->entries;
  object->entries.assign(statics.begin(), statics.begin() + 10);
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        object->entries.push_back(
            {static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51), 0});
      }
    }
  }
  for (int i = 1; i <= 20; ++i) {
    const auto level = static_cast<BYTE>(i * 255 / 21);
    object->entries.push_back({level, level, level, 0});
  }
  object->entries.insert(object->entries.end(), statics.end() - 10, statics.end());
  return desktop().add<HPALETTE>(std::move(object));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL /*force_background*/) {
  DeviceContext* dc = desktop().find<DeviceContext>(hdc);
  if (dc == nullptr || desktop().find<Palette>(palette) == nullptr) return nullptr;
  return std::exchange(dc->palette, palette);
}

UINT RealizePalette(HDC hdc) {
  const DeviceContext* dc = desktop().find<DeviceContext>(hdc);
  const Palette* palette = dc != nullptr ? desktop().find<Palette>(dc->palette) : nullptr;
  // A true-colour display maps every entry as it is.
  return palette != nullptr ? static_cast<UINT>(palette->entries.size()) : 0;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  const Palette* p = desktop().find<Palette>(palette);
  if (p == nullptr) return 0;
  if (entries == nullptr) return static_cast<UINT>(p->entries.size());
  if (start >= p->entries.size()) return 0;
  const UINT copied = std::min<UINT>(count, static_cast<UINT>(p->entries.size()) - start);
  std::copy_n(p->entries.begin() + start, copied, entries);
  return copied;
}
