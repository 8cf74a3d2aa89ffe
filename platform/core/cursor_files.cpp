#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/core/cursor_decode.h"
#include "platform/core/desktop.h"
#include "platform/core/image_files.h"
#include "platform/win32.h"

namespace platform::core {
namespace {

// Far above any real cursor: 64 frames of 256 × 256 at 32 bits take 17 MB.
constexpr std::uintmax_t kMaxCursorFileBytes = std::uintmax_t{32} << 20;

}  // namespace

std::optional<CursorImage> load_cursor_file(const char* path, int preferred_size) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) {
    set_last_error(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  std::optional<CursorImage> image;
  if (size <= kMaxCursorFileBytes) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
      image = cursors::decode_cursor(bytes, preferred_size > 0 ? preferred_size : 32);
    }
  }
  if (!image) set_last_error(ERROR_INVALID_DATA);
  return image;
}

}  // namespace platform::core
