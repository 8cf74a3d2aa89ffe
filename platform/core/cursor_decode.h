// Decoders of the platform's cursor and icon files, from bytes in memory:
// the icon directory (.cur, .ico) with device-independent bitmaps or PNG
// images, and the animated RIFF "ACON" container (.ani). Every size is
// checked against the bytes that are there before anything is allocated;
// a malformed file gives nothing.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/core/cursor_bytes.h"
#include "platform/core/driver.h"

namespace platform::core::cursors {

// The icon directory stores sides up to 256; larger images are refused.
inline constexpr int kMaxImageSide = 256;
// Bounds on what an animation may expand to: its steps, and the pixels of
// all its frames once the sequence is laid out.
inline constexpr std::size_t kMaxAnimationSteps = 4096;
inline constexpr std::size_t kMaxAnimationPixels = std::size_t{4} << 20;

struct ImageInfo {
  int width = 0;
  int height = 0;
  int bits = 0;  // bits per pixel; 32 for PNG
};

// One image of an icon directory, a bitmap with its AND mask or a PNG image,
// starting at the first byte of `data` (which may run on past its end).
std::optional<ImageInfo> inspect_image(Bytes data);
// Its pixels; the hotspot is left at (0, 0).
std::optional<CursorFrame> decode_image(Bytes data);

// A .cur or .ico file: the image closest to `preferred_size` pixels.
std::optional<CursorFrame> decode_icon_directory(Bytes file, int preferred_size);

// A .ani file: one frame per step of its sequence, each with its delay.
std::optional<CursorImage> decode_animated_cursor(Bytes file, int preferred_size);

// Either kind, told apart by the first bytes.
std::optional<CursorImage> decode_cursor(Bytes file, int preferred_size);

}  // namespace platform::core::cursors
