// The images inside an icon directory: a device-independent bitmap of double
// height (the colour image, then the 1-bit AND mask, both bottom-up), or a
// PNG image decoded by libpng.
#include <png.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/core/cursor_decode.h"

namespace platform::core::cursors {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kOpaque = 0xFF000000;

bool is_png(Bytes data) {
  return data.size() >= kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

bool valid_side(std::int64_t side) { return side >= 1 && side <= kMaxImageSide; }

std::uint32_t big_endian_u32(Bytes b) {
  return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
         static_cast<std::uint32_t>(b[2]) << 8 | static_cast<std::uint32_t>(b[3]);
}

// The PNG header chunk comes first: its width and height.
std::optional<ImageInfo> inspect_png(Bytes data) {
  ByteReader r(data, kPngSignature.size());
  const Bytes length = r.take(4);
  const std::string_view type = r.fourcc();
  const Bytes width = r.take(4);
  const Bytes height = r.take(4);
  if (!r.ok() || big_endian_u32(length) != 13 || type != "IHDR") return std::nullopt;
  const ImageInfo info{static_cast<int>(std::min<std::uint32_t>(big_endian_u32(width), 1u << 30)),
                       static_cast<int>(std::min<std::uint32_t>(big_endian_u32(height), 1u << 30)), 32};
  if (!valid_side(info.width) || !valid_side(info.height)) return std::nullopt;
  return info;
}

std::optional<CursorFrame> decode_png(Bytes data) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0) return std::nullopt;
  if (!valid_side(image.width) || !valid_side(image.height)) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) == 0) return std::nullopt;
  CursorFrame frame;
  frame.width = static_cast<int>(image.width);
  frame.height = static_cast<int>(image.height);
  frame.pixels.resize(rgba.size() / 4);
  for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
    const std::uint8_t* p = &rgba[i * 4];
    frame.pixels[i] = static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
                      static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  }
  return frame;
}

std::size_t row_stride(int width, int bits) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

// A bitmap's header and where its parts lie; only made when all of them are
// inside the data.
struct BitmapLayout {
  int width = 0;
  int height = 0;  // of one image: half the stored height
  int bits = 0;
  std::size_t palette_size = 0;
  std::size_t colour_stride = 0;
  std::size_t mask_stride = 0;
  Bytes palette;
  Bytes colour_rows;
  Bytes mask_rows;
};

std::optional<BitmapLayout> read_bitmap_layout(Bytes data) {
  ByteReader r(data);
  const std::uint32_t header_size = r.u32();
  const std::int64_t width = r.i32();
  const std::int64_t double_height = r.i32();
  r.skip(2);  // planes
  const int bits = r.u16();
  const std::uint32_t compression = r.u32();
  r.skip(12);  // image size and resolution
  const std::uint32_t colours_used = r.u32();
  if (!r.ok() || header_size < 40 || compression != kBiRgb) return std::nullopt;
  // Icons are stored bottom-up, colour image and mask together.
  if (!valid_side(width) || double_height % 2 != 0 || !valid_side(double_height / 2)) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  if (bits <= 8 && colours_used > (1u << bits)) return std::nullopt;

  BitmapLayout b;
  b.width = static_cast<int>(width);
  b.height = static_cast<int>(double_height / 2);
  b.bits = bits;
  // Above 8 bits a colour table is optional and unused.
  b.palette_size = bits <= 8 && colours_used == 0 ? std::size_t{1} << bits : colours_used;
  b.colour_stride = row_stride(b.width, bits);
  b.mask_stride = row_stride(b.width, 1);
  r.seek(header_size);
  b.palette = r.take(b.palette_size * 4);
  b.colour_rows = r.take(b.colour_stride * static_cast<std::size_t>(b.height));
  b.mask_rows = r.take(b.mask_stride * static_cast<std::size_t>(b.height));
  if (!r.ok()) return std::nullopt;
  if (bits > 8) b.palette_size = 0;
  return b;
}

// Bit `bits`-wide field number `x` of a packed row, most significant first.
unsigned packed_field(Bytes row, int x, int bits) {
  const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
  const unsigned shift = 8 - static_cast<unsigned>(bits) - static_cast<unsigned>(bit % 8);
  return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

std::optional<CursorFrame> decode_bitmap(Bytes data) {
  const std::optional<BitmapLayout> b = read_bitmap_layout(data);
  if (!b) return std::nullopt;
  std::vector<std::uint32_t> palette(b->palette_size);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const Bytes q = b->palette.subspan(i * 4, 4);
    palette[i] = static_cast<std::uint32_t>(q[2]) << 16 | static_cast<std::uint32_t>(q[1]) << 8 | q[0];
  }

  const std::size_t width = static_cast<std::size_t>(b->width);
  const std::size_t height = static_cast<std::size_t>(b->height);
  const std::size_t bytes_per_pixel = static_cast<std::size_t>(b->bits / 8);
  CursorFrame frame;
  frame.width = b->width;
  frame.height = b->height;
  frame.pixels.resize(width * height);
  bool any_alpha = false;
  for (std::size_t y = 0; y < height; ++y) {
    const Bytes row = b->colour_rows.subspan((height - 1 - y) * b->colour_stride, b->colour_stride);
    std::uint32_t* out = &frame.pixels[y * width];
    for (std::size_t x = 0; x < width; ++x) {
      if (b->bits <= 8) {
        const unsigned index = packed_field(row, static_cast<int>(x), b->bits);
        if (index >= palette.size()) return std::nullopt;
        out[x] = palette[index];
        continue;
      }
      const Bytes p = row.subspan(x * bytes_per_pixel, bytes_per_pixel);
      out[x] = static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
      if (b->bits == 32) {
        out[x] |= static_cast<std::uint32_t>(p[3]) << 24;
        any_alpha = any_alpha || p[3] != 0;
      }
    }
  }
  // A 32-bit image with alpha needs no mask; every other takes its
  // transparency from the AND mask.
  if (any_alpha) return frame;
  for (std::size_t y = 0; y < height; ++y) {
    const Bytes row = b->mask_rows.subspan((height - 1 - y) * b->mask_stride, b->mask_stride);
    std::uint32_t* out = &frame.pixels[y * width];
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint32_t colour = out[x] & 0x00FFFFFF;
      if (packed_field(row, static_cast<int>(x), 1) == 0) {
        out[x] = kOpaque | colour;
      } else {
        // Set mask bits with colour invert the screen there; straight alpha
        // has no inversion, so those show black, which stays visible on the
        // light backgrounds such cursors are drawn for.
        out[x] = colour == 0 ? 0 : kOpaque;
      }
    }
  }
  return frame;
}

}  // namespace

std::optional<ImageInfo> inspect_image(Bytes data) {
  if (is_png(data)) return inspect_png(data);
  const std::optional<BitmapLayout> b = read_bitmap_layout(data);
  if (!b) return std::nullopt;
  return ImageInfo{b->width, b->height, b->bits};
}

std::optional<CursorFrame> decode_image(Bytes data) { return is_png(data) ? decode_png(data) : decode_bitmap(data); }

}  // namespace platform::core::cursors
