// Writes cursor files for the tests: bitmaps with AND masks, PNG images,
// icon directories and animated RIFF "ACON" files.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace sorvel::testing {

using Bytes = std::vector<std::uint8_t>;

// A bitmap image, rows top-down. `values` are palette indices at 1, 4 and
// 8 bits, and 0xAARRGGBB colours at 24 and 32 bits (alpha kept only at 32).
// `mask` has one entry per pixel, true where the AND mask bit is set.
struct DibPicture {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> values;
  std::vector<bool> mask;
};
Bytes dib_bytes(const DibPicture& picture);

// A PNG image of straight 0xAARRGGBB pixels, rows top-down.
Bytes png_bytes(int width, int height, const std::vector<std::uint32_t>& pixels);

struct DirectoryEntry {
  Bytes image;    // from dib_bytes or png_bytes
  int width = 0;  // as the directory states it (0 stands for 256)
  int height = 0;
  int hotspot_x = 0;
  int hotspot_y = 0;
};
constexpr std::uint16_t kIconFile = 1;
constexpr std::uint16_t kCursorFile = 2;
Bytes icon_directory(std::uint16_t type, const std::vector<DirectoryEntry>& entries);

// RIFF pieces: a chunk (padded to an even size), a LIST, the ACON form.
Bytes riff_chunk(std::string_view id, const Bytes& data);
Bytes riff_list(std::string_view type, const std::vector<Bytes>& chunks);
Bytes acon_file(const std::vector<Bytes>& chunks);
// The "anih" chunk; the rate is in jiffies (1/60 s).
Bytes anih_chunk(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate);
// A chunk of 32-bit values ("rate", "seq ").
Bytes u32_chunk(std::string_view id, const std::vector<std::uint32_t>& values);

void put_u16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void put_u32(Bytes& bytes, std::size_t offset, std::uint32_t value);

}  // namespace sorvel::testing
