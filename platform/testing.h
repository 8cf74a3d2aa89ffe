// Hooks for tests and for programs that embed the layer: answer message
// boxes in code, and run without a display.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/types.h"

namespace platform::testing {

struct MessageBoxCall {
  HWND owner;
  std::string text;     // Windows-1252 bytes, as given
  std::string caption;
  UINT type;
};

// Every MessageBoxA goes to `handler` instead of the screen or terminal and
// returns what it returns; an empty handler restores the real boxes.
using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;
void set_message_box_handler(MessageBoxHandler handler);

// Windows that exist in memory only, with no display and no GL: for fast
// tests of the window system. Call before anything else of the layer.
void use_headless_display();

// No display at all, as on a machine without one: windows cannot be made
// and message boxes go to the terminal (or the handler).
void use_no_display();

// Queues a hardware message (key or mouse) as the display driver would.
void inject_input(const MSG& message);

}  // namespace platform::testing
