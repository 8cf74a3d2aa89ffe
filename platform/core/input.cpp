// Capture, focus and activation, the cursor position, key state, system
// metrics, and cursors and icons.
#include <map>

#include "platform/core/desktop.h"
#include "platform/core/image_files.h"
#include "platform/core/system_images.h"
#include "platform/win32.h"

using platform::core::Cursor;
using platform::core::Desktop;
using platform::core::desktop;
using platform::core::send;
using platform::core::Window;

namespace {

// The fixed non-client metrics of our frames.
constexpr int kCaptionHeight = 16;
constexpr int kFrameWidth = 3;

HCURSOR system_cursor(int id, bool icon) {
  static std::map<int, HCURSOR> cursors;
  static std::map<int, HCURSOR> icons;
  auto& cache = icon ? icons : cursors;
  if (auto it = cache.find(id); it != cache.end()) return it->second;
  auto object = std::make_unique<Cursor>();
  object->system_id = id;
  object->icon = icon;
  object->permanent = true;
  if (icon) object->image = platform::core::system_icon_image(id);
  const HCURSOR handle = desktop().add<HCURSOR>(std::move(object));
  cache.emplace(id, handle);
  return handle;
}

bool is_system_cursor_id(int id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651 && id != 32647);
}

}  // namespace

namespace platform::core {

NativeId native_cursor(HCURSOR cursor) {
  Cursor* c = desktop().find<Cursor>(cursor);
  if (c == nullptr) return 0;
  if (c->native == 0) {
    DisplayDriver& driver = desktop().driver();
    c->native = c->image.frames.empty() ? driver.create_system_cursor(c->system_id) : driver.create_cursor(c->image);
  }
  return c->native;
}

const CursorFrame* icon_frame(HICON icon) {
  const Cursor* c = desktop().find<Cursor>(icon);
  if (c == nullptr || c->image.frames.empty()) return nullptr;
  return &c->image.frames.front();
}

}  // namespace platform::core

HWND SetCapture(HWND hwnd) {
  Desktop& d = desktop();
  const HWND previous = d.capture;
  const Window* w = d.window(hwnd);
  if (w == nullptr) return previous;
  d.capture = hwnd;
  d.driver().grab_pointer(w->native);
  if (previous != nullptr && previous != hwnd) send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture() {
  Desktop& d = desktop();
  const HWND previous = d.capture;
  if (previous == nullptr) return TRUE;
  d.capture = nullptr;
  d.driver().ungrab_pointer();
  send(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return desktop().capture; }

HWND SetFocus(HWND hwnd) {
  Desktop& d = desktop();
  const HWND previous = d.focus;
  if (hwnd == nullptr) {
    d.focus = nullptr;
    if (previous != nullptr) send(previous, WM_KILLFOCUS, 0, 0);
    return previous;
  }
  const Window* w = d.window(hwnd);
  if (w == nullptr || !w->enabled) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (previous == hwnd) return previous;
  const HWND top = d.top_level_of(hwnd);
  if (d.active != top) platform::core::activate(top);
  const HWND before = d.focus;
  if (before == hwnd) return previous;
  d.focus = hwnd;
  if (before != nullptr) send(before, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (d.focus == hwnd) send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(before), 0);
  return previous;
}

HWND GetFocus() { return desktop().focus; }
HWND GetActiveWindow() { return desktop().active; }
HWND GetForegroundWindow() { return desktop().foreground; }

BOOL SetForegroundWindow(HWND hwnd) {
  Desktop& d = desktop();
  const HWND top = d.top_level_of(hwnd);
  const Window* w = d.window(top);
  if (w == nullptr) return FALSE;
  platform::core::activate(top);
  d.driver().activate_window(w->native);
  return TRUE;
}

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) return FALSE;
  *point = desktop().driver().cursor_position();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  desktop().driver().set_cursor_position({x, y});
  return TRUE;
}

SHORT GetKeyState(int virtual_key) {
  if (virtual_key < 0 || virtual_key > 255) return 0;
  const BYTE state = desktop().key_state[virtual_key];
  return static_cast<SHORT>(((state & 0x80) != 0 ? 0x8000 : 0) | (state & 0x01));
}

SHORT GetAsyncKeyState(int virtual_key) {
  return static_cast<SHORT>(static_cast<unsigned short>(GetKeyState(virtual_key)) & 0x8000);
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return desktop().driver().screen_size().x;
    case SM_CYSCREEN: return desktop().driver().screen_size().y;
    case SM_CYCAPTION: return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return kFrameWidth;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXCURSOR:
    case SM_CYCURSOR: return desktop().driver().cursor_size();
    case SM_CMOUSEBUTTONS: return 3;
    default: return 0;
  }
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  // Programs carry no resources here: only the system's cursors exist.
  const int id = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : 0;
  if (instance != nullptr || !is_system_cursor_id(id)) {
    platform::core::set_last_error(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return system_cursor(id, false);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  const int id = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : 0;
  if (instance != nullptr || id < 32512 || id > 32517) {
    platform::core::set_last_error(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return system_cursor(id, true);
}

HCURSOR LoadCursorFromFileA(LPCSTR file_name) {
  if (file_name == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::optional<platform::CursorImage> image =
      platform::core::load_cursor_file(file_name, GetSystemMetrics(SM_CXCURSOR));
  if (!image.has_value() || image->frames.empty()) return nullptr;
  auto object = std::make_unique<Cursor>();
  object->image = std::move(*image);
  return desktop().add<HCURSOR>(std::move(object));
}

HCURSOR SetCursor(HCURSOR cursor) {
  static HCURSOR current = nullptr;
  Desktop& d = desktop();
  const HWND target = d.capture != nullptr ? d.capture : d.foreground;
  if (const Window* w = d.window(target)) d.driver().set_window_cursor(w->native, platform::core::native_cursor(cursor));
  return std::exchange(current, cursor);
}

BOOL DestroyCursor(HCURSOR cursor) {
  Desktop& d = desktop();
  Cursor* c = d.find<Cursor>(cursor);
  if (c == nullptr) return FALSE;
  if (c->permanent) return TRUE;
  if (c->native != 0) d.driver().destroy_cursor(c->native);
  d.remove(cursor);
  return TRUE;
}

BOOL DestroyIcon(HICON icon) { return DestroyCursor(icon); }

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  if (name == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool from_file = (flags & LR_LOADFROMFILE) != 0 && !IS_INTRESOURCE(name);
  switch (type) {
    case IMAGE_BITMAP:
      if (!from_file) break;
      return platform::core::load_bitmap_file(name, cx, cy, flags);
    case IMAGE_CURSOR:
    case IMAGE_ICON:
      if (from_file) return LoadCursorFromFileA(name);
      return type == IMAGE_CURSOR ? LoadCursorA(instance, name) : LoadIconA(instance, name);
    default:
      break;
  }
  platform::core::set_last_error(ERROR_FILE_NOT_FOUND);
  return nullptr;
}
