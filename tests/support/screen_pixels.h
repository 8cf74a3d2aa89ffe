// What the X server shows, read back as plain pixels, and where the ink of
// a drawing lies in them: for tests that compare a drawing with the same
// drawing made elsewhere.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace sorvel::testing {

// The system colours the built-in controls paint with, as the screen shows them.
constexpr std::uint32_t kFace = 0xF0F0F0;
constexpr std::uint32_t kShadow = 0xA0A0A0;
constexpr std::uint32_t kHighlight = 0xFFFFFF;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, rows top-down

  std::uint32_t at(int x, int y) const {
    return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
  bool operator==(const Pixels&) const = default;
};

// Where a window of the layer lies on the screen.
RECT screen_rect(HWND hwnd);
// `area` of `window` (the root window: a screenshot); empty when the
// server refuses.
Pixels grab(Display* display, Window window, const RECT& area);
// The smallest rectangle holding every pixel other than `background`;
// empty ({0, 0, 0, 0}) when there is none.
RECT ink_box(const Pixels& pixels, std::uint32_t background);
Pixels crop(const Pixels& pixels, const RECT& area);
// The ink of `area` on the screen, cut to its box.
Pixels screen_ink(Display* display, const RECT& area, std::uint32_t background);

}  // namespace sorvel::testing
