#include "platform/core/bmp_layout.h"

#include <algorithm>
#include <array>
#include <bit>

#include "platform/core/bitmaps.h"
#include "platform/win32.h"

namespace platform::core::bmp {
namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::size_t kLargestInfoHeader = 124;  // BITMAPV5HEADER
constexpr DWORD kAlphaBitFields = 6;             // BI_ALPHABITFIELDS

// A run-length file may describe far more pixels than it has bytes, but not
// without limit: runs give at most 255 pixels for two bytes. Above this many
// pixels per byte (plus a small allowance for pictures made of skips) the
// file is taken to be lying about its size.
constexpr std::uint64_t kRlePixelsPerByte = 256;
constexpr std::uint64_t kRleFreePixels = std::uint64_t{1} << 16;

std::uint16_t le16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const BYTE* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool known_info_size(DWORD bytes) {
  constexpr std::array<DWORD, 8> kSizes = {12, 16, 40, 52, 56, 64, 108, 124};
  return std::find(kSizes.begin(), kSizes.end(), bytes) != kSizes.end();
}

bool contiguous(DWORD mask) {
  if (mask == 0) return true;
  mask >>= std::countr_zero(mask);
  return (mask & (mask + 1)) == 0;
}

// Fields a section can hold: each one run of bits inside the pixel, none
// overlapping, not all empty.
bool usable_masks(const DWORD (&masks)[3], WORD bits) {
  const DWORD outside = bits == 16 ? 0xFFFF0000u : 0;
  if ((masks[0] | masks[1] | masks[2]) == 0) return false;
  for (int i = 0; i < 3; ++i) {
    if (!contiguous(masks[i]) || (masks[i] & outside) != 0) return false;
    if ((masks[i] & masks[(i + 1) % 3]) != 0) return false;
  }
  return true;
}

}  // namespace

std::optional<Layout> read_layout(Source& source, DWORD& error) {
  error = ERROR_INVALID_DATA;
  const std::uint64_t size = source.size();
  std::array<BYTE, kFileHeaderBytes + kLargestInfoHeader> head{};
  if (size < kFileHeaderBytes + 4 || !source.read(0, head.data(), kFileHeaderBytes + 4)) return std::nullopt;
  if (head[0] != 'B' || head[1] != 'M') return std::nullopt;
  const DWORD info_bytes = le32(&head[14]);
  if (!known_info_size(info_bytes) || size < kFileHeaderBytes + info_bytes ||
      !source.read(kFileHeaderBytes + 4, &head[kFileHeaderBytes + 4], info_bytes - 4)) {
    return std::nullopt;
  }
  const BYTE* info = &head[kFileHeaderBytes];
  const bool core = info_bytes == 12;
  const bool os2 = info_bytes == 16 || info_bytes == 64;

  std::int64_t width = 0;
  std::int64_t height = 0;
  WORD planes = 0;
  WORD bits = 0;
  DWORD compression = BI_RGB;
  DWORD colors_used = 0;
  if (core) {
    width = le16(info + 4);
    height = le16(info + 6);
    planes = le16(info + 8);
    bits = le16(info + 10);
  } else {
    width = static_cast<std::int32_t>(le32(info + 4));
    height = static_cast<std::int32_t>(le32(info + 8));
    planes = le16(info + 12);
    bits = le16(info + 14);
    if (info_bytes >= 20) compression = le32(info + 16);
    if (info_bytes >= 36) colors_used = le32(info + 32);
  }
  constexpr std::array<WORD, 6> kDepths = {1, 4, 8, 16, 24, 32};
  if (planes != 1 || std::find(kDepths.begin(), kDepths.end(), bits) == kDepths.end() || width <= 0 ||
      width > kMaxSide || height == 0 || height > kMaxSide || height < -kMaxSide) {
    return std::nullopt;
  }

  Layout layout;
  layout.width = static_cast<LONG>(width);
  layout.height = static_cast<LONG>(height < 0 ? -height : height);
  layout.top_down = height < 0;
  layout.bits_per_pixel = bits;
  std::uint64_t table_start = kFileHeaderBytes + info_bytes;
  switch (compression) {
    case BI_RGB:
      break;
    case BI_RLE8:
    case BI_RLE4:
      if (bits != (compression == BI_RLE8 ? 8 : 4) || layout.top_down) return std::nullopt;
      layout.coding = compression == BI_RLE8 ? Coding::kRle8 : Coding::kRle4;
      break;
    case BI_BITFIELDS:
    case kAlphaBitFields: {
      // OS/2 2.x gives 3 and 4 other meanings, Huffman 1D and RLE24: neither is read here.
      if (os2 || (bits != 16 && bits != 32)) return std::nullopt;
      layout.coding = Coding::kBitFields;
      if (info_bytes >= 52) {
        for (int i = 0; i < 3; ++i) layout.masks[i] = le32(info + 40 + 4 * i);
      } else {
        // After a 40-byte header the fields follow it, the alpha field too.
        BYTE fields[12];
        if (size < table_start + sizeof fields || !source.read(table_start, fields, sizeof fields)) return std::nullopt;
        for (int i = 0; i < 3; ++i) layout.masks[i] = le32(fields + 4 * i);
        table_start += compression == kAlphaBitFields ? 16 : 12;
      }
      if (!usable_masks(layout.masks, bits)) return std::nullopt;
      break;
    }
    default:
      return std::nullopt;  // JPEG, PNG, RLE24, ...
  }

  const std::uint64_t pixels_offset = le32(&head[10]);
  if (pixels_offset < table_start || pixels_offset > size) return std::nullopt;
  if (bits <= 8) {
    const std::uint64_t entry_bytes = core ? 3 : 4;
    const std::uint64_t depth_entries = std::uint64_t{1} << bits;
    const std::uint64_t declared = colors_used != 0 ? colors_used : depth_entries;
    // A count the file cannot hold is a lie; without a count the pixels' offset ends the table.
    if (colors_used != 0 && table_start + declared * entry_bytes > size) return std::nullopt;
    // Entries past the pixel data's start are not there: a short table.
    const std::uint64_t count = std::min({declared, depth_entries, (pixels_offset - table_start) / entry_bytes});
    std::array<BYTE, 256 * 4> table{};
    if (!source.read(table_start, table.data(), static_cast<std::size_t>(count * entry_bytes))) return std::nullopt;
    layout.colors.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < layout.colors.size(); ++i) {
      const BYTE* entry = &table[i * entry_bytes];
      layout.colors[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
    }
  }
  layout.pixels_offset = pixels_offset;
  layout.pixel_bytes = size - pixels_offset;

  const std::uint64_t rows = static_cast<std::uint64_t>(layout.height);
  if (layout.coding == Coding::kRle8 || layout.coding == Coding::kRle4) {
    const std::uint64_t pixels = static_cast<std::uint64_t>(layout.width) * rows;
    if (pixels > layout.pixel_bytes * kRlePixelsPerByte + kRleFreePixels) return std::nullopt;
  } else {
    // Every row but the last carries its padding; the last may stop at its last pixel.
    const std::uint64_t stride = dib_stride(layout.width, bits);
    const std::uint64_t last_row = (static_cast<std::uint64_t>(layout.width) * bits + 7) / 8;
    if (stride == 0 || stride * (rows - 1) + last_row > layout.pixel_bytes) return std::nullopt;
  }
  error = ERROR_SUCCESS;
  return layout;
}

}  // namespace platform::core::bmp
