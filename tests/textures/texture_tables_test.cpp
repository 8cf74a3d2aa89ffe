// The BMP and TGA texture tables on a real GL context: what reaches the
// texture (read back with glGetTexImage), its parameters, the slots' bounds
// and what a failed load leaves behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/testing.h"
#include "sorvel/sorvel.h"
#include "sorvel/textures/tga_texts.h"
#include "tests/bmp/bmp_writer.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/test_files.h"
#include "tests/textures/tga_files.h"

namespace sorvel::testing {
namespace {

GLint texture_level_int(GLenum name) {
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
  return value;
}
GLint texture_int(GLenum name) {
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}
GLint get_int(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}
GLuint bound_texture() { return static_cast<GLuint>(get_int(GL_TEXTURE_BINDING_2D)); }

// The bound texture's pixels, rows packed tight, first row (t = 0) first.
std::vector<std::uint8_t> bound_pixels(GLenum format) {
  const std::size_t components = format == GL_RGBA ? 4 : 3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(texture_level_int(GL_TEXTURE_WIDTH)) *
                                   static_cast<std::size_t>(texture_level_int(GL_TEXTURE_HEIGHT)) * components);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

// A colour of its own for every position, as 0x00RRGGBB.
DWORD colour_at(LONG x, LONG y) {
  return static_cast<DWORD>((40 + 50 * x) << 16 | (10 + 60 * y) << 8 | (200 - 20 * x - 7 * y));
}

class TextureTables : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    platform::testing::use_headless_display();
    // One context for the process, never closed: closing unloads the GL
    // driver, and what it keeps would then show as leaks of no library.
    static GlTestContext* const context = new GlTestContext(16, 16);
    ASSERT_TRUE(context->error().empty()) << context->error();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    TEXTUREID2.fill(0);
    TEXTURETGA2.fill(TGATEXTURE{});
    platform::testing::set_message_box_handler([this](const platform::testing::MessageBoxCall& call) {
      boxes_.push_back(call);
      return IDOK;
    });
  }
  void TearDown() override {
    platform::testing::set_message_box_handler({});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  std::string bmp(const std::vector<std::uint8_t>& bytes, const char* name = "texture.bmp") {
    return dir_.write(name, bytes).string();
  }
  // A 24-bit picture of colour_at, top row first.
  std::string rgb24(LONG width, LONG height) {
    std::vector<std::vector<DWORD>> rows(static_cast<std::size_t>(height));
    for (LONG y = 0; y < height; ++y) {
      for (LONG x = 0; x < width; ++x) rows[static_cast<std::size_t>(y)].push_back(colour_at(x, y));
    }
    return bmp(rgb24_bmp(rows));
  }
  std::string tga(std::uint8_t bpp, const char* name = "texture.tga") {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 6; ++i) {
      pixels.insert(pixels.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(100 + i),
                                   static_cast<std::uint8_t>(200 + i)});
      if (bpp == 32) pixels.push_back(static_cast<std::uint8_t>(50 + i));
    }
    return dir_.write(name, tga_file(2, 3, 2, bpp, pixels)).string();
  }

  TempDir dir_;
  std::vector<platform::testing::MessageBoxCall> boxes_;
};

// The bytes the texture must hold for a picture of colour_at: bottom row first, red first.
std::vector<std::uint8_t> expected_rgb(LONG width, LONG height) {
  std::vector<std::uint8_t> bytes;
  for (LONG y = height - 1; y >= 0; --y) {
    for (LONG x = 0; x < width; ++x) {
      const DWORD c = colour_at(x, y);
      bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                 static_cast<std::uint8_t>(c)});
    }
  }
  return bytes;
}

TEST_F(TextureTables, SwapRgbTradesTheFirstAndThirdByteOfEachGroup) {
  std::uint8_t one[] = {1, 2, 3, 9};
  SWAPRGB(one, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(one, one + 4), (std::vector<std::uint8_t>{3, 2, 1, 9}));
  std::uint8_t two[] = {1, 2, 3, 4, 5, 6};
  SWAPRGB(two, 2);
  EXPECT_EQ(std::vector<std::uint8_t>(two, two + 6), (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
  for (std::int32_t size : {0, -1}) {
    std::uint8_t untouched[] = {1, 2, 3};
    SWAPRGB(untouched, size);
    EXPECT_EQ(untouched[0], 1);
  }
}

TEST_F(TextureTables, ABmpFourPixelsWideUploadsItsBottomRowFirstInRgbOrder) {
  TEXTURELOADID(rgb24(4, 2).c_str(), 5);
  ASSERT_NE(TEXTUREID2[5], 0u);
  EXPECT_EQ(bound_texture(), TEXTUREID2[5]);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(texture_level_int(GL_TEXTURE_WIDTH), 4);
  EXPECT_EQ(texture_level_int(GL_TEXTURE_HEIGHT), 2);
  EXPECT_EQ(texture_level_int(GL_TEXTURE_INTERNAL_FORMAT), 3);
  EXPECT_EQ(texture_int(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(texture_int(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(texture_int(GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texture_int(GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(get_int(GL_UNPACK_ALIGNMENT), 4);
  EXPECT_EQ(get_int(GL_UNPACK_ROW_LENGTH), 0);
  EXPECT_EQ(get_int(GL_UNPACK_SKIP_ROWS), 0);
  EXPECT_EQ(get_int(GL_UNPACK_SKIP_PIXELS), 0);
  const std::vector<std::uint8_t> pixels = bound_pixels(GL_RGB);
  EXPECT_EQ(pixels, expected_rgb(4, 2));
  // The first row uploaded is the picture's bottom row.
  EXPECT_EQ(pixels[0], static_cast<std::uint8_t>(colour_at(0, 1) >> 16));
}

TEST_F(TextureTables, RowsWithFillBytesAndOtherLayoutsUploadEveryPixel) {
  // Widths whose 24-bit rows carry 1 to 3 fill bytes.
  for (LONG width : {1, 2, 3, 5, 7}) {
    SCOPED_TRACE(width);
    TEXTURELOADID(rgb24(width, 3).c_str(), 1);
    EXPECT_EQ(bound_pixels(GL_RGB), expected_rgb(width, 3));
  }
  // Other depths and a top-down file come out as the same bottom-up RGB rows.
  const LONG width = 3, height = 2;
  std::vector<std::vector<DWORD>> top_first(height);
  for (LONG y = 0; y < height; ++y) {
    for (LONG x = 0; x < width; ++x) top_first[static_cast<std::size_t>(y)].push_back(colour_at(x, y));
  }
  const std::vector<std::vector<DWORD>> bottom_first(top_first.rbegin(), top_first.rend());
  std::vector<BmpLayout> layouts;
  BmpLayout deep;
  deep.width = width;
  deep.height = height;
  deep.bits = 32;
  deep.pixels = pack_rows(bottom_first, 32);
  layouts.push_back(deep);
  BmpLayout top_down = deep;
  top_down.bits = 24;
  top_down.height = -height;
  top_down.pixels = pack_rows(top_first, 24);
  layouts.push_back(top_down);
  BmpLayout indexed = deep;
  indexed.bits = 8;
  std::vector<std::vector<DWORD>> indices;
  for (const auto& row : bottom_first) {
    indices.emplace_back();
    for (DWORD c : row) {
      indices.back().push_back(static_cast<DWORD>(indexed.colors.size()));
      indexed.colors.push_back(RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0});
    }
  }
  indexed.colors_used = static_cast<DWORD>(indexed.colors.size());
  indexed.pixels = pack_rows(indices, 8);
  layouts.push_back(indexed);
  for (const BmpLayout& layout : layouts) {
    SCOPED_TRACE(::testing::Message() << layout.bits << " bits, height " << layout.height);
    TEXTURELOADID(bmp(bmp_file(layout)).c_str(), 2);
    std::vector<std::uint8_t> expected = expected_rgb(width, height);
    if (layout.bits == 8) {
      // The loader is asked for LR_LOADTRANSPARENT: the colour of the first
      // stored pixel's index becomes the window colour.
      const COLORREF window = GetSysColor(COLOR_WINDOW);
      expected[0] = GetRValue(window), expected[1] = GetGValue(window), expected[2] = GetBValue(window);
    }
    EXPECT_EQ(bound_pixels(GL_RGB), expected);
  }
}

TEST_F(TextureTables, AFileThatCannotBeLoadedLeavesTheSlotAsItWas) {
  TEXTURELOADID(rgb24(2, 2).c_str(), 7);
  const GLuint earlier = TEXTUREID2[7];
  ASSERT_NE(earlier, 0u);
  TEXTURELOADID((dir_.path() / "absent.bmp").c_str(), 7);
  TEXTURELOADID(bmp({'B', 'M', 0, 0}, "broken.bmp").c_str(), 7);
  EXPECT_EQ(TEXTUREID2[7], earlier);
  TEXTURELOADID((dir_.path() / "absent.bmp").c_str(), 8);
  EXPECT_EQ(TEXTUREID2[8], 0u);
  // No texture was made for either: the next name is the one after the first.
  GLuint next = 0;
  glGenTextures(1, &next);
  EXPECT_EQ(next, earlier + 1);
}

TEST_F(TextureTables, SelectingBindsTheSlotsTextureAndNeverLoadedSlotsBindZero) {
  TEXTURELOADID(rgb24(2, 2).c_str(), 3);
  TEXTURELOADTGAID(tga(24), 3);
  ASSERT_NE(TEXTUREID2[3], 0u);
  ASSERT_NE(TEXTURETGA2[3].TEXID, 0u);
  EXPECT_NE(TEXTUREID2[3], TEXTURETGA2[3].TEXID);
  TEXTURESELECTID(10);
  EXPECT_EQ(bound_texture(), 0u);
  TEXTURESELECTID(3);
  EXPECT_EQ(bound_texture(), TEXTUREID2[3]);
  TEXTURETGASELECTID(10);
  EXPECT_EQ(bound_texture(), 0u);
  TEXTURETGASELECTID(3);
  EXPECT_EQ(bound_texture(), TEXTURETGA2[3].TEXID);
  // Selecting does not turn texturing on.
  glDisable(GL_TEXTURE_2D);
  TEXTURESELECTID(3);
  TEXTURETGASELECTID(3);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureTables, BmpSlotsRunFrom0To500) {
  const std::string file = rgb24(2, 2);
  TEXTURELOADID(file.c_str(), 0);
  TEXTURELOADID(file.c_str(), 500);
  EXPECT_NE(TEXTUREID2[0], 0u);
  EXPECT_NE(TEXTUREID2[500], 0u);
  EXPECT_EXIT(TEXTURELOADID(file.c_str(), 501), ::testing::ExitedWithCode(70),
              "TEXTUREID2 index 501 is outside 0\\.\\.500");
  EXPECT_EXIT(TEXTURELOADID(file.c_str(), -1), ::testing::ExitedWithCode(70), "TEXTUREID2 index -1");
  EXPECT_EXIT(TEXTURESELECTID(501), ::testing::ExitedWithCode(70), "TEXTUREID2 index 501");
}

TEST_F(TextureTables, TgaSlotsRunFrom0To200AndAMissingFileIsSilentWhateverTheSlot) {
  const std::string file = tga(24);
  TEXTURELOADTGAID(file, 0);
  TEXTURELOADTGAID(file, 200);
  EXPECT_NE(TEXTURETGA2[0].TEXID, 0u);
  EXPECT_NE(TEXTURETGA2[200].TEXID, 0u);
  EXPECT_EXIT(TEXTURELOADTGAID(file, 201), ::testing::ExitedWithCode(70),
              "TEXTURETGA2 index 201 is outside 0\\.\\.200");
  EXPECT_EXIT(TEXTURELOADTGAID(file, -1), ::testing::ExitedWithCode(70), "TEXTURETGA2 index -1");
  EXPECT_EXIT(TEXTURETGASELECTID(201), ::testing::ExitedWithCode(70), "TEXTURETGA2 index 201");
  // A missing file, or a directory of that name, is checked first: nothing happens.
  for (const std::string& missing : {(dir_.path() / "absent.tga").string(), dir_.path().string()}) {
    TEXTURELOADTGAID(missing, 201);
    TEXTURELOADTGAID(missing, 5);
  }
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(TEXTURETGA2[5].TEXID, 0u);
}

TEST_F(TextureTables, TgaImagesUploadWithTheirComponentCount) {
  for (std::uint8_t bpp : {std::uint8_t{24}, std::uint8_t{32}}) {
    SCOPED_TRACE(int{bpp});
    TGATEXTURE decoded{};
    ASSERT_TRUE(LOADTGA(decoded, tga(bpp)));
    const std::vector<std::uint8_t> expected(decoded.IMAGEDATA, decoded.IMAGEDATA + 6 * bpp / 8);
    std::free(decoded.IMAGEDATA);

    TEXTURELOADTGAID(tga(bpp), 9);
    const TGATEXTURE& slot = TEXTURETGA2[9];
    ASSERT_NE(slot.TEXID, 0u);
    EXPECT_EQ(bound_texture(), slot.TEXID);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(slot.WIDTH, 3u);
    EXPECT_EQ(slot.HEIGHT, 2u);
    EXPECT_EQ(texture_level_int(GL_TEXTURE_INTERNAL_FORMAT), bpp / 8);
    EXPECT_EQ(texture_int(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_int(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_int(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(texture_int(GL_TEXTURE_WRAP_T), GL_REPEAT);
    // The texture kept its pixels after the reader's block went; rows of
    // 9 bytes went up whole, and the unpack state is as it was.
    EXPECT_EQ(bound_pixels(bpp == 24 ? GL_RGB : GL_RGBA), expected);
    EXPECT_EQ(get_int(GL_UNPACK_ALIGNMENT), 4);
  }
}

TEST_F(TextureTables, AFailedTgaLoadKeepsTheSlotsEarlierTexture) {
  TEXTURELOADTGAID(tga(32), 4);
  const GLuint earlier = TEXTURETGA2[4].TEXID;
  ASSERT_NE(earlier, 0u);
  const std::string grey = dir_.write("grey.tga", {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 7}).string();
  TEXTURELOADTGAID(grey, 4);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, texts::kTgaWrongType);
  EXPECT_EQ(TEXTURETGA2[4].TEXID, earlier);
  TEXTURETGASELECTID(4);
  EXPECT_EQ(bound_texture(), earlier);
}

TEST_F(TextureTables, LoadingTwiceIntoASlotMakesASecondTexture) {
  const std::string file = tga(24);
  TEXTURELOADTGAID(file, 6);
  const GLuint first = TEXTURETGA2[6].TEXID;
  TEXTURELOADTGAID(file, 6);
  EXPECT_NE(TEXTURETGA2[6].TEXID, first);
  EXPECT_TRUE(glIsTexture(first));
  EXPECT_TRUE(glIsTexture(TEXTURETGA2[6].TEXID));
  TEXTURELOADID(rgb24(2, 2).c_str(), 6);
  const GLuint bmp_first = TEXTUREID2[6];
  TEXTURELOADID(rgb24(2, 2).c_str(), 6);
  EXPECT_NE(TEXTUREID2[6], bmp_first);
  EXPECT_TRUE(glIsTexture(bmp_first));
}

}  // namespace
}  // namespace sorvel::testing
