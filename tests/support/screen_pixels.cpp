#include "tests/support/screen_pixels.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace sorvel::testing {

RECT screen_rect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

Pixels grab(Display* display, Window window, const RECT& area) {
  Pixels out;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return out;
  XImage* image = XGetImage(display, window, area.left, area.top, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return out;
  out.width = width;
  out.height = height;
  out.rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
  }
  XDestroyImage(image);
  return out;
}

RECT ink_box(const Pixels& pixels, std::uint32_t background) {
  RECT box{pixels.width, pixels.height, 0, 0};
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      if (pixels.at(x, y) == background) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box.right > box.left ? box : RECT{0, 0, 0, 0};
}

Pixels crop(const Pixels& pixels, const RECT& area) {
  Pixels out;
  out.width = std::max<int>(0, area.right - area.left);
  out.height = std::max<int>(0, area.bottom - area.top);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) out.rgb.push_back(pixels.at(x, y));
  }
  return out;
}

Pixels screen_ink(Display* display, const RECT& area, std::uint32_t background) {
  const Pixels shown = grab(display, DefaultRootWindow(display), area);
  return crop(shown, ink_box(shown, background));
}

}  // namespace sorvel::testing
