// Bitmaps loaded through LoadImageA and read back through the platform's
// own calls: GetObjectA, GetDIBColorTable and GetPixel.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/win32.h"

namespace sorvel::testing {

struct Picture {
  LONG width = 0;
  LONG height = 0;
  WORD bits = 0;
  bool top_down = false;
  DWORD compression = BI_RGB;
  bool dib_section = false;
  std::vector<RGBQUAD> table;
  std::vector<COLORREF> pixels;  // top row first

  COLORREF at(LONG x, LONG y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// What the bitmap holds, read through a memory DC; the bitmap stays the caller's.
Picture read_picture(HBITMAP bitmap);

// The file loaded with `flags`, read and deleted; nothing when it does not load.
std::optional<Picture> load_picture(const std::filesystem::path& file,
                                    UINT flags = LR_LOADFROMFILE | LR_CREATEDIBSECTION);

}  // namespace sorvel::testing
