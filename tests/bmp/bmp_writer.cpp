#include "tests/bmp/bmp_writer.h"

#include <algorithm>

namespace sorvel::testing {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> bmp_file(const BmpLayout& layout) {
  const bool core = layout.header_bytes == 12;
  const bool masks_after = layout.compression == BI_BITFIELDS && layout.header_bytes == 40;
  std::vector<std::uint8_t> info;
  put32(info, layout.header_bytes);
  if (core) {
    put16(info, static_cast<std::uint32_t>(layout.width));
    put16(info, static_cast<std::uint32_t>(layout.height));
    put16(info, 1);
    put16(info, layout.bits);
  } else {
    put32(info, static_cast<std::uint32_t>(layout.width));
    put32(info, static_cast<std::uint32_t>(layout.height));
    put16(info, 1);
    put16(info, layout.bits);
    put32(info, layout.compression);
    put32(info, static_cast<std::uint32_t>(layout.pixels.size()));
    put32(info, 2835);
    put32(info, 2835);
    put32(info, layout.colors_used);
    put32(info, 0);
    if (layout.header_bytes >= 52) {
      for (DWORD mask : layout.masks) put32(info, mask);
    }
  }
  info.resize(layout.header_bytes, 0);
  if (masks_after) {
    for (DWORD mask : layout.masks) put32(info, mask);
  }
  for (const RGBQUAD& c : layout.colors) {
    info.insert(info.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
    if (!core) info.push_back(0);
  }
  std::vector<std::uint8_t> file = {'B', 'M'};
  const auto offset = static_cast<std::uint32_t>(14 + info.size());
  put32(file, static_cast<std::uint32_t>(offset + layout.pixels.size()));
  put32(file, 0);
  put32(file, offset);
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), layout.pixels.begin(), layout.pixels.end());
  return file;
}

std::vector<std::uint8_t> pack_rows(const std::vector<std::vector<DWORD>>& rows, WORD bits) {
  std::vector<std::uint8_t> out;
  for (const auto& row : rows) {
    const std::size_t stride = (row.size() * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> packed(stride, 0);
    for (std::size_t x = 0; x < row.size(); ++x) {
      if (bits >= 8) {
        for (unsigned i = 0; i < bits / 8u; ++i)
          packed[x * bits / 8 + i] = static_cast<std::uint8_t>(row[x] >> (8 * i));
      } else {
        const std::size_t bit = x * bits;
        packed[bit / 8] |= static_cast<std::uint8_t>(row[x] << (8 - bits - bit % 8));
      }
    }
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

std::vector<std::uint8_t> rgb24_bmp(const std::vector<std::vector<DWORD>>& top_down_rows) {
  BmpLayout layout;
  layout.width = static_cast<LONG>(top_down_rows.front().size());
  layout.height = static_cast<LONG>(top_down_rows.size());
  std::vector<std::vector<DWORD>> bottom_up(top_down_rows.rbegin(), top_down_rows.rend());
  layout.pixels = pack_rows(bottom_up, 24);
  return bmp_file(layout);
}

}  // namespace sorvel::testing
