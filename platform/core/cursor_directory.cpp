// The icon directory of .cur and .ico files: a 6-byte header, then one
// 16-byte entry per image with (for cursors) its hotspot.
#include <algorithm>
#include <cstdlib>

#include "platform/core/cursor_decode.h"

namespace platform::core::cursors {
namespace {

constexpr std::uint16_t kIconType = 1;
constexpr std::uint16_t kCursorType = 2;

struct Entry {
  ImageInfo info;
  std::uint32_t offset = 0;
  int hotspot_x = 0;
  int hotspot_y = 0;
};

// Nearest side first; on a tie the larger image (shrinking looks better
// than growing), then the deeper one, then the earlier.
bool better(const Entry& a, const Entry& b, int preferred_size) {
  const int side_a = std::max(a.info.width, a.info.height);
  const int side_b = std::max(b.info.width, b.info.height);
  const int distance_a = std::abs(side_a - preferred_size);
  const int distance_b = std::abs(side_b - preferred_size);
  if (distance_a != distance_b) return distance_a < distance_b;
  if (side_a != side_b) return side_a > side_b;
  return a.info.bits > b.info.bits;
}

}  // namespace

std::optional<CursorFrame> decode_icon_directory(Bytes file, int preferred_size) {
  ByteReader r(file);
  const std::uint16_t reserved = r.u16();
  const std::uint16_t type = r.u16();
  const std::uint16_t count = r.u16();
  if (!r.ok() || reserved != 0 || (type != kIconType && type != kCursorType) || count == 0) return std::nullopt;

  std::optional<Entry> best;
  for (std::uint16_t i = 0; i < count; ++i) {
    r.skip(4);  // width, height, colour count, reserved: the image's own header says
    Entry entry;
    entry.hotspot_x = r.u16();
    entry.hotspot_y = r.u16();
    r.skip(4);  // the stored size is often wrong; the image's header bounds it
    entry.offset = r.u32();
    if (!r.ok() || entry.offset >= file.size()) return std::nullopt;
    const std::optional<ImageInfo> info = inspect_image(file.subspan(entry.offset));
    if (!info) return std::nullopt;
    entry.info = *info;
    if (!best || better(entry, *best, preferred_size)) best = entry;
  }

  std::optional<CursorFrame> frame = decode_image(file.subspan(best->offset));
  if (!frame) return std::nullopt;
  if (type == kCursorType) {
    // The display needs the hotspot on the image.
    frame->hotspot_x = std::min(best->hotspot_x, frame->width - 1);
    frame->hotspot_y = std::min(best->hotspot_y, frame->height - 1);
  } else {
    frame->hotspot_x = frame->width / 2;
    frame->hotspot_y = frame->height / 2;
  }
  return frame;
}

}  // namespace platform::core::cursors
