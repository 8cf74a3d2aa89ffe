// The public BMP suite through LoadImageA: its pictures all show one scene,
// so every file that loads is compared with the others of its kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "tests/bmp/bmp_pictures.h"
#include "tests/support/test_files.h"

namespace sorvel::testing {
namespace {

std::filesystem::path bmp(const std::string& name) { return corpus_dir() / "bmp" / name; }

// The largest difference of one colour channel between two pictures of one size.
int largest_difference(const Picture& a, const Picture& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int d =
          std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) - static_cast<int>((b.pixels[i] >> shift) & 0xFF));
      largest = std::max(largest, d);
    }
  }
  return largest;
}

class BmpCorpus : public ::testing::Test {
 protected:
  void SetUp() override { SORVEL_REQUIRE_CORPUS(); }
};

struct Likeness {
  const char* file;
  const char* reference;
  int tolerance;  // per channel: 0 for the same pixels, more where the depth rounds
};

TEST_F(BmpCorpus, FilesThatLoadShowTheirReferencePicture) {
  const Likeness cases[] = {
      {"good/rgb24pal.bmp", "good/rgb24.bmp", 0},
      {"good/rgb32.bmp", "good/rgb24.bmp", 0},
      {"good/rgb32bf.bmp", "good/rgb24.bmp", 0},
      {"good/rgb32bfdef.bmp", "good/rgb24.bmp", 0},
      {"good/rgb16.bmp", "good/rgb24.bmp", 4},
      {"good/rgb16bfdef.bmp", "good/rgb16.bmp", 0},
      {"good/rgb16-565.bmp", "good/rgb24.bmp", 4},
      {"good/rgb16-565pal.bmp", "good/rgb16-565.bmp", 0},
      {"good/pal8.bmp", "good/rgb24.bmp", 50},  // 252 colours for the scene
      {"good/pal8-0.bmp", "good/pal8.bmp", 0},
      {"good/pal8os2.bmp", "good/pal8.bmp", 0},
      {"good/pal8rle.bmp", "good/pal8.bmp", 0},
      {"good/pal8topdown.bmp", "good/pal8.bmp", 0},
      {"good/pal8v4.bmp", "good/pal8.bmp", 0},
      {"good/pal8v5.bmp", "good/pal8.bmp", 0},
      {"good/pal4rle.bmp", "good/pal4.bmp", 0},
      {"good/pal1wb.bmp", "good/pal1.bmp", 0},
      {"questionable/pal8offs.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2-hs.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2-sz.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2sp.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2v2.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2v2-16.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2v2-40sz.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8os2v2-sz.bmp", "good/pal8.bmp", 0},
      {"questionable/pal8oversizepal.bmp", "good/pal8.bmp", 0},
      {"questionable/rgb24largepal.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb24lprof.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb24prof.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb32-xbgr.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb32fakealpha.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb32h52.bmp", "good/rgb24.bmp", 0},
      {"questionable/rgb32-111110.bmp", "good/rgb24.bmp", 1},
      {"questionable/rgb32-7187.bmp", "good/rgb24.bmp", 1},
      {"questionable/rgb16faketrns.bmp", "good/rgb16.bmp", 0},
      {"questionable/rgba16-5551.bmp", "good/rgb16.bmp", 0},
      {"questionable/rgba32-2.bmp", "questionable/rgba32-1.bmp", 0},
      {"questionable/rgba32abf.bmp", "questionable/rgba32-1.bmp", 0},
      {"questionable/rgba32h56.bmp", "questionable/rgba32-1.bmp", 0},
      {"questionable/rgba32-1010102.bmp", "questionable/rgba32-1.bmp", 1},
      {"questionable/rgba32-81284.bmp", "questionable/rgba32-1.bmp", 1},
      {"questionable/rgba32-61754.bmp", "questionable/rgba32-1.bmp", 4},
      {"questionable/rgba16-4444.bmp", "questionable/rgba32-1.bmp", 8},
      {"bad/badbitssize.bmp", "good/pal1.bmp", 0},
      {"bad/baddens1.bmp", "good/pal1.bmp", 0},
      {"bad/baddens2.bmp", "good/pal1.bmp", 0},
      {"bad/badfilesize.bmp", "good/pal1.bmp", 0},
  };
  std::map<std::string, Picture> references;
  for (const Likeness& c : cases) {
    SCOPED_TRACE(c.file);
    if (!references.contains(c.reference)) {
      const auto reference = load_picture(bmp(c.reference));
      ASSERT_TRUE(reference.has_value()) << c.reference;
      references.emplace(c.reference, *reference);
    }
    const Picture& reference = references.at(c.reference);
    const auto picture = load_picture(bmp(c.file));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, reference.width);
    ASSERT_EQ(picture->height, reference.height);
    EXPECT_LE(largest_difference(*picture, reference), c.tolerance);
  }
}

TEST_F(BmpCorpus, DepthRowOrderAndColourTableAreTheFilesOwn) {
  struct Expected {
    const char* file;
    WORD bits;
    bool top_down;
    DWORD compression;
    std::size_t colors;  // entries in the section's table
  };
  const Expected cases[] = {
      {"good/pal1.bmp", 1, false, BI_RGB, 2},
      {"good/pal4.bmp", 4, false, BI_RGB, 16},
      {"good/pal4rle.bmp", 4, false, BI_RGB, 16},
      {"good/pal8.bmp", 8, false, BI_RGB, 256},
      {"good/pal8rle.bmp", 8, false, BI_RGB, 256},
      {"good/pal8topdown.bmp", 8, true, BI_RGB, 256},
      {"good/rgb16.bmp", 16, false, BI_RGB, 0},
      {"good/rgb16-565.bmp", 16, false, BI_BITFIELDS, 0},
      {"good/rgb24.bmp", 24, false, BI_RGB, 0},
      {"good/rgb32bf.bmp", 32, false, BI_BITFIELDS, 0},
      {"questionable/rgb32h52.bmp", 32, false, BI_BITFIELDS, 0},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.file);
    const auto picture = load_picture(bmp(c.file));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->bits, c.bits);
    EXPECT_EQ(picture->top_down, c.top_down);
    EXPECT_EQ(picture->compression, c.compression);
    EXPECT_EQ(picture->table.size(), c.colors);
  }
  // The 8-bit table is the file's, in the file's order.
  const std::vector<std::uint8_t> file = read_file(bmp("good/pal8.bmp"));
  const auto picture = load_picture(bmp("good/pal8.bmp"));
  ASSERT_TRUE(picture.has_value());
  for (std::size_t i = 0; i < 252; ++i) {
    const std::uint8_t* entry = &file[14 + 40 + 4 * i];
    ASSERT_EQ(picture->table[i].rgbBlue, entry[0]) << i;
    ASSERT_EQ(picture->table[i].rgbGreen, entry[1]) << i;
    ASSERT_EQ(picture->table[i].rgbRed, entry[2]) << i;
  }
}

TEST_F(BmpCorpus, OtherSizesAndGreyVersionsLoad) {
  const struct {
    const char* file;
    LONG width;
    LONG height;
    bool grey;
  } cases[] = {
      {"good/pal8w124.bmp", 124, 61, false}, {"good/pal8w125.bmp", 125, 62, false},
      {"good/pal8w126.bmp", 126, 63, false}, {"good/pal8nonsquare.bmp", 127, 32, false},
      {"good/pal4gs.bmp", 127, 64, true},    {"good/pal8gs.bmp", 127, 64, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto picture = load_picture(bmp(c.file));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, c.width);
    EXPECT_EQ(picture->height, c.height);
    if (c.grey) {
      EXPECT_TRUE(std::all_of(picture->pixels.begin(), picture->pixels.end(),
                              [](COLORREF p) { return GetRValue(p) == GetGValue(p) && GetGValue(p) == GetBValue(p); }));
    }
  }
  // Blue and green instead of black and white: the same shapes in other colours.
  const auto mono = load_picture(bmp("good/pal1.bmp"));
  const auto coloured = load_picture(bmp("good/pal1bg.bmp"));
  ASSERT_TRUE(mono && coloured);
  std::map<COLORREF, COLORREF> recolouring;
  for (std::size_t i = 0; i < mono->pixels.size(); ++i) {
    const auto [it, fresh] = recolouring.emplace(mono->pixels[i], coloured->pixels[i]);
    ASSERT_EQ(it->second, coloured->pixels[i]) << i;
  }
  EXPECT_EQ(recolouring.size(), 2u);
}

TEST_F(BmpCorpus, RunLengthFilesThatSkipPixelsLeaveThemAtIndexZero) {
  const struct {
    const char* file;
    const char* reference;
  } cases[] = {
      {"questionable/pal8rletrns.bmp", "good/pal8.bmp"},
      {"questionable/pal8rlecut.bmp", "good/pal8.bmp"},
      {"questionable/pal4rletrns.bmp", "good/pal4.bmp"},
      {"questionable/pal4rlecut.bmp", "good/pal4.bmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto picture = load_picture(bmp(c.file));
    const auto reference = load_picture(bmp(c.reference));
    ASSERT_TRUE(picture && reference);
    const RGBQUAD zero = picture->table[0];
    const COLORREF skipped = RGB(zero.rgbRed, zero.rgbGreen, zero.rgbBlue);
    std::size_t skips = 0;
    for (std::size_t i = 0; i < picture->pixels.size(); ++i) {
      if (picture->pixels[i] == reference->pixels[i]) continue;
      ASSERT_EQ(picture->pixels[i], skipped) << i;
      ++skips;
    }
    EXPECT_GT(skips, 0u);
  }
}

TEST_F(BmpCorpus, FilesNotReadAreRefusedAndDamagedOnesLoadWithoutHarm) {
  const char* refused[] = {
      "questionable/pal1huffmsb.bmp",  // OS/2 Huffman 1D
      "questionable/pal2.bmp",         // 2 bits per pixel: not a depth sections have
      "questionable/pal2color.bmp",
      "questionable/rgb24jpeg.bmp",
      "questionable/rgb24png.bmp",
      "questionable/rgb24rle24.bmp",  // OS/2 RLE24
      "questionable/rgba64.bmp",
      "bad/badbitcount.bmp",
      "bad/badheadersize.bmp",
      "bad/badpalettesize.bmp",  // a table of 305 million entries in 9 KB
      "bad/badplanes.bmp",
      "bad/badwidth.bmp",
      "bad/reallybig.bmp",   // 3000000 x 2000000 in 24 KB
      "bad/rletopdown.bmp",  // run-length rows are bottom-up by definition
      "bad/shortfile.bmp",
      "related/ba-bm.bmp",  // an OS/2 bitmap array, not a bitmap
  };
  for (const char* file : refused) {
    SCOPED_TRACE(file);
    SetLastError(0);
    EXPECT_EQ(LoadImageA(nullptr, bmp(file).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  }
  // Runs past the rows' ends, indices past the table, a field of no bits: clipped, black, zero.
  const char* damaged[] = {
      "bad/badrle.bmp",
      "bad/badrlebis.bmp",
      "bad/badrleter.bmp",
      "bad/badrle4.bmp",
      "bad/badrle4bis.bmp",
      "bad/badrle4ter.bmp",
      "bad/pal8badindex.bmp",
      "bad/rgb16-880.bmp",
      "questionable/pal1p1.bmp",
      "questionable/rgb16-231.bmp",
      "questionable/rgb16-3103.bmp",
      "questionable/rgba16-1924.bmp",
      "questionable/rgb24prof2.bmp",
  };
  for (const char* file : damaged) {
    SCOPED_TRACE(file);
    const auto picture = load_picture(bmp(file));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 127);
    EXPECT_EQ(picture->height, 64);
  }
}

}  // namespace
}  // namespace sorvel::testing
