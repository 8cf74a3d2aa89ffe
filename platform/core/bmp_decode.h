// The BMP decoder behind LoadImageA: Windows and OS/2 BMP files at 1, 4, 8,
// 16, 24 and 32 bits per pixel, uncompressed, run-length encoded or with bit
// fields, made into bitmap objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/win32/types.h"

namespace platform::core::bmp {

// Where the decoder takes the file's bytes from: a file read in place, or
// memory (tests, the fuzz target).
class Source {
 public:
  virtual ~Source() = default;
  virtual std::uint64_t size() const = 0;
  // Copies `count` bytes from `offset`; false when they cannot all be read.
  virtual bool read(std::uint64_t offset, void* to, std::size_t count) = 0;
};

class MemorySource final : public Source {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, void* to, std::size_t count) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// Sides above this are refused before anything is reserved.
constexpr std::int64_t kMaxSide = std::int64_t{1} << 24;

// The bitmap LoadImageA makes of the BMP file in `source` for `flags`
// (LR_CREATEDIBSECTION and LR_LOADTRANSPARENT; the others change nothing),
// stretched to `width` x `height` where those are not 0. Null, with the last
// error set, when the file is not a BMP file this decoder reads, is cut
// short, or claims more than it holds.
HBITMAP decode(Source& source, int width, int height, UINT flags);

}  // namespace platform::core::bmp
