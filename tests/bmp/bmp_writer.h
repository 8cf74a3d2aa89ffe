// BMP files made in tests: any header size, depth, compression and row
// order, with the pixel data given as stored.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace sorvel::testing {

struct BmpLayout {
  DWORD header_bytes = 40;  // 12 (core), 16 or 64 (OS/2), 40, 52, 56, 108, 124
  LONG width = 1;
  LONG height = 1;  // negative for top-down rows
  WORD bits = 24;
  DWORD compression = BI_RGB;
  std::array<DWORD, 3> masks{};        // BI_BITFIELDS: after a 40-byte header, else inside it
  std::vector<RGBQUAD> colors{};       // as stored (3 bytes each after a core header)
  DWORD colors_used = 0;               // the count the header claims
  std::vector<std::uint8_t> pixels{};  // as stored: padded rows, or run-length codes
};

std::vector<std::uint8_t> bmp_file(const BmpLayout& layout);

// Rows of pixel values (indices, or packed colours), first stored row
// first, packed at `bits` per pixel into rows padded to 4 bytes.
std::vector<std::uint8_t> pack_rows(const std::vector<std::vector<DWORD>>& rows, WORD bits);

// A 24-bit bottom-up file of `colors` (0x00RRGGBB), top row first.
std::vector<std::uint8_t> rgb24_bmp(const std::vector<std::vector<DWORD>>& top_down_rows);

}  // namespace sorvel::testing
