// What tests and benchmarks may see of the live X11 driver: its connection
// (to count requests, or to hand it events) and the errors it has met.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11::testing {

// The connection of the driver the layer uses, or null when there is none.
Display* driver_display();
// X errors seen by the process-wide handler so far, and the latest code.
unsigned long error_count();
unsigned char last_error_code();

}  // namespace platform::x11::testing
