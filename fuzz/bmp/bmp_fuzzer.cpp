// Feeds arbitrary bytes to the BMP decoder, as a section and as a display
// bitmap; whatever it accepts must be a well-formed bitmap whose pixels
// read back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/core/bitmaps.h"
#include "platform/core/bmp_decode.h"
#include "platform/core/desktop.h"
#include "platform/core/driver.h"
#include "platform/testing.h"
#include "platform/win32.h"

// The core without the X11 driver: the fuzz target never has a display.
std::unique_ptr<platform::DisplayDriver> platform::make_default_driver() { return make_null_driver(false); }

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  platform::testing::use_headless_display();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::core::bmp::MemorySource source({data, size});
  for (UINT flags : {LR_CREATEDIBSECTION | LR_LOADTRANSPARENT, UINT{0}}) {
    const HBITMAP handle = platform::core::bmp::decode(source, 0, 0, flags);
    if (handle == nullptr) continue;
    const auto* bitmap = platform::core::desktop().find<platform::core::Bitmap>(handle);
    if (bitmap == nullptr || bitmap->width < 1 || bitmap->height < 1 ||
        bitmap->pixels.size() < platform::core::dib_stride(bitmap->width, bitmap->bits_per_pixel) *
                                    static_cast<std::size_t>(bitmap->height)) {
      std::abort();
    }
    // A spread of pixels over the whole block, corners included.
    const LONG step_x = std::max<LONG>(1, bitmap->width / 32);
    const LONG step_y = std::max<LONG>(1, bitmap->height / 32);
    for (LONG y = 0; y < bitmap->height;
         y += y + step_y < bitmap->height ? step_y : std::max<LONG>(1, bitmap->height - 1 - y)) {
      for (LONG x = 0; x < bitmap->width;
           x += x + step_x < bitmap->width ? step_x : std::max<LONG>(1, bitmap->width - 1 - x)) {
        if (platform::core::read_pixel(*bitmap, x, y) == platform::core::kInvalidColor) std::abort();
      }
    }
    DeleteObject(handle);
  }
  return 0;
}
