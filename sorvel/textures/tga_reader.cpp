// The TGA reader: uncompressed (type 2) and run-length-encoded (type 10)
// true-colour images of 24 or 32 bits, turned into red-green-blue(-alpha)
// bytes with the rows in file order.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "sorvel/sorvel.h"
#include "sorvel/textures/tga_input.h"
#include "sorvel/textures/tga_texts.h"

TTGAHEADER TGAHEADER{};
TTGA TGA{};
const std::uint8_t UTGACOMPARE[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const std::uint8_t CTGACOMPARE[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
int FTGA = -1;

namespace {

using namespace sorvel::texts;

constexpr std::size_t kMaxFileName = 255;

sorvel::textures::ImageFileInput input;

bool fail(const char* text, const char* caption = kTgaErrorCaption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
  return false;
}

// Blue and red trade places in each pixel; green and alpha stay.
void swap_blue_red(std::uint8_t* data, std::size_t pixels, std::size_t bytes_per_pixel) {
  for (std::size_t i = 0; i < pixels; ++i, data += bytes_per_pixel) std::swap(data[0], data[2]);
}

// `count` copies of the file-order pixel `color`, stored red first.
void store_run(std::uint8_t* to, const std::uint8_t* color, std::size_t count, std::size_t bytes_per_pixel) {
  std::uint8_t pixel[4] = {color[2], color[1], color[0], bytes_per_pixel == 4 ? color[3] : std::uint8_t{0}};
  for (std::size_t i = 0; i < count; ++i, to += bytes_per_pixel) std::memcpy(to, pixel, bytes_per_pixel);
}

// The info header, its checks and the image block, common to both bodies.
bool read_image_head(TGATEXTURE& TEXTURE) {
  if (input.read(TGA.HEADER, sizeof TGA.HEADER) < sizeof TGA.HEADER) return fail(kTgaInfoHeaderShort);
  TEXTURE.WIDTH = TGA.HEADER[1] * 256u + TGA.HEADER[0];
  TEXTURE.HEIGHT = TGA.HEADER[3] * 256u + TGA.HEADER[2];
  TEXTURE.BPP = TGA.HEADER[4];
  TGA.WIDTH = TEXTURE.WIDTH;
  TGA.HEIGH = TEXTURE.HEIGHT;
  TGA.BPP = TEXTURE.BPP;
  if (TEXTURE.WIDTH == 0 || TEXTURE.HEIGHT == 0 || (TEXTURE.BPP != 24 && TEXTURE.BPP != 32)) {
    return fail(kTgaInvalidInformation);
  }
  TEXTURE.TYP = TEXTURE.BPP == 24 ? GL_RGB : GL_RGBA;
  TGA.BYTESPERPIXEL = TGA.BPP / 8;
  const std::uint64_t image_size = std::uint64_t{TGA.WIDTH} * TGA.BYTESPERPIXEL * TGA.HEIGH;
  if (image_size > std::numeric_limits<std::uint32_t>::max()) return fail(kTgaTooLarge);
  TGA.IMAGESIZE = static_cast<std::uint32_t>(image_size);
  TEXTURE.IMAGEDATA = static_cast<std::uint8_t*>(std::malloc(TGA.IMAGESIZE));
  if (TEXTURE.IMAGEDATA == nullptr) return fail(kTgaNoImageMemory);
  return true;
}

bool LOADUNCOMPRESSEDTGA(TGATEXTURE& TEXTURE, std::string_view /*FILENAME*/) {
  if (!read_image_head(TEXTURE)) return false;
  if (input.read(TEXTURE.IMAGEDATA, TGA.IMAGESIZE) < TGA.IMAGESIZE) {
    fail(kTgaImageDataShort);
    std::free(TEXTURE.IMAGEDATA);
    return false;
  }
  swap_blue_red(TEXTURE.IMAGEDATA, std::size_t{TGA.WIDTH} * TGA.HEIGH, TGA.BYTESPERPIXEL);
  input.close();
  return true;
}

bool LOADCOMPRESSEDTGA(TGATEXTURE& TEXTURE, std::string_view /*FILENAME*/) {
  if (!read_image_head(TEXTURE)) return false;
  const std::uint32_t PIXELCOUNT = TGA.HEIGH * TGA.WIDTH;
  const std::size_t bytes_per_pixel = TGA.BYTESPERPIXEL;
  std::uint32_t CURRENTPIXEL = 0;
  std::uint32_t CURRENTBYTE = 0;
  auto* COLORBUFFER = static_cast<std::uint8_t*>(std::malloc(bytes_per_pixel));
  if (COLORBUFFER == nullptr) {
    fail(kTgaNoColorBuffer);
    std::free(TEXTURE.IMAGEDATA);
    return false;
  }
  const auto fail_releasing = [&](const char* text) {
    fail(text);
    std::free(TEXTURE.IMAGEDATA);
    std::free(COLORBUFFER);
    return false;
  };
  std::uint8_t* const image = TEXTURE.IMAGEDATA;
  do {
    std::uint8_t CHUNKHEADER = 0;
    if (input.read(&CHUNKHEADER, 1) < 1) return fail_releasing(kTgaRleHeaderShort);
    const bool raw = CHUNKHEADER < 128;
    const std::uint32_t count = raw ? CHUNKHEADER + 1u : CHUNKHEADER - 127u;
    const std::uint32_t fitting = std::min(count, PIXELCOUNT - CURRENTPIXEL);
    if (raw) {
      // The pixels that fit go straight into place and are turned there.
      const std::size_t bytes = fitting * bytes_per_pixel;
      if (input.read(image + CURRENTBYTE, bytes) < bytes) return fail_releasing(kTgaImageDataShort);
      swap_blue_red(image + CURRENTBYTE, fitting, bytes_per_pixel);
      // A pixel past the last is still read before its store is refused.
      if (fitting < count && input.read(COLORBUFFER, bytes_per_pixel) < bytes_per_pixel) {
        return fail_releasing(kTgaImageDataShort);
      }
    } else {
      if (input.read(COLORBUFFER, bytes_per_pixel) < bytes_per_pixel) return fail_releasing(kTgaRunPixelShort);
      store_run(image + CURRENTBYTE, COLORBUFFER, fitting, bytes_per_pixel);
    }
    CURRENTPIXEL += fitting;
    CURRENTBYTE += static_cast<std::uint32_t>(fitting * bytes_per_pixel);
    if (fitting < count) return fail_releasing(kTgaTooManyPixels);
  } while (CURRENTPIXEL != PIXELCOUNT);
  std::free(COLORBUFFER);
  input.close();
  return true;
}

}  // namespace

bool LOADTGA(TGATEXTURE& TEXTURE, std::string_view FILENAME) {
  const std::string name(FILENAME.substr(0, kMaxFileName));
  if (!input.open(name.c_str())) return fail(kTgaOpenFailed);
  bool loaded = false;
  if (input.read(TGAHEADER.HEADER, sizeof TGAHEADER.HEADER) < sizeof TGAHEADER.HEADER) {
    fail(kTgaFileHeaderShort);
  } else if (std::memcmp(TGAHEADER.HEADER, UTGACOMPARE, sizeof UTGACOMPARE) == 0) {
    loaded = LOADUNCOMPRESSEDTGA(TEXTURE, FILENAME);
  } else if (std::memcmp(TGAHEADER.HEADER, CTGACOMPARE, sizeof CTGACOMPARE) == 0) {
    loaded = LOADCOMPRESSEDTGA(TEXTURE, FILENAME);
  } else {
    fail(kTgaWrongType, kTgaInvalidImageCaption);
  }
  if (!loaded) input.close();
  return loaded;
}
