// The X11 driver: Xlib for windows and input, GLX for pixel formats and
// contexts, Xcursor for cursors, Xft for text.
#pragma once

#include <memory>

#include "platform/core/driver.h"

namespace platform {

// Null when no display can be opened (DISPLAY unset or unreachable).
std::unique_ptr<DisplayDriver> make_x11_driver();

}  // namespace platform
