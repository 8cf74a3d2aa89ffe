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
template <std::size_t kBytes>
void swap_blue_red(std::uint8_t* data, std::size_t pixels) {
  std::size_t i = 0;
  if constexpr (kBytes == 3) {
    // Four pixels at a time, so that the compiler can move them as one block.
    for (; i + 4 <= pixels; i += 4, data += 12) {
      std::uint8_t p[12];
      std::memcpy(p, data, 12);
      const std::uint8_t turned[12] = {p[2], p[1], p[0], p[5], p[4], p[3], p[8], p[7], p[6], p[11], p[10], p[9]};
      std::memcpy(data, turned, 12);
    }
  }
  for (; i < pixels; ++i, data += kBytes) {
    if constexpr (kBytes == 4) {
      std::uint32_t v;
      std::memcpy(&v, data, 4);
      v = (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
      std::memcpy(data, &v, 4);
    } else {
      std::swap(data[0], data[2]);
    }
  }
}

// `count` copies of the file-order pixel `color`, stored red first.
template <std::size_t kBytes>
void store_run(std::uint8_t* to, const std::uint8_t* color, std::size_t count) {
  std::uint8_t pixel[kBytes];
  pixel[0] = color[2], pixel[1] = color[1], pixel[2] = color[0];
  if constexpr (kBytes == 4) pixel[3] = color[3];
  std::size_t i = 0;
  if constexpr (kBytes == 3) {
    // Four pixels make a 12-byte pattern that repeats.
    std::uint8_t four[12];
    for (std::size_t k = 0; k < 12; ++k) four[k] = pixel[k % 3];
    for (; i + 4 <= count; i += 4, to += 12) std::memcpy(to, four, 12);
  }
  for (; i < count; ++i, to += kBytes) std::memcpy(to, pixel, kBytes);
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
  const std::size_t pixels = std::size_t{TGA.WIDTH} * TGA.HEIGH;
  if (TGA.BYTESPERPIXEL == 4) {
    swap_blue_red<4>(TEXTURE.IMAGEDATA, pixels);
  } else {
    swap_blue_red<3>(TEXTURE.IMAGEDATA, pixels);
  }
  input.close();
  return true;
}

// Decodes packets into `image` until its PIXELCOUNT pixels are stored; the
// failure's text, or null. One copy per pixel size, so that every pixel
// move has a fixed length.
template <std::size_t kBytes>
const char* unpack_packets(std::uint8_t* image, std::uint8_t* COLORBUFFER, std::uint32_t PIXELCOUNT) {
  std::uint32_t CURRENTPIXEL = 0;
  std::uint32_t CURRENTBYTE = 0;
  do {
    std::uint8_t CHUNKHEADER = 0;
    if (input.read(&CHUNKHEADER, 1) < 1) return kTgaRleHeaderShort;
    const bool raw = CHUNKHEADER < 128;
    const std::uint32_t count = raw ? CHUNKHEADER + 1u : CHUNKHEADER - 127u;
    const std::uint32_t fitting = std::min(count, PIXELCOUNT - CURRENTPIXEL);
    if (raw) {
      // The pixels that fit go straight into place and are turned there.
      const std::size_t bytes = fitting * kBytes;
      if (input.read(image + CURRENTBYTE, bytes) < bytes) return kTgaImageDataShort;
      swap_blue_red<kBytes>(image + CURRENTBYTE, fitting);
      // A pixel past the last is still read before its store is refused.
      if (fitting < count && input.read(COLORBUFFER, kBytes) < kBytes) return kTgaImageDataShort;
    } else {
      if (input.read(COLORBUFFER, kBytes) < kBytes) return kTgaRunPixelShort;
      store_run<kBytes>(image + CURRENTBYTE, COLORBUFFER, fitting);
    }
    CURRENTPIXEL += fitting;
    CURRENTBYTE += static_cast<std::uint32_t>(fitting * kBytes);
    if (fitting < count) return kTgaTooManyPixels;
  } while (CURRENTPIXEL != PIXELCOUNT);
  return nullptr;
}

bool LOADCOMPRESSEDTGA(TGATEXTURE& TEXTURE, std::string_view /*FILENAME*/) {
  if (!read_image_head(TEXTURE)) return false;
  const std::uint32_t PIXELCOUNT = TGA.HEIGH * TGA.WIDTH;
  auto* COLORBUFFER = static_cast<std::uint8_t*>(std::malloc(TGA.BYTESPERPIXEL));
  if (COLORBUFFER == nullptr) {
    fail(kTgaNoColorBuffer);
    std::free(TEXTURE.IMAGEDATA);
    return false;
  }
  const char* failure = TGA.BYTESPERPIXEL == 4 ? unpack_packets<4>(TEXTURE.IMAGEDATA, COLORBUFFER, PIXELCOUNT)
                                               : unpack_packets<3>(TEXTURE.IMAGEDATA, COLORBUFFER, PIXELCOUNT);
  if (failure != nullptr) {
    fail(failure);
    std::free(TEXTURE.IMAGEDATA);
    std::free(COLORBUFFER);
    return false;
  }
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
