// RLE8 and RLE4: runs of one index (or two alternating nibbles), absolute
// stretches of indices, end-of-line, end-of-bitmap and skips ("deltas"),
// bottom row first.
#include <algorithm>
#include <array>

#include "platform/core/bmp_layout.h"

namespace platform::core::bmp {
namespace {

// The codes a block at a time, never past the file's pixel bytes.
class CodeReader {
 public:
  CodeReader(Source& source, std::uint64_t offset, std::uint64_t bytes)
      : source_(source), offset_(offset), remaining_(bytes) {}

  bool next(BYTE& out) {
    if (position_ == filled_ && !refill()) return false;
    out = buffer_[position_++];
    return true;
  }

 private:
  bool refill() {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, buffer_.size()));
    if (count == 0 || !source_.read(offset_, buffer_.data(), count)) {
      remaining_ = 0;
      return false;
    }
    offset_ += count;
    remaining_ -= count;
    position_ = 0;
    filled_ = count;
    return true;
  }

  Source& source_;
  std::uint64_t offset_;
  std::uint64_t remaining_;
  std::array<BYTE, 4096> buffer_{};
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
};

// Where the next index goes; indices past the row's end are dropped.
class Cursor {
 public:
  Cursor(Bitmap& bitmap, bool nibbles) : bitmap_(bitmap), nibbles_(nibbles) {}

  void put(unsigned index) {
    if (x_ < bitmap_.width && y_ < bitmap_.height) {
      BYTE* row = bitmap_.pixels.data() + static_cast<std::size_t>(y_) * static_cast<std::size_t>(bitmap_.stride);
      if (nibbles_) {
        BYTE& byte = row[x_ / 2];
        byte = (x_ % 2 == 0) ? static_cast<BYTE>((byte & 0x0F) | (index << 4))
                             : static_cast<BYTE>((byte & 0xF0) | (index & 0x0F));
      } else {
        row[x_] = static_cast<BYTE>(index);
      }
    }
    if (x_ < bitmap_.width) ++x_;
  }
  // The pixel value of the `i`th pixel of a run or stretch from `byte`.
  unsigned index_of(BYTE byte, unsigned i) const {
    if (!nibbles_) return byte;
    return i % 2 == 0 ? byte >> 4 : byte & 0x0Fu;
  }

  void next_line() {
    x_ = 0;
    ++y_;
  }
  void skip(BYTE dx, BYTE dy) {
    x_ = std::min<LONG>(x_ + dx, bitmap_.width);
    y_ += dy;
  }
  bool past_last_row() const { return y_ >= bitmap_.height; }

 private:
  Bitmap& bitmap_;
  bool nibbles_;
  LONG x_ = 0;
  LONG y_ = 0;
};

}  // namespace

bool unpack_rle(Source& source, const Layout& layout, Bitmap& bitmap) {
  CodeReader codes(source, layout.pixels_offset, layout.pixel_bytes);
  Cursor cursor(bitmap, layout.coding == Coding::kRle4);
  const unsigned per_byte = layout.coding == Coding::kRle4 ? 2 : 1;
  BYTE count = 0;
  BYTE value = 0;
  // Codes that stop with every row reached are whole, the mark or not.
  while (codes.next(count) && codes.next(value)) {
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) cursor.put(cursor.index_of(value, i));
      continue;
    }
    switch (value) {
      case 0:
        cursor.next_line();
        break;
      case 1:
        return true;
      case 2: {
        BYTE dx = 0;
        BYTE dy = 0;
        if (!codes.next(dx) || !codes.next(dy)) return cursor.past_last_row();
        cursor.skip(dx, dy);
        break;
      }
      default: {
        // An absolute stretch of `value` indices, padded to a 16-bit boundary.
        const unsigned bytes = (value + per_byte - 1) / per_byte;
        BYTE byte = 0;
        for (unsigned i = 0; i < value; ++i) {
          if (i % per_byte == 0 && !codes.next(byte)) return cursor.past_last_row();
          cursor.put(cursor.index_of(byte, i));
        }
        if (bytes % 2 != 0 && !codes.next(byte)) return cursor.past_last_row();
        break;
      }
    }
    if (cursor.past_last_row()) return true;
  }
  return cursor.past_last_row();
}

}  // namespace platform::core::bmp
