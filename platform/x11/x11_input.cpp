// Keyboard and pointer input as the platform's hardware messages, and the
// pointer itself: grabs for capture, its position, warping.
#include <X11/keysym.h>

#include "platform/win32.h"
#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

constexpr unsigned kKeycodeOffset = 8;
constexpr short kWheelDelta = 120;

// The MK_ flags of a core state (buttons and modifiers before the event).
WPARAM mouse_flags(unsigned state, unsigned x_buttons) {
  WPARAM flags = x_buttons;
  if ((state & Button1Mask) != 0) flags |= MK_LBUTTON;
  if ((state & Button2Mask) != 0) flags |= MK_MBUTTON;
  if ((state & Button3Mask) != 0) flags |= MK_RBUTTON;
  if ((state & ShiftMask) != 0) flags |= MK_SHIFT;
  if ((state & ControlMask) != 0) flags |= MK_CONTROL;
  return flags;
}

LPARAM pack_point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

}  // namespace

bool X11Driver::release_is_repeat(const XKeyEvent& event) {
  // Without detectable repeat a held key sends release and press with one
  // timestamp; the pair is a repeat, not a release.
  if (XEventsQueued(display_, QueuedAfterReading) == 0) return false;
  XEvent next;
  XPeekEvent(display_, &next);
  return next.type == KeyPress && next.xkey.keycode == event.keycode && next.xkey.time == event.time &&
         next.xkey.window == event.window;
}

void X11Driver::translate_key(const XKeyEvent& event, WindowRecord& window, EventSink& sink) {
  if (keymap_stale_) load_keymap();
  const bool press = event.type == KeyPress;
  if (!press && !detectable_repeat_ && release_is_repeat(event)) return;
  const unsigned keycode = event.keycode & 0xFF;
  keyboard_group_ = XkbGroupForCoreState(event.state);
  const UINT vk = virtual_key(keycode, event.state);
  const bool was_down = keys_down_[keycode];
  keys_down_[keycode] = press;
  if (vk == 0) return;

  const KeySym level_one = level_one_keysym(keycode, keyboard_group_);
  const bool alt_key = vk == VK_MENU && level_one != XK_ISO_Level3_Shift && level_one != XK_Mode_switch;
  const bool alt_before = (event.state & alt_mask_) != 0;
  const bool control = (event.state & ControlMask) != 0;
  const bool alt_after = press ? (alt_before || alt_key) : (alt_before && !alt_key);
  // Alt without Ctrl makes system keys, and F10 is the menu key.
  const bool system = ((alt_before || alt_key) && !control) || vk == VK_F10;
  UINT message;
  if (press) {
    message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
  } else {
    message = system ? WM_SYSKEYUP : WM_KEYUP;
  }
  LPARAM lparam = 1 | static_cast<LPARAM>(((keycode - kKeycodeOffset) & 0xFF) << 16);
  if (is_extended_key(level_one)) lparam |= KF_EXTENDED_BIT;
  if (alt_after) lparam |= KF_ALTDOWN_BIT;
  if (!press || was_down) lparam |= KF_REPEAT_BIT;
  if (!press) lparam |= KF_UP_BIT;
  sink.input(MSG{window.hwnd, message, vk, lparam, GetTickCount(), POINT{event.x_root, event.y_root}});
}

void X11Driver::translate_button(const XButtonEvent& event, WindowRecord& window, EventSink& sink) {
  const bool press = event.type == ButtonPress;
  WPARAM flags = mouse_flags(event.state, x_buttons_);
  auto after = [&flags, press](WPARAM flag) { flags = press ? (flags | flag) : (flags & ~flag); };
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = pack_point(event.x, event.y);
  switch (event.button) {
    case Button1:
      after(MK_LBUTTON);
      message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      break;
    case Button2:
      after(MK_MBUTTON);
      message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      break;
    case Button3:
      after(MK_RBUTTON);
      message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      break;
    case Button4:
    case Button5:
    case 6:
    case 7: {
      if (!press) return;  // a wheel step is one press and release
      const bool vertical = event.button == Button4 || event.button == Button5;
      const bool away = event.button == Button4 || event.button == 7;  // up, or right
      message = vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
      wparam = MAKEWPARAM(static_cast<WORD>(flags), static_cast<WORD>(away ? kWheelDelta : -kWheelDelta));
      lparam = pack_point(event.x_root, event.y_root);  // wheels report screen positions
      break;
    }
    case 8:
    case 9: {
      const WPARAM flag = event.button == 8 ? MK_XBUTTON1 : MK_XBUTTON2;
      x_buttons_ = static_cast<unsigned>(press ? (x_buttons_ | flag) : (x_buttons_ & ~flag));
      after(flag);
      message = press ? WM_XBUTTONDOWN : WM_XBUTTONUP;
      wparam = MAKEWPARAM(static_cast<WORD>(flags), static_cast<WORD>(event.button == 8 ? 1 : 2));
      break;
    }
    default:
      return;
  }
  if (wparam == 0) wparam = flags;
  sink.input(MSG{window.hwnd, message, wparam, lparam, GetTickCount(), POINT{event.x_root, event.y_root}});
}

void X11Driver::translate_motion(const XMotionEvent& event, WindowRecord& window, EventSink& sink) {
  sink.input(MSG{window.hwnd, WM_MOUSEMOVE, mouse_flags(event.state, x_buttons_), pack_point(event.x, event.y),
                 GetTickCount(), POINT{event.x_root, event.y_root}});
}

bool X11Driver::grab_pointer(NativeId window) {
  const WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0) return false;
  // Every pointer event comes to the capturing window, in its coordinates.
  const int status = XGrabPointer(display_, w->client, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                  GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  grab_window_ = status == GrabSuccess ? w->client : 0;
  return status == GrabSuccess;
}

void X11Driver::ungrab_pointer() {
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
  grab_window_ = 0;
}

POINT X11Driver::cursor_position() {
  Window root = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  int x = 0;
  int y = 0;
  unsigned mask = 0;
  XQueryPointer(display_, root_, &root, &child, &root_x, &root_y, &x, &y, &mask);
  return {root_x, root_y};
}

void X11Driver::set_cursor_position(POINT screen) {
  XWarpPointer(display_, None, root_, 0, 0, 0, 0, screen.x, screen.y);
  XFlush(display_);
}

}  // namespace platform::x11
