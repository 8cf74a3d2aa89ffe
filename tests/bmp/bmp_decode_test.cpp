// The BMP loader on small files made here: every depth, both row orders,
// each header kind, run-length codes, bit fields, short colour tables, and
// files cut short or lying about themselves.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/testing.h"
#include "tests/bmp/bmp_pictures.h"
#include "tests/bmp/bmp_writer.h"
#include "tests/support/test_files.h"

namespace sorvel::testing {
namespace {

constexpr UINT kSection = LR_LOADFROMFILE | LR_CREATEDIBSECTION;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

RGBQUAD quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// A picture of colour-table indices, its rows given as stored (bottom row first).
BmpLayout indexed(WORD bits, const std::vector<COLORREF>& colours, const std::vector<std::vector<DWORD>>& rows) {
  BmpLayout layout{.width = static_cast<LONG>(rows.front().size()),
               .height = static_cast<LONG>(rows.size()),
               .bits = bits,
               .colors_used = static_cast<DWORD>(colours.size()),
               .pixels = pack_rows(rows, bits)};
  for (COLORREF c : colours) layout.colors.push_back(quad(c));
  return layout;
}

class BmpDecode : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::testing::use_headless_display(); }

  std::optional<Picture> load(const std::vector<std::uint8_t>& file, UINT flags = kSection) {
    return load_picture(dir_.write("picture.bmp", file), flags);
  }
  HBITMAP load_handle(const std::vector<std::uint8_t>& file, UINT flags = kSection, int cx = 0, int cy = 0) {
    const auto path = dir_.write("picture.bmp", file);
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, flags));
  }

  TempDir dir_;
};

// The picture all depths store: top row red, green, blue; bottom row white, black, red.
const std::vector<COLORREF> kPicture = {kRed, kGreen, kBlue, kWhite, kBlack, kRed};

struct DepthCase {
  WORD bits;
  DWORD header_bytes;
  std::function<DWORD(COLORREF)> stored;  // a colour as the file stores it
  std::vector<RGBQUAD> table;
};

TEST_F(BmpDecode, EachDepthAndHeaderKeepsItsBitsAndPixels) {
  const std::vector<COLORREF> palette = {kBlack, kRed, kGreen, kBlue, kWhite};
  const auto index_of = [palette](COLORREF c) {
    return static_cast<DWORD>(std::find(palette.begin(), palette.end(), c) - palette.begin());
  };
  std::vector<RGBQUAD> table;
  for (COLORREF c : palette) table.push_back(quad(c));
  const auto rgb555 = [](COLORREF c) {
    return static_cast<DWORD>((GetRValue(c) >> 3) << 10 | (GetGValue(c) >> 3) << 5 | GetBValue(c) >> 3);
  };
  const auto bgr = [](COLORREF c) { return static_cast<DWORD>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
  const DepthCase cases[] = {
      {4, 40, index_of, table},  {8, 40, index_of, table}, {8, 12, index_of, table}, {8, 108, index_of, table},
      {8, 124, index_of, table}, {8, 16, index_of, table}, {8, 64, index_of, table}, {16, 40, rgb555, {}},
      {24, 40, bgr, {}},         {24, 12, bgr, {}},        {32, 40, bgr, {}},        {32, 124, bgr, {}},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, header " << c.header_bytes);
    BmpLayout layout{.header_bytes = c.header_bytes, .width = 3, .height = 2, .bits = c.bits, .colors = c.table};
    layout.colors_used = c.header_bytes == 12 ? 0 : static_cast<DWORD>(c.table.size());
    if (c.header_bytes == 12 && c.bits <= 8) layout.colors.resize(std::size_t{1} << c.bits);  // no count in a core header
    // Bottom row first, as stored.
    layout.pixels = pack_rows({{c.stored(kPicture[3]), c.stored(kPicture[4]), c.stored(kPicture[5])},
                             {c.stored(kPicture[0]), c.stored(kPicture[1]), c.stored(kPicture[2])}},
                            c.bits);
    const auto picture = load(bmp_file(layout));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->bits, c.bits);
    EXPECT_TRUE(picture->dib_section);
    EXPECT_FALSE(picture->top_down);
    EXPECT_EQ(picture->pixels, kPicture);
  }
  // One bit: black and white.
  const auto picture = load(bmp_file(indexed(1, {kBlack, kWhite}, {{1, 1, 0}, {0, 0, 1}})));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->bits, 1);
  EXPECT_EQ(picture->pixels, (std::vector<COLORREF>{kBlack, kBlack, kWhite, kWhite, kWhite, kBlack}));
}

TEST_F(BmpDecode, TopDownRowsStayTopDown) {
  for (WORD bits : {WORD{8}, WORD{24}}) {
    SCOPED_TRACE(bits);
    BmpLayout layout =
        bits == 8
            ? indexed(8, {kRed, kBlue}, {{0, 1}, {1, 1}})
            : BmpLayout{.width = 2, .bits = 24, .pixels = pack_rows({{0xFF0000, 0x0000FF}, {0x0000FF, 0x0000FF}}, 24)};
    layout.height = -2;
    const auto picture = load(bmp_file(layout));
    ASSERT_TRUE(picture.has_value());
    EXPECT_TRUE(picture->top_down);
    EXPECT_EQ(picture->pixels, (std::vector<COLORREF>{kRed, kBlue, kBlue, kBlue}));
  }
}

TEST_F(BmpDecode, BitFieldsKeepTheirMasks) {
  struct FieldCase {
    WORD bits;
    DWORD header_bytes;
    std::array<DWORD, 3> masks;
    DWORD red;  // the stored value of pure red
  };
  const FieldCase cases[] = {
      {16, 40, {0xF800, 0x07E0, 0x001F}, 0xF800},
      {16, 56, {0x0F00, 0x00F0, 0x000F}, 0x0F00},
      {32, 124, {0x000000FF, 0x0000FF00, 0x00FF0000}, 0x000000FF},
      {32, 52, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x3FF00000},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, header " << c.header_bytes);
    const BmpLayout layout{.header_bytes = c.header_bytes,
                       .width = 2,
                       .bits = c.bits,
                       .compression = BI_BITFIELDS,
                       .masks = c.masks,
                       .pixels = pack_rows({{c.red, c.masks[0] | c.masks[1] | c.masks[2]}}, c.bits)};
    const HBITMAP bitmap = load_handle(bmp_file(layout));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBmih.biCompression, BI_BITFIELDS);
    EXPECT_EQ(section.dsBitfields[0], c.masks[0]);
    EXPECT_EQ(section.dsBitfields[1], c.masks[1]);
    EXPECT_EQ(section.dsBitfields[2], c.masks[2]);
    EXPECT_EQ(read_picture(bitmap).pixels, (std::vector<COLORREF>{kRed, kWhite}));
    DeleteObject(bitmap);
  }
}

TEST_F(BmpDecode, ShortColourTablesLeaveTheOtherIndicesBlack) {
  BmpLayout layout = indexed(8, {kRed, kGreen}, {{0, 1, 200}});
  const auto picture = load(bmp_file(layout));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->pixels, (std::vector<COLORREF>{kRed, kGreen, kBlack}));
  ASSERT_EQ(picture->table.size(), 256u);
  EXPECT_EQ(picture->table[1].rgbGreen, 255);
  for (std::size_t i = 2; i < 256; ++i)
    ASSERT_EQ(RGB(picture->table[i].rgbRed, picture->table[i].rgbGreen, picture->table[i].rgbBlue), kBlack) << i;

  // A core header has no count: the table ends where the pixels begin.
  layout.header_bytes = 12;
  layout.colors_used = 0;
  const auto core = load(bmp_file(layout));
  ASSERT_TRUE(core.has_value());
  EXPECT_EQ(core->pixels, (std::vector<COLORREF>{kRed, kGreen, kBlack}));
}

// Index grids, top row first, with 9 where the codes skip (index 0).
struct RleCase {
  const char* name;
  WORD bits;
  DWORD compression;
  std::vector<std::uint8_t> codes;
  std::vector<std::vector<unsigned>> expected;
};

TEST_F(BmpDecode, RunLengthCodesFillAnUncompressedSection) {
  const RleCase cases[] = {
      {"RLE8",
       8,
       BI_RLE8,
       {
           3, 1, 0, 0,              // bottom row: three of index 1, end of line
           0, 3, 2, 3, 4, 0, 0, 0,  // absolute 2 3 4, padded; end of line
           0, 2, 1, 1,              // skip one right and one up: the third row stays at index 0
           2, 5, 9, 6, 0, 1,        // two of 5, then a run past the row's end, clipped; end of bitmap
       },
       {{0, 5, 5, 6}, {0, 0, 0, 0}, {2, 3, 4, 0}, {1, 1, 1, 0}}},
      {"RLE4",
       4,
       BI_RLE4,
       {
           4, 0x12, 0, 0,           // 1 2 1 2
           0, 3, 0x34, 0x50, 0, 0,  // absolute 3 4 5 (two bytes: no padding); end of line
           0, 1,                    // end of bitmap: the top row stays at index 0
       },
       {{0, 0, 0, 0}, {0, 0, 0, 0}, {3, 4, 5, 0}, {1, 2, 1, 2}}},
  };
  for (const RleCase& c : cases) {
    SCOPED_TRACE(c.name);
    BmpLayout layout{
        .width = 4, .height = 4, .bits = c.bits, .compression = c.compression, .colors_used = 7, .pixels = c.codes};
    for (int i = 0; i < 7; ++i) layout.colors.push_back(RGBQUAD{static_cast<BYTE>(i * 30), 0, 0, 0});
    const auto picture = load(bmp_file(layout));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->bits, c.bits);
    EXPECT_EQ(picture->compression, BI_RGB);
    EXPECT_FALSE(picture->top_down);
    for (LONG y = 0; y < 4; ++y) {
      for (LONG x = 0; x < 4; ++x) {
        EXPECT_EQ(GetBValue(picture->at(x, y)),
                  c.expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] * 30)
            << x << "," << y;
      }
    }
  }
}

TEST_F(BmpDecode, LoadTransparentMakesTheFirstPixelsColourTheWindowColour) {
  // The first stored pixel, bottom left, is index 2.
  const auto picture =
      load(bmp_file(indexed(8, {kRed, kGreen, kBlue}, {{2, 0}, {1, 2}})), kSection | LR_LOADTRANSPARENT);
  ASSERT_TRUE(picture.has_value());
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(picture->pixels, (std::vector<COLORREF>{kGreen, window, window, kRed}));
  EXPECT_EQ(RGB(picture->table[0].rgbRed, picture->table[0].rgbGreen, picture->table[0].rgbBlue), kRed);

  // Without a colour table there is nothing to change.
  const auto deep = load(rgb24_bmp({{0x0000FF, 0xFF0000}}), kSection | LR_LOADTRANSPARENT);
  ASSERT_TRUE(deep.has_value());
  EXPECT_EQ(deep->pixels, (std::vector<COLORREF>{kBlue, kRed}));
}

TEST_F(BmpDecode, WithoutCreateDibSectionTheBitmapHasTheDisplaysFormat) {
  const HBITMAP bitmap = load_handle(bmp_file(indexed(4, {kRed, kBlue}, {{1, 0}})), LR_LOADFROMFILE);
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION room{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof room, &room), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(room.dsBm.bmBitsPixel, 32);
  EXPECT_EQ(room.dsBm.bmBits, nullptr);
  EXPECT_EQ(read_picture(bitmap).pixels, (std::vector<COLORREF>{kBlue, kRed}));
  DeleteObject(bitmap);
}

TEST_F(BmpDecode, AWidthAndHeightStretchToThatSize) {
  const HBITMAP bitmap = load_handle(rgb24_bmp({{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}}), kSection, 4, 2);
  ASSERT_NE(bitmap, nullptr);
  const Picture picture = read_picture(bitmap);
  EXPECT_EQ(picture.bits, 24);
  EXPECT_EQ(picture.pixels, (std::vector<COLORREF>{kRed, kRed, kGreen, kGreen, kBlue, kBlue, kWhite, kWhite}));
  DeleteObject(bitmap);
}

TEST_F(BmpDecode, FilesCutShortAreRefused) {
  // Rows of 5 bytes and 3 of padding.
  const BmpLayout plain = indexed(8, {kRed, kGreen}, {{0, 1, 0, 1, 0}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}});
  const std::vector<std::uint8_t> file = bmp_file(plain);
  // The last row may lose its padding, nothing more.
  for (std::size_t length = 0; length < file.size(); ++length) {
    const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    SetLastError(0);
    const HBITMAP bitmap = load_handle(cut);
    EXPECT_EQ(bitmap != nullptr, length >= file.size() - 3) << length;
    if (bitmap == nullptr) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << length;
    }
    DeleteObject(bitmap);
  }

  BmpLayout rle = plain;
  rle.compression = BI_RLE8;
  rle.pixels = {5, 1, 0, 0, 5, 0, 0, 0, 5, 1, 0, 1};
  const std::vector<std::uint8_t> coded = bmp_file(rle);
  for (std::size_t length = coded.size() - rle.pixels.size(); length < coded.size(); ++length) {
    const std::vector<std::uint8_t> cut(coded.begin(), coded.begin() + static_cast<std::ptrdiff_t>(length));
    // Codes that stop before their end-of-bitmap mark, rows still to fill, are cut.
    EXPECT_EQ(load_handle(cut), nullptr) << length;
  }
}

TEST_F(BmpDecode, FilesThatLieAboutThemselvesAreRefused) {
  const BmpLayout base = indexed(8, {kRed, kGreen, kBlue, kWhite}, {{0, 1, 2, 3}, {3, 2, 1, 0}});
  ASSERT_TRUE(load(bmp_file(base)).has_value());

  // A change to the picture, or one byte of the file changed.
  struct Lie {
    const char* name;
    std::function<void(BmpLayout&)> change = [](BmpLayout&) {};
    std::size_t offset = 0;
    std::uint8_t value = 0;
  };
  const auto fields = [](WORD bits, std::array<DWORD, 3> masks) {
    return [=](BmpLayout& s) { s.bits = bits, s.compression = BI_BITFIELDS, s.masks = masks; };
  };
  const Lie lies[] = {
      {"a colour count beyond the file", [](BmpLayout& s) { s.colors_used = 1u << 30; }},
      {"a side beyond the cap", [](BmpLayout& s) { s.width = (1 << 24) + 1; }},
      {"a size beyond the file", [](BmpLayout& s) { s.width = 1 << 16, s.height = 1 << 16; }},
      {"width 0", [](BmpLayout& s) { s.width = 0; }},
      {"negative width", [](BmpLayout& s) { s.width = -4; }},
      {"height 0", [](BmpLayout& s) { s.height = 0; }},
      {"7 bits per pixel", [](BmpLayout& s) { s.bits = 7; }},
      {"2 bits per pixel", [](BmpLayout& s) { s.bits = 2; }},
      {"an unknown compression", [](BmpLayout& s) { s.compression = 9; }},
      {"JPEG", [](BmpLayout& s) { s.compression = BI_JPEG; }},
      {"RLE4 at 8 bits", [](BmpLayout& s) { s.compression = BI_RLE4; }},
      {"top-down RLE8", [](BmpLayout& s) { s.compression = BI_RLE8, s.height = -2; }},
      {"RLE8 codes far too few for the size", [](BmpLayout& s) { s.compression = BI_RLE8, s.width = s.height = 20000; }},
      {"bit fields at 8 bits", [](BmpLayout& s) { s.compression = BI_BITFIELDS; }},
      {"overlapping fields", fields(16, {0xF800, 0x0FE0, 0x1F})},
      {"a field with a gap", fields(16, {0xF000, 0x0500, 0x1F})},
      {"a field outside 16 bits", fields(16, {0xF0000, 0x7E0, 0x1F})},
      {"no fields at all", fields(32, {0, 0, 0})},
      {"an unknown header size", [](BmpLayout& s) { s.header_bytes = 44; }},
      {"not BM", [](BmpLayout&) {}, 1, 'A'},
      {"pixels past the end", [](BmpLayout&) {}, 12, 0x10},  // bfOffBits + 1 MiB
      {"pixels inside the headers", [](BmpLayout&) {}, 10, 20},
      {"two planes", [](BmpLayout&) {}, 26, 2},
  };
  for (const Lie& lie : lies) {
    SCOPED_TRACE(lie.name);
    BmpLayout layout = base;
    lie.change(layout);
    std::vector<std::uint8_t> file = bmp_file(layout);
    if (lie.offset != 0) file[lie.offset] = lie.value;
    SetLastError(0);
    EXPECT_EQ(load_handle(file), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  }
}

TEST_F(BmpDecode, MissingAndUnreadableFilesGiveTheirErrors) {
  EXPECT_EQ(LoadImageA(nullptr, (dir_.path() / "absent.bmp").c_str(), IMAGE_BITMAP, 0, 0, kSection), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(LoadImageA(nullptr, dir_.path().c_str(), IMAGE_BITMAP, 0, 0, kSection), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(load_handle({}), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

}  // namespace
}  // namespace sorvel::testing
