#include "tests/bmp/bmp_pictures.h"

namespace sorvel::testing {

Picture read_picture(HBITMAP bitmap) {
  Picture picture;
  DIBSECTION section{};
  const int got = GetObjectA(bitmap, sizeof section, &section);
  picture.width = section.dsBm.bmWidth;
  picture.height = section.dsBm.bmHeight;
  picture.bits = section.dsBm.bmBitsPixel;
  picture.dib_section = got == sizeof section;
  picture.top_down = picture.dib_section && section.dsBmih.biHeight < 0;
  picture.compression = section.dsBmih.biCompression;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  RGBQUAD table[256] = {};
  picture.table.assign(table, table + GetDIBColorTable(dc, 0, 256, table));
  for (LONG y = 0; y < picture.height; ++y) {
    for (LONG x = 0; x < picture.width; ++x) picture.pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return picture;
}

std::optional<Picture> load_picture(const std::filesystem::path& file, UINT flags) {
  const auto bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, flags));
  if (bitmap == nullptr) return std::nullopt;
  Picture picture = read_picture(bitmap);
  DeleteObject(bitmap);
  return picture;
}

}  // namespace sorvel::testing
