// LOADTGA on small files made here and on the public samples: each failure's
// box, the decoded bytes of both image types at both depths, and the image
// file closed on every path.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/testing.h"
#include "sorvel/sorvel.h"
#include "sorvel/textures/tga_texts.h"
#include "tests/support/test_files.h"
#include "tests/textures/tga_files.h"

#if defined(__SANITIZE_ADDRESS__)
#define SORVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SORVEL_ASAN 1
#endif
#endif

#ifdef SORVEL_ASAN
// Lets an allocation the limit refuses come back null, as malloc's would.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=2048"; }
#endif

namespace sorvel::testing {
namespace {

using namespace sorvel::texts;

std::size_t open_descriptors() {
  std::size_t count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

struct Outcome {
  bool loaded = false;
  std::vector<platform::testing::MessageBoxCall> boxes;
};

class TgaReader : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::set_message_box_handler([this](const platform::testing::MessageBoxCall& call) {
      boxes_.push_back(call);
      return IDOK;
    });
  }
  void TearDown() override { platform::testing::set_message_box_handler({}); }

  // LOADTGA on `path`, checking that the file is closed afterwards. A block
  // a failure left reserved is LeakSanitizer's to report.
  Outcome load_path(const std::string& path, TGATEXTURE& texture) {
    boxes_.clear();
    const std::size_t descriptors = open_descriptors();
    Outcome outcome;
    outcome.loaded = LOADTGA(texture, path);
    outcome.boxes = boxes_;
    EXPECT_EQ(FTGA, -1);
    EXPECT_EQ(open_descriptors(), descriptors);
    return outcome;
  }
  Outcome load(const std::vector<std::uint8_t>& bytes, TGATEXTURE& texture) {
    const auto path = dir_.write("image.tga", bytes);
    Outcome outcome = load_path(path.string(), texture);
    // Closed, so it can go at once.
    EXPECT_TRUE(std::filesystem::remove(path));
    return outcome;
  }

  TempDir dir_;
  std::vector<platform::testing::MessageBoxCall> boxes_;
};

struct FailureRow {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* text;
  const char* caption = kTgaErrorCaption;
};

std::vector<std::uint8_t> with_byte(std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value) {
  bytes[at] = value;
  return bytes;
}

TEST_F(TgaReader, EachFailureShowsItsBoxAndReturnsFalse) {
  const std::vector<std::uint8_t> pixel24 = {1, 2, 3};
  const auto good2 = tga_file(2, 1, 1, 24, pixel24);
  const auto good10 = tga_file(10, 1, 1, 24, {0x80, 1, 2, 3});
  const auto cut = [](std::vector<std::uint8_t> bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
  };
  const FailureRow rows[] = {
      {"empty file", {}, kTgaFileHeaderShort},
      {"11 bytes", cut(good2, 11), kTgaFileHeaderShort},
      {"an image identification field", with_byte(good2, 0, 1), kTgaWrongType, kTgaInvalidImageCaption},
      {"a colour map", with_byte(good2, 1, 1), kTgaWrongType, kTgaInvalidImageCaption},
      {"type 1", with_byte(good2, 2, 1), kTgaWrongType, kTgaInvalidImageCaption},
      {"type 3", with_byte(good2, 2, 3), kTgaWrongType, kTgaInvalidImageCaption},
      {"type 9", with_byte(good2, 2, 9), kTgaWrongType, kTgaInvalidImageCaption},
      {"type 11", with_byte(good2, 2, 11), kTgaWrongType, kTgaInvalidImageCaption},
      {"a colour-map specification", with_byte(good2, 7, 24), kTgaWrongType, kTgaInvalidImageCaption},
      {"an X origin", with_byte(good2, 8, 1), kTgaWrongType, kTgaInvalidImageCaption},
      {"a Y origin", with_byte(good10, 11, 1), kTgaWrongType, kTgaInvalidImageCaption},
      {"5 bytes of info header, type 2", cut(good2, 17), kTgaInfoHeaderShort},
      {"5 bytes of info header, type 10", cut(good10, 17), kTgaInfoHeaderShort},
      {"width 0", tga_file(2, 0, 1, 24, pixel24), kTgaInvalidInformation},
      {"height 0", tga_file(10, 1, 0, 24, {0x80, 1, 2, 3}), kTgaInvalidInformation},
      {"16 bits", tga_file(2, 1, 1, 16, {1, 2}), kTgaInvalidInformation},
      {"8 bits", tga_file(10, 1, 1, 8, {0x80, 1}), kTgaInvalidInformation},
      {"a byte size past 32 bits", tga_file(2, 65535, 65535, 32, {}), kTgaTooLarge},
      {"pixel data one byte short", cut(good2, good2.size() - 1), kTgaImageDataShort},
      {"no pixel data, type 2", cut(good2, 18), kTgaImageDataShort},
      {"no pixel data, type 10", cut(good10, 18), kTgaRleHeaderShort},
      {"no packet header where one is due", tga_file(10, 2, 1, 24, {0x80, 1, 2, 3}), kTgaRleHeaderShort},
      {"a raw-packet pixel cut short", tga_file(10, 2, 1, 32, {0x01, 1, 2, 3, 4, 5, 6}), kTgaImageDataShort},
      {"the run-packet pixel cut short", tga_file(10, 2, 1, 24, {0x81, 1, 2}), kTgaRunPixelShort},
      {"a run past the last pixel", tga_file(10, 2, 1, 24, {130, 1, 2, 3}), kTgaTooManyPixels},
      {"a raw packet past the last pixel", tga_file(10, 2, 1, 24, {2, 1, 2, 3, 4, 5, 6, 7, 8, 9}), kTgaTooManyPixels},
      {"a raw packet past the last pixel, cut inside it", tga_file(10, 2, 1, 24, {2, 1, 2, 3, 4, 5, 6, 7}),
       kTgaImageDataShort},
  };
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.name);
    TGATEXTURE texture{};
    const Outcome outcome = load(row.bytes, texture);
    EXPECT_FALSE(outcome.loaded);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, row.text);
    EXPECT_EQ(outcome.boxes[0].caption, row.caption);
    EXPECT_EQ(outcome.boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(outcome.boxes[0].owner, nullptr);
  }
}

TEST_F(TgaReader, AFileThatCannotBeOpenedShowsTheOpenBox) {
  for (const std::filesystem::path& path : {dir_.path() / "absent.tga", dir_.path()}) {
    SCOPED_TRACE(path);
    TGATEXTURE texture{};
    const Outcome outcome = load_path(path.string(), texture);
    EXPECT_FALSE(outcome.loaded);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, kTgaOpenFailed);
    EXPECT_EQ(outcome.boxes[0].caption, kTgaErrorCaption);
  }
}

TEST_F(TgaReader, NoBlockForTheImageShowsTheAllocationBox) {
#ifndef SORVEL_ASAN
  // Room for the program but not for four gigabytes.
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &previous), 0);
  long pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  ASSERT_GT(pages, 0);
  rlimit limited = previous;
  limited.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{512} << 20);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
#endif
  TGATEXTURE texture{};
  const Outcome outcome = load(tga_file(2, 32768, 32767, 32, {}), texture);  // 4294836224 bytes
#ifndef SORVEL_ASAN
  setrlimit(RLIMIT_AS, &previous);
#endif
  EXPECT_FALSE(outcome.loaded);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(outcome.boxes[0].text, kTgaNoImageMemory);
}

TEST_F(TgaReader, AnErrorWhileReadingIsTheShortReadOfThatStep) {
  // A pipe that holds the file header and then has nothing ready: the next
  // read fails (it would block) instead of ending the program.
  const auto fifo = dir_.path() / "pipe.tga";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, UTGACOMPARE, 12), 12);
  TGATEXTURE texture{};
  const Outcome outcome = load_path(fifo.string(), texture);
  ::close(writer);
  EXPECT_FALSE(outcome.loaded);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(outcome.boxes[0].text, kTgaInfoHeaderShort);
}

// A 3 x 2 image, bottom row first as stored: six pixels of distinct colours.
struct Pixel {
  std::uint8_t r, g, b, a;
};
const Pixel kPixels[6] = {{10, 20, 30, 40}, {11, 21, 31, 41}, {12, 22, 32, 42},
                          {13, 23, 33, 43}, {14, 24, 34, 44}, {15, 25, 35, 45}};

void append_file_order(std::vector<std::uint8_t>& out, const Pixel& p, unsigned bytes) {
  out.insert(out.end(), {p.b, p.g, p.r});
  if (bytes == 4) out.push_back(p.a);
}

TEST_F(TgaReader, BothTypesAtBothDepthsDecodeToExactBytes) {
  for (std::uint8_t bpp : {std::uint8_t{24}, std::uint8_t{32}}) {
    const unsigned bytes = bpp / 8u;
    std::vector<std::uint8_t> raw;
    for (const Pixel& p : kPixels) append_file_order(raw, p, bytes);
    // Two raw pixels, a run of three that crosses from the first row into the
    // second, one raw pixel.
    std::vector<std::uint8_t> packets = {1};
    append_file_order(packets, kPixels[0], bytes);
    append_file_order(packets, kPixels[1], bytes);
    packets.push_back(0x82);
    append_file_order(packets, kPixels[2], bytes);
    packets.push_back(0);
    append_file_order(packets, kPixels[5], bytes);
    const Pixel expected_rle[6] = {kPixels[0], kPixels[1], kPixels[2], kPixels[2], kPixels[2], kPixels[5]};

    for (std::uint8_t type : {std::uint8_t{2}, std::uint8_t{10}}) {
      SCOPED_TRACE(::testing::Message() << "type " << int{type} << ", " << int{bpp} << " bits");
      TGATEXTURE texture{};
      texture.TEXID = 77;
      const Outcome outcome = load(tga_file(type, 3, 2, bpp, type == 2 ? raw : packets), texture);
      ASSERT_TRUE(outcome.loaded);
      EXPECT_TRUE(outcome.boxes.empty());
      EXPECT_EQ(texture.WIDTH, 3u);
      EXPECT_EQ(texture.HEIGHT, 2u);
      EXPECT_EQ(texture.BPP, bpp);
      EXPECT_EQ(texture.TYP, bpp == 24 ? GLenum{GL_RGB} : GLenum{GL_RGBA});
      EXPECT_EQ(texture.TEXID, 77u);
      EXPECT_EQ(TGA.BYTESPERPIXEL, bytes);
      EXPECT_EQ(TGA.IMAGESIZE, 6 * bytes);
      EXPECT_EQ(TGA.WIDTH, 3u);
      EXPECT_EQ(TGA.HEIGH, 2u);
      EXPECT_EQ(TGA.BPP, bpp);
      EXPECT_EQ(std::memcmp(TGAHEADER.HEADER, type == 2 ? UTGACOMPARE : CTGACOMPARE, 12), 0);
      std::vector<std::uint8_t> expected;
      for (const Pixel& p : (type == 2 ? kPixels : expected_rle)) {
        expected.insert(expected.end(), {p.r, p.g, p.b});
        if (bytes == 4) expected.push_back(p.a);
      }
      EXPECT_EQ(std::vector<std::uint8_t>(texture.IMAGEDATA, texture.IMAGEDATA + expected.size()), expected);
      std::free(texture.IMAGEDATA);
    }
  }
}

TEST_F(TgaReader, DescriptorAndTrailingBytesChangeNothing) {
  std::vector<std::uint8_t> raw;
  for (const Pixel& p : kPixels) append_file_order(raw, p, 3);
  std::vector<std::uint8_t> plain_bytes;
  for (std::uint8_t descriptor : {std::uint8_t{0x00}, std::uint8_t{0x20}, std::uint8_t{0x28}}) {
    SCOPED_TRACE(int{descriptor});
    std::vector<std::uint8_t> file = tga_file(2, 3, 2, 24, raw, descriptor);
    // A footer after the last pixel is never read.
    file.insert(file.end(), 26, 0xEE);
    TGATEXTURE texture{};
    ASSERT_TRUE(load(file, texture).loaded);
    const std::vector<std::uint8_t> bytes(texture.IMAGEDATA, texture.IMAGEDATA + 18);
    std::free(texture.IMAGEDATA);
    if (plain_bytes.empty()) plain_bytes = bytes;
    // A top-left origin keeps the rows in file order.
    EXPECT_EQ(bytes, plain_bytes);
  }
}

TEST_F(TgaReader, AReadOnlyFileLoads) {
  std::vector<std::uint8_t> raw;
  for (const Pixel& p : kPixels) append_file_order(raw, p, 3);
  const auto path = dir_.write("installed.tga", tga_file(2, 3, 2, 24, raw));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  TGATEXTURE texture{};
  EXPECT_TRUE(load_path(path.string(), texture).loaded);
  std::free(texture.IMAGEDATA);
  if (geteuid() == 0) {
    // Root may write anything: read it as an ordinary user too.
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(seteuid(65534), 0);
    TGATEXTURE as_user{};
    const bool loaded = load_path(path.string(), as_user).loaded;
    ASSERT_EQ(seteuid(0), 0);
    EXPECT_TRUE(loaded);
    std::free(as_user.IMAGEDATA);
  }
}

TEST_F(TgaReader, ANameIsCutToItsFirst255Characters) {
  const std::string folder = dir_.path().string() + "/";
  ASSERT_LT(folder.size(), 200u);
  const std::string name = folder + std::string(255 - folder.size(), 'n');
  std::vector<std::uint8_t> raw;
  for (const Pixel& p : kPixels) append_file_order(raw, p, 3);
  dir_.write(name.substr(folder.size()), tga_file(2, 3, 2, 24, raw));
  TGATEXTURE texture{};
  EXPECT_TRUE(load_path(name + "-beyond-the-cut.tga", texture).loaded);
  std::free(texture.IMAGEDATA);
}

// What the header rules say of a file: the box it gets, or null for a
// file they accept.
const char* verdict(const std::vector<std::uint8_t>& file) {
  if (file.size() < 12) return kTgaFileHeaderShort;
  const bool uncompressed = std::equal(file.begin(), file.begin() + 12, UTGACOMPARE);
  if (!uncompressed && !std::equal(file.begin(), file.begin() + 12, CTGACOMPARE)) return kTgaWrongType;
  if (file.size() < 18) return kTgaInfoHeaderShort;
  const unsigned width = file[12] | file[13] << 8, height = file[14] | file[15] << 8, bpp = file[16];
  if (width == 0 || height == 0 || (bpp != 24 && bpp != 32)) return kTgaInvalidInformation;
  if (uncompressed && file.size() < 18 + std::size_t{width} * height * bpp / 8) return kTgaImageDataShort;
  return nullptr;
}

TEST_F(TgaReader, PublicSamplesAreAcceptedOrRefusedAsTheirHeadersSay) {
  SORVEL_REQUIRE_CORPUS();
  std::size_t accepted = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus_dir() / "tga")) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path());
    const char* expected = verdict(read_file(entry.path()));
    TGATEXTURE texture{};
    const Outcome outcome = load_path(entry.path().string(), texture);
    EXPECT_EQ(outcome.loaded, expected == nullptr);
    if (expected != nullptr) {
      ASSERT_EQ(outcome.boxes.size(), 1u);
      EXPECT_EQ(outcome.boxes[0].text, expected);
    } else {
      EXPECT_TRUE(outcome.boxes.empty());
      ++accepted;
      std::free(texture.IMAGEDATA);
    }
  }
  EXPECT_EQ(accepted, 12u);
}

std::vector<std::uint8_t> decoded(const std::filesystem::path& file) {
  TGATEXTURE texture{};
  if (!LOADTGA(texture, file.string())) return {};
  std::vector<std::uint8_t> bytes(texture.IMAGEDATA, texture.IMAGEDATA + TGA.IMAGESIZE);
  std::free(texture.IMAGEDATA);
  return bytes;
}

TEST_F(TgaReader, PublicSamplesOfOnePictureDecodeAlike) {
  SORVEL_REQUIRE_CORPUS();
  const auto pillow = corpus_dir() / "tga" / "pillow" / "common";
  for (const char* kind : {"rgb", "rgba"}) {
    SCOPED_TRACE(kind);
    const auto raw = decoded(pillow / (std::string("200x32_") + kind + "_bl_raw.tga"));
    ASSERT_EQ(raw.size(), 200u * 32u * (kind == std::string("rgb") ? 3 : 4));
    EXPECT_EQ(decoded(pillow / (std::string("200x32_") + kind + "_bl_rle.tga")), raw);
  }
  // Files that differ in their descriptor's origin bits alone decode to the
  // same bytes: the rows stay in file order, never turned over.
  const auto suite = corpus_dir() / "tga" / "image-rs" / "testsuite";
  const auto bottom_left = decoded(suite / "bottom_left.tga");
  ASSERT_EQ(bottom_left.size(), 75u * 70u * 4u);
  for (const char* corner : {"top_left.tga", "top_right.tga", "bottom_right.tga"}) {
    EXPECT_EQ(decoded(suite / corner), bottom_left) << corner;
  }
}

}  // namespace
}  // namespace sorvel::testing
