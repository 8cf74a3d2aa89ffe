#include "platform/core/desktop.h"
#include "platform/core/image_files.h"
#include "platform/win32.h"

namespace platform::core {

HBITMAP load_bitmap_file(const char* /*path*/, int /*width*/, int /*height*/, UINT /*flags*/) {
  set_last_error(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

}  // namespace platform::core
