// A little-endian reader for the cursor decoders. It never reads past its
// span: a read that does not fit yields zeros and marks the reader failed,
// so a decoder checks ok() once after a group of reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::core::cursors {

using Bytes = std::span<const std::uint8_t>;

class ByteReader {
 public:
  explicit ByteReader(Bytes bytes, std::size_t offset = 0) : bytes_(bytes) { seek(offset); }

  bool ok() const { return ok_; }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }

  void seek(std::size_t offset) {
    if (offset > bytes_.size()) {
      ok_ = false;
      offset = bytes_.size();
    }
    position_ = offset;
  }

  // The next `count` bytes, or an empty span (and a failed reader) when
  // fewer are left.
  Bytes take(std::size_t count) {
    if (count > remaining()) {
      ok_ = false;
      position_ = bytes_.size();
      return {};
    }
    const Bytes part = bytes_.subspan(position_, count);
    position_ += count;
    return part;
  }

  void skip(std::size_t count) { take(count); }

  std::uint8_t u8() {
    const Bytes b = take(1);
    return b.empty() ? 0 : b[0];
  }
  std::uint16_t u16() {
    const Bytes b = take(2);
    return b.empty() ? 0 : static_cast<std::uint16_t>(b[0] | b[1] << 8);
  }
  std::uint32_t u32() {
    const Bytes b = take(4);
    return b.empty() ? 0
                     : static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

  // A RIFF chunk or form name; empty when fewer than four bytes are left.
  std::string_view fourcc() {
    const Bytes b = take(4);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
  }

 private:
  Bytes bytes_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace platform::core::cursors
