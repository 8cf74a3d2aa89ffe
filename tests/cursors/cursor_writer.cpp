#include "tests/cursors/cursor_writer.h"

#include <png.h>

#include <stdexcept>

namespace sorvel::testing {
namespace {

void append_u16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void append_u32(Bytes& out, std::uint32_t value) {
  append_u16(out, static_cast<std::uint16_t>(value));
  append_u16(out, static_cast<std::uint16_t>(value >> 16));
}

void append_id(Bytes& out, std::string_view id) {
  for (char c : id) out.push_back(static_cast<std::uint8_t>(c));
}

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

std::size_t stride(int width, int bits) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

void set_field(Bytes& row, int x, int bits, std::uint32_t value) {
  const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
  const unsigned shift = 8 - static_cast<unsigned>(bits) - static_cast<unsigned>(bit % 8);
  row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | value << shift);
}

}  // namespace

Bytes dib_bytes(const DibPicture& p) {
  Bytes out;
  append_u32(out, 40);
  append_u32(out, static_cast<std::uint32_t>(p.width));
  append_u32(out, static_cast<std::uint32_t>(p.height * 2));
  append_u16(out, 1);
  append_u16(out, static_cast<std::uint16_t>(p.bits));
  append_u32(out, 0);  // uncompressed
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, static_cast<std::uint32_t>(p.palette.size()));
  append_u32(out, 0);
  for (std::uint32_t colour : p.palette) append_u32(out, colour & 0x00FFFFFF);
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row(stride(p.width, p.bits));
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t v = p.values[static_cast<std::size_t>(y * p.width + x)];
      if (p.bits <= 8) {
        set_field(row, x, p.bits, v);
      } else {
        const std::size_t at = static_cast<std::size_t>(x * p.bits / 8);
        row[at] = static_cast<std::uint8_t>(v);
        row[at + 1] = static_cast<std::uint8_t>(v >> 8);
        row[at + 2] = static_cast<std::uint8_t>(v >> 16);
        if (p.bits == 32) row[at + 3] = static_cast<std::uint8_t>(v >> 24);
      }
    }
    append(out, row);
  }
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row(stride(p.width, 1));
    for (int x = 0; x < p.width; ++x) {
      if (p.mask[static_cast<std::size_t>(y * p.width + x)]) set_field(row, x, 1, 1);
    }
    append(out, row);
  }
  return out;
}

Bytes png_bytes(int width, int height, const std::vector<std::uint32_t>& pixels) {
  Bytes rgba;
  for (std::uint32_t p : pixels) {
    rgba.push_back(static_cast<std::uint8_t>(p >> 16));
    rgba.push_back(static_cast<std::uint8_t>(p >> 8));
    rgba.push_back(static_cast<std::uint8_t>(p));
    rgba.push_back(static_cast<std::uint8_t>(p >> 24));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (png_image_write_get_memory_size(image, size, 0, rgba.data(), 0, nullptr) == 0) {
    throw std::runtime_error("libpng could not size the test image");
  }
  Bytes out(size);
  if (png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr) == 0) {
    throw std::runtime_error("libpng could not write the test image");
  }
  out.resize(size);
  return out;
}

Bytes icon_directory(std::uint16_t type, const std::vector<DirectoryEntry>& entries) {
  Bytes out;
  append_u16(out, 0);
  append_u16(out, type);
  append_u16(out, static_cast<std::uint16_t>(entries.size()));
  std::size_t offset = 6 + 16 * entries.size();
  for (const DirectoryEntry& e : entries) {
    out.push_back(static_cast<std::uint8_t>(e.width));
    out.push_back(static_cast<std::uint8_t>(e.height));
    out.push_back(0);
    out.push_back(0);
    append_u16(out, static_cast<std::uint16_t>(e.hotspot_x));
    append_u16(out, static_cast<std::uint16_t>(e.hotspot_y));
    append_u32(out, static_cast<std::uint32_t>(e.image.size()));
    append_u32(out, static_cast<std::uint32_t>(offset));
    offset += e.image.size();
  }
  for (const DirectoryEntry& e : entries) append(out, e.image);
  return out;
}

Bytes riff_chunk(std::string_view id, const Bytes& data) {
  Bytes out;
  append_id(out, id);
  append_u32(out, static_cast<std::uint32_t>(data.size()));
  append(out, data);
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

Bytes riff_list(std::string_view type, const std::vector<Bytes>& chunks) {
  Bytes body;
  append_id(body, type);
  for (const Bytes& chunk : chunks) append(body, chunk);
  return riff_chunk("LIST", body);
}

Bytes acon_file(const std::vector<Bytes>& chunks) {
  Bytes body;
  append_id(body, "ACON");
  for (const Bytes& chunk : chunks) append(body, chunk);
  return riff_chunk("RIFF", body);
}

Bytes anih_chunk(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate) {
  Bytes data;
  append_u32(data, 36);
  append_u32(data, frames);
  append_u32(data, steps);
  for (int i = 0; i < 4; ++i) append_u32(data, 0);  // width, height, bit count, planes: unused for icon frames
  append_u32(data, rate);
  append_u32(data, 1);  // frames are icon or cursor files
  return riff_chunk("anih", data);
}

Bytes u32_chunk(std::string_view id, const std::vector<std::uint32_t>& values) {
  Bytes data;
  for (std::uint32_t v : values) append_u32(data, v);
  return riff_chunk(id, data);
}

void put_u16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void put_u32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  put_u16(bytes, offset, static_cast<std::uint16_t>(value));
  put_u16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace sorvel::testing
