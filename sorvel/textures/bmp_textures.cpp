// The BMP texture table: slots 0 to 500 filled from BMP files through the
// platform's image loader.
#include <cstdint>
#include <utility>
#include <vector>

#include "sorvel/sorvel.h"

sorvel::CheckedTable<GLuint, 0, 500> TEXTUREID2("TEXTUREID2");

namespace {

// Rows of RGB bytes padded to 4, as a DIB's are.
std::size_t rgb_stride(LONG width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

// Turns the section's pixels into bottom-up RGB rows padded to 4 bytes.
// A bottom-up 24-bit section is turned in place (row by row when its rows
// carry fill bytes); anything else is copied into `copy`.
const void* rgb_rows(HBITMAP bitmap, const DIBSECTION& section, std::vector<std::uint8_t>& copy) {
  const BITMAP& info = section.dsBm;
  auto* bits = static_cast<std::uint8_t*>(info.bmBits);
  const std::size_t stride = rgb_stride(info.bmWidth);
  const std::size_t row_bytes = static_cast<std::size_t>(info.bmWidth) * 3;
  const bool top_down = section.dsBmih.biHeight < 0;
  if (info.bmBitsPixel == 24 && !top_down) {
    if (row_bytes == stride) {
      SWAPRGB(bits, info.bmWidth * info.bmHeight);
    } else {
      for (LONG row = 0; row < info.bmHeight; ++row)
        SWAPRGB(bits + static_cast<std::size_t>(row) * stride, info.bmWidth);
    }
    return bits;
  }
  copy.assign(stride * static_cast<std::size_t>(info.bmHeight), 0);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  for (LONG y = 0; y < info.bmHeight; ++y) {
    // GetPixel counts rows from the top; the texture's first row is the bottom one.
    std::uint8_t* out = copy.data() + static_cast<std::size_t>(info.bmHeight - 1 - y) * stride;
    for (LONG x = 0; x < info.bmWidth; ++x, out += 3) {
      const COLORREF color = GetPixel(dc, x, y);
      out[0] = GetRValue(color), out[1] = GetGValue(color), out[2] = GetBValue(color);
    }
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return copy.data();
}

}  // namespace

void SWAPRGB(void* DATA, std::int32_t SIZE) {
  auto* bytes = static_cast<std::uint8_t*>(DATA);
  for (std::int32_t i = 0; i < SIZE; ++i, bytes += 3) std::swap(bytes[0], bytes[2]);
}

void TEXTURELOADID(const char* BMPFILE, std::int32_t NUM) {
  const auto BMP = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), BMPFILE, IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_CREATEDIBSECTION));
  DIBSECTION SBITMAP{};
  std::vector<std::uint8_t> copy;
  const void* pixels = nullptr;
  if (BMP != nullptr && GetObjectA(BMP, sizeof SBITMAP, &SBITMAP) == sizeof SBITMAP)
    pixels = rgb_rows(BMP, SBITMAP, copy);
  glEnable(GL_TEXTURE_2D);
  GLuint& slot = TEXTUREID2[NUM];
  // A file that could not be loaded makes no texture: the slot keeps what it had.
  if (pixels != nullptr) {
    glGenTextures(1, &slot);
    glBindTexture(GL_TEXTURE_2D, slot);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, SBITMAP.dsBm.bmWidth, SBITMAP.dsBm.bmHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  }
  // The upload copied the pixels; the bitmap is no longer needed.
  if (BMP != nullptr) DeleteObject(BMP);
}

void TEXTURESELECTID(std::int32_t NUM) { glBindTexture(GL_TEXTURE_2D, TEXTUREID2[NUM]); }
