// Feeds arbitrary bytes to the cursor decoders; whatever they accept must be
// a well-formed image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/core/cursor_decode.h"

namespace {

bool well_formed(const platform::CursorFrame& f) {
  using platform::core::cursors::kMaxImageSide;
  return f.width >= 1 && f.width <= kMaxImageSide && f.height >= 1 && f.height <= kMaxImageSide &&
         f.pixels.size() == static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height) &&
         f.hotspot_x >= 0 && f.hotspot_x < f.width && f.hotspot_y >= 0 && f.hotspot_y < f.height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::core::cursors::Bytes bytes(data, size);
  // Two display sizes, so that the choice among images is fuzzed too.
  for (int preferred_size : {16, 48}) {
    const auto image = platform::core::cursors::decode_cursor(bytes, preferred_size);
    if (!image) continue;
    if (image->frames.empty() || image->frames.size() > platform::core::cursors::kMaxAnimationSteps) std::abort();
    for (const platform::CursorFrame& frame : image->frames) {
      if (!well_formed(frame)) std::abort();
    }
  }
  return 0;
}
