// The window classes the core itself provides (message boxes, the status
// bar), registered on first use of any class.
#pragma once

#include <span>

#include "platform/win32/types.h"

namespace platform::core {

struct SystemClass {
  const char* name;
  WNDPROC proc;
  UINT style;
  int window_extra;
  HBRUSH background;
};

std::span<const SystemClass> system_classes();

// The built-in window procedures.
LRESULT message_box_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT status_bar_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

constexpr const char* kMessageBoxClass = "#32770";

}  // namespace platform::core
