// Animated cursors: a RIFF "ACON" form holding an "anih" header, optional
// "rate" (jiffies per step) and "seq " (frame per step) chunks, and a
// "LIST" "fram" of "icon" chunks, each a whole .cur or .ico file.
#include <algorithm>
#include <limits>
#include <vector>

#include "platform/core/cursor_decode.h"

namespace platform::core::cursors {
namespace {

constexpr std::size_t kHeaderSize = 36;

struct Chunks {
  std::optional<Bytes> header;
  std::optional<Bytes> rates;
  std::optional<Bytes> sequence;
  std::optional<Bytes> frames;  // the chunks inside "LIST" "fram"
};

// Calls `visit(id, data)` for each chunk of `body`; false when a chunk runs
// past the end or `visit` refuses one. Every pass consumes at least the
// 8-byte chunk header, so the walk ends.
template <typename Visit>
bool for_each_chunk(Bytes body, Visit visit) {
  ByteReader r(body);
  while (r.remaining() > 0) {
    const std::string_view id = r.fourcc();
    const std::uint32_t size = r.u32();
    const Bytes data = r.take(size);
    if (!r.ok() || !visit(id, data)) return false;
    // Chunks are padded to even sizes; the last one may lack its pad.
    if (size % 2 != 0 && r.remaining() > 0) r.skip(1);
  }
  return true;
}

// A chunk that appears twice is a malformed file.
bool keep_once(std::optional<Bytes>& slot, Bytes data) {
  if (slot) return false;
  slot = data;
  return true;
}

std::optional<Chunks> read_chunks(Bytes body) {
  Chunks chunks;
  const bool ok = for_each_chunk(body, [&](std::string_view id, Bytes data) {
    if (id == "anih") return keep_once(chunks.header, data);
    if (id == "rate") return keep_once(chunks.rates, data);
    if (id == "seq ") return keep_once(chunks.sequence, data);
    if (id == "LIST") {
      ByteReader list(data);
      if (list.fourcc() == "fram") return keep_once(chunks.frames, data.subspan(list.position()));
      return list.ok();  // other lists (titles, authors) are skipped
    }
    return true;
  });
  if (!ok || !chunks.header || !chunks.frames) return std::nullopt;
  return chunks;
}

unsigned jiffies_to_ms(std::uint32_t jiffies) {
  // No step shows for less than a jiffy: a zero rate would spin.
  const std::uint64_t ms = (std::uint64_t{std::max<std::uint32_t>(jiffies, 1)} * 1000 + 30) / 60;
  return static_cast<unsigned>(std::min<std::uint64_t>(ms, std::numeric_limits<unsigned>::max()));
}

}  // namespace

std::optional<CursorImage> decode_animated_cursor(Bytes file, int preferred_size) {
  ByteReader r(file);
  const bool riff = r.fourcc() == "RIFF";
  const std::uint32_t riff_size = r.u32();
  const bool acon = r.fourcc() == "ACON";
  if (!r.ok() || !riff || !acon || riff_size < 4 || riff_size - 4 > r.remaining()) return std::nullopt;
  const std::optional<Chunks> chunks = read_chunks(file.subspan(r.position(), riff_size - 4));
  if (!chunks || chunks->header->size() < kHeaderSize) return std::nullopt;

  ByteReader header(*chunks->header, 4);
  const std::uint32_t frame_count = header.u32();
  const std::uint32_t header_steps = header.u32();
  header.seek(28);
  const std::uint32_t default_rate = header.u32();
  if (frame_count == 0 || frame_count > kMaxAnimationSteps) return std::nullopt;

  std::vector<CursorFrame> frames;
  std::size_t frame_pixels = 0;
  const bool frames_ok = for_each_chunk(*chunks->frames, [&](std::string_view id, Bytes data) {
    if (id != "icon") return true;
    if (frames.size() == frame_count) return false;
    std::optional<CursorFrame> frame = decode_icon_directory(data, preferred_size);
    if (!frame) return false;
    frame_pixels += frame->pixels.size();
    frames.push_back(std::move(*frame));
    return frame_pixels <= kMaxAnimationPixels;
  });
  if (!frames_ok || frames.size() != frame_count) return std::nullopt;

  // Without a sequence the frames play in order, one step each.
  const std::size_t steps = chunks->sequence ? header_steps : frame_count;
  if (steps == 0 || steps > kMaxAnimationSteps) return std::nullopt;
  if (chunks->sequence && chunks->sequence->size() / 4 < steps) return std::nullopt;
  if (chunks->rates && chunks->rates->size() / 4 < steps) return std::nullopt;

  ByteReader sequence(chunks->sequence.value_or(Bytes{}));
  ByteReader rates(chunks->rates.value_or(Bytes{}));
  std::vector<std::uint32_t> order(steps);
  std::size_t total_pixels = 0;
  for (std::size_t i = 0; i < steps; ++i) {
    order[i] = chunks->sequence ? sequence.u32() : static_cast<std::uint32_t>(i);
    if (order[i] >= frames.size()) return std::nullopt;
    total_pixels += frames[order[i]].pixels.size();
    if (total_pixels > kMaxAnimationPixels) return std::nullopt;
  }

  CursorImage image;
  image.frames.reserve(steps);
  for (std::size_t i = 0; i < steps; ++i) {
    image.frames.push_back(frames[order[i]]);
    image.frames.back().delay_ms = jiffies_to_ms(chunks->rates ? rates.u32() : default_rate);
  }
  return image;
}

std::optional<CursorImage> decode_cursor(Bytes file, int preferred_size) {
  ByteReader r(file);
  if (r.fourcc() == "RIFF") return decode_animated_cursor(file, preferred_size);
  std::optional<CursorFrame> frame = decode_icon_directory(file, preferred_size);
  if (!frame) return std::nullopt;
  CursorImage image;
  image.frames.push_back(std::move(*frame));
  return image;
}

}  // namespace platform::core::cursors
