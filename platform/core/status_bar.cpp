// The common controls' status bar.
#include "platform/core/desktop.h"
#include "platform/win32.h"

void InitCommonControls() {}

HWND CreateStatusWindowA(LONG /*style*/, LPCSTR /*text*/, HWND /*parent*/, UINT /*id*/) {
  platform::core::set_last_error(ERROR_CANNOT_FIND_WND_CLASS);
  return nullptr;
}
