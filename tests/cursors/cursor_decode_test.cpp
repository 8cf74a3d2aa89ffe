// The cursor decoders on the public sample files and on files written here:
// bitmaps at every depth, PNG images, the choice of size, animations, and
// malformed files, which must all be refused.
#include "platform/core/cursor_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/cursors/cursor_writer.h"
#include "tests/support/test_files.h"

namespace {

using platform::CursorFrame;
using platform::CursorImage;
using platform::core::cursors::decode_cursor;
using sorvel::testing::Bytes;
using sorvel::testing::DibPicture;
using sorvel::testing::DirectoryEntry;
using sorvel::testing::kCursorFile;
using sorvel::testing::kIconFile;
namespace writer = sorvel::testing;

constexpr std::uint32_t kOpaque = 0xFF000000;

std::optional<CursorFrame> decode_static(const Bytes& file, int preferred_size = 32) {
  std::optional<CursorImage> image = decode_cursor(file, preferred_size);
  if (!image) return std::nullopt;
  EXPECT_EQ(image->frames.size(), 1u);
  return image->frames.at(0);
}

// A picture whose every pixel is palette entry 0, `colour`, mask clear.
DibPicture solid_picture(int side, std::uint32_t colour, int bits = 8) {
  const std::size_t n = static_cast<std::size_t>(side * side);
  return {side, side, bits, {colour}, std::vector<std::uint32_t>(n, 0), std::vector<bool>(n, false)};
}

Bytes solid_cursor(int side, std::uint32_t colour, int hotspot_x = 0, int hotspot_y = 0) {
  return writer::icon_directory(kCursorFile,
                                {{writer::dib_bytes(solid_picture(side, colour)), side, side, hotspot_x, hotspot_y}});
}

TEST(CursorCorpus, PublicCursorsDecodeAndTheEmptyDirectoryIsRefused) {
  SORVEL_REQUIRE_CORPUS();
  const auto dir = sorvel::testing::corpus_dir() / "cursors" / "pillow";

  // 1 and 8 bits, 1 × 4: black, white, then both masked (clear, inverting).
  // Their stated image sizes are wrong; the decoder does not rely on them.
  for (const char* name : {"mask_1.cur", "mask_L.cur"}) {
    const std::optional<CursorFrame> frame = decode_static(sorvel::testing::read_file(dir / name));
    ASSERT_TRUE(frame) << name;
    EXPECT_EQ(frame->width, 1);
    EXPECT_EQ(frame->height, 4);
    EXPECT_EQ(frame->pixels, (std::vector<std::uint32_t>{kOpaque, 0xFFFFFFFF, 0, kOpaque})) << name;
  }

  // 32 bits with alpha: the stored pixels as they are, rows turned top-down.
  const Bytes file = sorvel::testing::read_file(dir / "deerstalker.cur");
  const std::optional<CursorFrame> deer = decode_static(file);
  ASSERT_TRUE(deer);
  ASSERT_EQ(deer->width, 32);
  ASSERT_EQ(deer->height, 32);
  EXPECT_EQ(deer->hotspot_x, 0);
  EXPECT_EQ(deer->hotspot_y, 0);
  int translucent = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const std::size_t at = 22 + 40 + static_cast<std::size_t>(((31 - y) * 32 + x) * 4);
      const std::uint32_t stored = static_cast<std::uint32_t>(file[at + 3]) << 24 |
                                   static_cast<std::uint32_t>(file[at + 2]) << 16 |
                                   static_cast<std::uint32_t>(file[at + 1]) << 8 | file[at];
      ASSERT_EQ(deer->pixels[static_cast<std::size_t>(y * 32 + x)], stored) << x << "," << y;
      translucent += file[at + 3] != 0 && file[at + 3] != 255;
    }
  }
  EXPECT_GT(translucent, 0);

  EXPECT_FALSE(decode_cursor(sorvel::testing::read_file(dir / "no_cursors.cur"), 32));
}

// What a masked or unmasked colour becomes.
std::uint32_t shown(std::uint32_t colour, bool masked) {
  if (!masked) return kOpaque | colour;
  return colour == 0 ? 0 : kOpaque;  // clear where black, inverting (shown black) elsewhere
}

class BitmapDepth : public ::testing::TestWithParam<int> {};

TEST_P(BitmapDepth, ColoursAndMaskDecodeRowsTopDown) {
  const int bits = GetParam();
  constexpr int kWidth = 5;  // rows padded to 4 bytes at every depth
  constexpr int kHeight = 3;
  DibPicture picture{kWidth, kHeight, bits, {}, {}, {}};
  // A short colour table at 8 bits: indices must stay below the stated count.
  const std::size_t palette_size = bits <= 8 ? std::min<std::size_t>(std::size_t{1} << bits, 12) : 0;
  for (std::size_t i = 0; i < palette_size; ++i) picture.palette.push_back(i == 0 ? 0 : (0x3F1D27u * i) & 0xFFFFFF);
  std::vector<std::uint32_t> expected;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool masked = (x + y) % 3 == 0;
      std::uint32_t colour;
      if (bits <= 8) {
        const std::uint32_t index = static_cast<std::uint32_t>(x + 2 * y) % static_cast<std::uint32_t>(palette_size);
        picture.values.push_back(index);
        colour = picture.palette[index];
      } else {
        colour = static_cast<std::uint32_t>(x * 50) << 16 | static_cast<std::uint32_t>(y * 80) << 8 |
                 static_cast<std::uint32_t>((x + y) * 20);
        picture.values.push_back(colour);  // at 32 bits, alpha 0 throughout: the mask decides
      }
      picture.mask.push_back(masked);
      expected.push_back(shown(colour, masked));
    }
  }
  const std::optional<CursorFrame> frame =
      decode_static(writer::icon_directory(kCursorFile, {{writer::dib_bytes(picture), kWidth, kHeight, 4, 2}}));
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->width, kWidth);
  EXPECT_EQ(frame->height, kHeight);
  EXPECT_EQ(frame->hotspot_x, 4);
  EXPECT_EQ(frame->hotspot_y, 2);
  EXPECT_EQ(frame->pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapDepth, ::testing::Values(1, 4, 8, 24, 32));

TEST(CursorImages, AlphaAtThirtyTwoBitsOverridesTheMask) {
  const std::vector<std::uint32_t> pixels{0x00000000, 0x80FF0000, 0xFF00FF00, 0x010000FF, 0x7F123456, 0xFFFFFFFF};
  const DibPicture picture{3, 2, 32, {}, pixels, std::vector<bool>(6, true)};
  const std::optional<CursorFrame> frame =
      decode_static(writer::icon_directory(kCursorFile, {{writer::dib_bytes(picture), 3, 2, 0, 0}}));
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->pixels, pixels);
}

TEST(CursorImages, PngImageKeepsStraightAlphaAndTheDirectoryHotspot) {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t i = 0; i < 35; ++i) pixels.push_back((i * 7) << 24 | (0x102030u * i & 0xFFFFFF));
  const std::optional<CursorFrame> frame =
      decode_static(writer::icon_directory(kCursorFile, {{writer::png_bytes(7, 5, pixels), 7, 5, 6, 4}}));
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->width, 7);
  EXPECT_EQ(frame->height, 5);
  EXPECT_EQ(frame->hotspot_x, 6);
  EXPECT_EQ(frame->hotspot_y, 4);
  EXPECT_EQ(frame->pixels, pixels);
}

TEST(CursorImages, IconFilesPutTheHotspotAtTheCentreAndCursorHotspotsStayOnTheImage) {
  const Bytes icon = writer::icon_directory(kIconFile, {{writer::dib_bytes(solid_picture(9, 0x123456)), 9, 9, 1, 32}});
  const std::optional<CursorFrame> centred = decode_static(icon);
  ASSERT_TRUE(centred);
  EXPECT_EQ(centred->hotspot_x, 4);
  EXPECT_EQ(centred->hotspot_y, 4);
  const std::optional<CursorFrame> clamped = decode_static(solid_cursor(9, 0x123456, 40, 9));
  ASSERT_TRUE(clamped);
  EXPECT_EQ(clamped->hotspot_x, 8);
  EXPECT_EQ(clamped->hotspot_y, 8);
}

TEST(CursorImages, TheImageNearestThePreferredSizeIsChosen) {
  // Each image is one colour, so the colour says which was taken.
  auto bitmap = [](int side, int bits, std::uint32_t colour) {
    const std::size_t n = static_cast<std::size_t>(side * side);
    const DibPicture p{side,
                       side,
                       bits,
                       {colour, 0},
                       std::vector<std::uint32_t>(n, bits <= 8 ? 0 : colour),
                       std::vector<bool>(n, false)};
    return DirectoryEntry{writer::dib_bytes(p), side, side, 0, 0};
  };
  const std::vector<std::uint32_t> png_pixels(64 * 64, 0xFF000064);
  const Bytes file = writer::icon_directory(kCursorFile, {bitmap(16, 4, 0x000016),
                                                          bitmap(32, 1, 0x000132),
                                                          bitmap(32, 24, 0x002432),
                                                          bitmap(48, 8, 0x000848),
                                                          {writer::png_bytes(64, 64, png_pixels), 64, 64, 0, 0}});
  const struct {
    int preferred;
    std::uint32_t colour;
  } cases[] = {
      {16, 0x000016}, {1, 0x000016},  {32, 0x002432},  // the deeper of two equal sizes
      {40, 0x000848},                                  // equally near 32 and 48: the larger
      {24, 0x002432}, {56, 0x000064}, {512, 0x000064},
  };
  for (const auto& c : cases) {
    const std::optional<CursorFrame> frame = decode_static(file, c.preferred);
    ASSERT_TRUE(frame) << c.preferred;
    EXPECT_EQ(frame->pixels.at(0), kOpaque | c.colour) << "preferred " << c.preferred;
  }
}

// Three 4 × 4 frames of their own colour and hotspot.
const std::uint32_t kFrameColours[] = {0xAA0000, 0x00BB00, 0x0000CC};

Bytes frame_list() {
  std::vector<Bytes> icons;
  for (int i = 0; i < 3; ++i) icons.push_back(writer::riff_chunk("icon", solid_cursor(4, kFrameColours[i], i, 3 - i)));
  return writer::riff_list("fram", icons);
}

TEST(AnimatedCursors, StepsFollowTheSequenceWithTheirRates) {
  const Bytes info = writer::riff_list("INFO", {writer::riff_chunk("INAM", {'s', 'p', 'i', 'n'})});
  const Bytes odd = writer::riff_chunk("junk", {1, 2, 3});  // odd size: padded
  const struct {
    const char* name;
    std::vector<Bytes> chunks;
    std::vector<int> frames;
    std::vector<unsigned> delays_ms;
  } cases[] = {
      {"rates, no sequence",
       {writer::anih_chunk(3, 3, 99), writer::u32_chunk("rate", {6, 12, 30}), frame_list()},
       {0, 1, 2},
       {100, 200, 500}},
      {"header rate only", {writer::anih_chunk(3, 3, 3), frame_list()}, {0, 1, 2}, {50, 50, 50}},
      {"sequence and rates, other chunks around",
       {info, writer::anih_chunk(3, 4, 99), odd, writer::u32_chunk("seq ", {2, 0, 2, 1}),
        writer::u32_chunk("rate", {1, 2, 3, 0}), frame_list()},
       {2, 0, 2, 1},
       {17, 33, 50, 17}},  // a zero rate shows for one jiffy
      {"sequence, header rate",
       {frame_list(), writer::u32_chunk("seq ", {1, 1}), writer::anih_chunk(3, 2, 60)},
       {1, 1},
       {1000, 1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<CursorImage> image = decode_cursor(writer::acon_file(c.chunks), 32);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames.size(), c.frames.size());
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
      const CursorFrame& f = image->frames[i];
      const int source = c.frames[i];
      EXPECT_EQ(f.pixels.at(0), kOpaque | kFrameColours[source]) << "step " << i;
      EXPECT_EQ(f.hotspot_x, source);
      EXPECT_EQ(f.hotspot_y, 3 - source);
      EXPECT_EQ(f.delay_ms, c.delays_ms[i]) << "step " << i;
    }
  }
}

TEST(AnimatedCursors, FramesTakeTheSizeNearestThePreferred) {
  const Bytes two_sizes =
      writer::icon_directory(kCursorFile, {{writer::dib_bytes(solid_picture(16, 0x16)), 16, 16, 0, 0},
                                           {writer::dib_bytes(solid_picture(48, 0x48)), 48, 48, 0, 0}});
  const Bytes file = writer::acon_file(
      {writer::anih_chunk(1, 1, 1), writer::riff_list("fram", {writer::riff_chunk("icon", two_sizes)})});
  EXPECT_EQ(decode_cursor(file, 20)->frames.at(0).width, 16);
  EXPECT_EQ(decode_cursor(file, 40)->frames.at(0).width, 48);
}

// A PNG image, then a 4-bit bitmap last in the file.
Bytes good_static_file() {
  DibPicture picture{
      6, 2, 4, {0, 0xFFFFFF, 0x808080}, {0, 1, 2, 2, 1, 0, 1, 1, 1, 2, 2, 2}, std::vector<bool>(12, false)};
  return writer::icon_directory(kCursorFile,
                                {{writer::png_bytes(3, 3, std::vector<std::uint32_t>(9, 0x80FFFFFF)), 3, 3, 0, 0},
                                 {writer::dib_bytes(picture), 6, 2, 1, 1}});
}

Bytes good_animated_file() {
  return writer::acon_file({writer::anih_chunk(3, 2, 5), writer::u32_chunk("seq ", {0, 2}),
                            writer::u32_chunk("rate", {1, 2}), frame_list()});
}

TEST(MalformedCursors, EveryTruncationIsRefused) {
  for (const Bytes& good : {good_static_file(), good_animated_file()}) {
    ASSERT_TRUE(decode_cursor(good, 32));
    ASSERT_TRUE(decode_cursor(good, 3)) << "the PNG image of the static file";
    for (std::size_t size = 0; size < good.size(); ++size) {
      const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_FALSE(decode_cursor(cut, 32)) << size << " of " << good.size() << " bytes";
      EXPECT_FALSE(decode_cursor(cut, 3)) << size << " of " << good.size() << " bytes";
    }
  }
}

std::uint32_t u32_at(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | static_cast<std::uint32_t>(b.at(at + 1)) << 8 |
         static_cast<std::uint32_t>(b.at(at + 2)) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

TEST(MalformedCursors, LyingStaticHeadersAreRefused) {
  const Bytes good = good_static_file();
  constexpr std::size_t kSecondEntry = 6 + 16;
  const std::size_t png = u32_at(good, 6 + 12);
  const std::size_t bitmap = u32_at(good, kSecondEntry + 12);
  const std::string png_text(good.begin() + static_cast<std::ptrdiff_t>(png), good.end());
  const std::size_t png_data = png + png_text.find("IDAT") + 4;
  constexpr int kEither = 0;  // refused whichever image is nearer
  constexpr int kPng = 3;
  constexpr int kBitmap = 6;
  const struct {
    const char* name;
    std::size_t offset;
    int width;  // of the field, 2 or 4 bytes
    std::uint32_t value;
    int preferred;
  } cases[] = {
      {"reserved field", 0, 2, 1, kEither},
      {"unknown type", 2, 2, 3, kEither},
      {"no images", 4, 2, 0, kEither},
      {"more entries than the file holds", 4, 2, 40, kEither},
      {"image offset past the end", kSecondEntry + 12, 4, static_cast<std::uint32_t>(good.size()), kEither},
      {"image offset on the last byte", kSecondEntry + 12, 4, static_cast<std::uint32_t>(good.size() - 1), kEither},
      {"image offset far out", kSecondEntry + 12, 4, 0xFFFFFFF0, kEither},
      {"bitmap header too short", bitmap, 4, 39, kEither},
      {"bitmap header past the end", bitmap, 4, 0xFFFFFFFF, kEither},
      {"zero width", bitmap + 4, 4, 0, kEither},
      {"negative width", bitmap + 4, 4, 0xFFFFFFFA, kEither},
      {"width over 256", bitmap + 4, 4, 257, kEither},
      {"width needing more bytes than stored", bitmap + 4, 4, 16, kEither},
      {"odd stored height", bitmap + 8, 4, 3, kEither},
      {"top-down stored height", bitmap + 8, 4, 0xFFFFFFFC, kEither},
      {"zero height", bitmap + 8, 4, 0, kEither},
      {"height over 256", bitmap + 8, 4, 514, kEither},
      {"height needing more rows than stored", bitmap + 8, 4, 6, kEither},
      {"16 bits per pixel", bitmap + 14, 2, 16, kEither},
      {"2 bits per pixel", bitmap + 14, 2, 2, kEither},
      {"0 bits per pixel", bitmap + 14, 2, 0, kEither},
      {"8 bits: rows run past the end", bitmap + 14, 2, 8, kEither},
      {"run-length compressed", bitmap + 16, 4, 2, kEither},
      {"more colours than 4 bits index", bitmap + 32, 4, 17, kEither},
      {"colour table past the end", bitmap + 32, 4, 16, kEither},
      {"index beyond the colour table", bitmap + 32, 4, 2, kBitmap},
      {"PNG header chunk length", png + 8, 4, 0x0D000001, kEither},
      {"PNG width 0", png + 16, 4, 0, kEither},
      {"PNG width over 256", png + 16, 4, 0x01010000, kEither},
      {"PNG damaged image data", png_data, 4, 0xDEADBEEF, kPng},
  };
  for (const auto& c : cases) {
    Bytes bad = good;
    if (c.width == 2) {
      writer::put_u16(bad, c.offset, static_cast<std::uint16_t>(c.value));
    } else {
      writer::put_u32(bad, c.offset, c.value);
    }
    for (int preferred : {kPng, kBitmap}) {
      if (c.preferred == kEither || c.preferred == preferred) {
        EXPECT_FALSE(decode_cursor(bad, preferred)) << c.name << ", preferred size " << preferred;
      }
    }
  }
}

TEST(MalformedCursors, LyingAnimationsAreRefused) {
  const Bytes seq = writer::u32_chunk("seq ", {0, 2});
  const Bytes rate = writer::u32_chunk("rate", {1, 2});
  const Bytes not_a_cursor = writer::riff_list("fram", {writer::riff_chunk("icon", {'R', 'I', 'F', 'F'})});
  Bytes short_header = writer::riff_chunk("anih", Bytes(20, 0));
  Bytes past_the_form = good_animated_file();
  writer::put_u32(past_the_form, 4 + 4 + 4 + 4, 0x7FFFFFFF);  // the size of "anih"
  const struct {
    const char* name;
    Bytes file;
  } cases[] = {
      {"other form", writer::riff_chunk("RIFF", Bytes{'A', 'V', 'I', ' '})},
      {"form size over the file",
       [] {
         Bytes b = good_animated_file();
         writer::put_u32(b, 4, static_cast<std::uint32_t>(b.size()));
         return b;
       }()},
      {"form size below its name",
       [] {
         Bytes b = good_animated_file();
         writer::put_u32(b, 4, 2);
         return b;
       }()},
      {"chunk past the form", past_the_form},
      {"no header", writer::acon_file({seq, rate, frame_list()})},
      {"no frames", writer::acon_file({writer::anih_chunk(3, 2, 5), seq, rate})},
      {"short header", writer::acon_file({short_header, frame_list()})},
      {"two headers", writer::acon_file({writer::anih_chunk(3, 3, 5), writer::anih_chunk(3, 3, 5), frame_list()})},
      {"two frame lists", writer::acon_file({writer::anih_chunk(3, 3, 5), frame_list(), frame_list()})},
      {"zero frames", writer::acon_file({writer::anih_chunk(0, 0, 5), frame_list()})},
      {"more frames stated than stored", writer::acon_file({writer::anih_chunk(4, 4, 5), frame_list()})},
      {"fewer frames stated than stored", writer::acon_file({writer::anih_chunk(2, 2, 5), frame_list()})},
      {"sequence names a missing frame",
       writer::acon_file({writer::anih_chunk(3, 2, 5), writer::u32_chunk("seq ", {0, 3}), frame_list()})},
      {"sequence shorter than the steps", writer::acon_file({writer::anih_chunk(3, 3, 5), seq, frame_list()})},
      {"sequence of no steps", writer::acon_file({writer::anih_chunk(3, 0, 5), seq, frame_list()})},
      {"rates shorter than the steps", writer::acon_file({writer::anih_chunk(3, 3, 5), rate, frame_list()})},
      {"frame that is no cursor", writer::acon_file({writer::anih_chunk(1, 1, 5), not_a_cursor})},
      {"steps over the limit",
       writer::acon_file({writer::anih_chunk(3, 4097, 5), writer::u32_chunk("seq ", std::vector<std::uint32_t>(4097)),
                          frame_list()})},
  };
  for (const auto& c : cases) EXPECT_FALSE(decode_cursor(c.file, 32)) << c.name;
}

TEST(MalformedCursors, AnAnimationMayNotExpandBeyondItsPixelBound) {
  // One 256 × 256 frame (16 KB stored) repeated: 64 steps fit, 65 do not.
  const Bytes big = writer::icon_directory(kCursorFile, {{writer::dib_bytes(solid_picture(256, 0x1, 1)), 0, 0, 0, 0}});
  auto repeated = [&](std::uint32_t steps) {
    return writer::acon_file({writer::anih_chunk(1, steps, 1),
                              writer::u32_chunk("seq ", std::vector<std::uint32_t>(steps, 0)),
                              writer::riff_list("fram", {writer::riff_chunk("icon", big)})});
  };
  ASSERT_EQ(std::size_t{64} * 256 * 256, platform::core::cursors::kMaxAnimationPixels);
  EXPECT_TRUE(decode_cursor(repeated(64), 32));
  EXPECT_FALSE(decode_cursor(repeated(65), 32));
}

}  // namespace
