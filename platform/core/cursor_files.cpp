#include "platform/core/desktop.h"
#include "platform/core/image_files.h"
#include "platform/win32.h"

namespace platform::core {

std::optional<CursorImage> load_cursor_file(const char* /*path*/, int /*preferred_size*/) {
  set_last_error(ERROR_FILE_NOT_FOUND);
  return std::nullopt;
}

}  // namespace platform::core
