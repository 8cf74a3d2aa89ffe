// Sending, posting and taking messages. A sent message is a direct, nested
// call of the window procedure; posted and hardware messages wait in the
// queue; paint messages are made from update areas when nothing else waits.
#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::Desktop;
using platform::core::desktop;
using platform::core::Window;

namespace platform::core {

LRESULT send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || w->proc == nullptr) return 0;
  return w->proc(hwnd, message, wparam, lparam);
}

}  // namespace platform::core

namespace {

HWND window_needing_paint(HWND hwnd, HWND filter) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr) return nullptr;
  const bool allowed = filter == nullptr || filter == hwnd || desktop().is_descendant(filter, hwnd);
  if (allowed && !w->update.empty() && desktop().shown(w)) return hwnd;
  for (HWND child : w->children) {
    if (HWND found = window_needing_paint(child, filter)) return found;
  }
  return nullptr;
}

// The key state the platform keeps in step with the messages taken off the
// queue, which TranslateMessage and GetKeyState read.
void track_key_state(const MSG& m) {
  BYTE* state = desktop().key_state;
  auto set_down = [state](int vk, bool down) {
    if (down && (state[vk] & 0x80) == 0) state[vk] ^= 0x01;  // toggles on each press
    state[vk] = static_cast<BYTE>(down ? (state[vk] | 0x80) : (state[vk] & ~0x80));
  };
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
      const int vk = static_cast<int>(m.wParam & 0xFF);
      set_down(vk, down);
      const bool extended = (m.lParam & KF_EXTENDED_BIT) != 0;
      if (vk == VK_SHIFT) set_down(((m.lParam >> 16) & 0xFF) == 0x36 ? VK_RSHIFT : VK_LSHIFT, down);
      if (vk == VK_CONTROL) set_down(extended ? VK_RCONTROL : VK_LCONTROL, down);
      if (vk == VK_MENU) set_down(extended ? VK_RMENU : VK_LMENU, down);
      break;
    }
    case WM_LBUTTONDOWN: set_down(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: set_down(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: set_down(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: set_down(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: set_down(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: set_down(VK_MBUTTON, false); break;
    default: break;
  }
}

bool peek(MSG* msg, HWND filter, UINT first, UINT last, bool remove) {
  Desktop& d = desktop();
  d.driver().poll(d);
  MSG found;
  if (d.queue.take(&found, filter, first, last, remove)) {
    if (remove) track_key_state(found);
    *msg = found;
    return true;
  }
  if (filter != reinterpret_cast<HWND>(-1) && ((first == 0 && last == 0) || (WM_PAINT >= first && WM_PAINT <= last))) {
    for (HWND top : d.top_levels) {
      if (HWND hwnd = window_needing_paint(top, filter)) {
        POINT cursor{};
        *msg = MSG{hwnd, WM_PAINT, 0, 0, GetTickCount(), cursor};
        return true;
      }
    }
  }
  return false;
}

}  // namespace

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (desktop().window(hwnd) == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return platform::core::send(hwnd, msg, wparam, lparam);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return proc != nullptr ? proc(hwnd, msg, wparam, lparam) : 0;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (hwnd != nullptr && desktop().window(hwnd) == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  POINT cursor{};
  desktop().queue.post(MSG{hwnd, msg, wparam, lparam, GetTickCount(), cursor});
  return TRUE;
}

void PostQuitMessage(int exit_code) { desktop().queue.post_quit(exit_code); }

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove) {
  if (msg == nullptr) return FALSE;
  return peek(msg, hwnd, filter_min, filter_max, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filter_min, UINT filter_max) {
  if (msg == nullptr) return -1;
  Desktop& d = desktop();
  while (!peek(msg, hwnd, filter_min, filter_max, true)) d.driver().wait(d, -1);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
  Desktop& d = desktop();
  MSG msg;
  if (!peek(&msg, nullptr, 0, 0, false)) d.driver().wait(d, -1);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  const bool key_down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  const bool key_up = msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  if (!key_down && !key_up) return FALSE;
  if (key_down) {
    Desktop& d = desktop();
    const UINT scan_code = static_cast<UINT>((msg->lParam >> 16) & 0x1FF);
    const int character = d.driver().key_to_char(static_cast<UINT>(msg->wParam), scan_code, d.key_state);
    if (character != 0) {
      const UINT char_message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
      d.queue.post_front(MSG{msg->hwnd, char_message, static_cast<WPARAM>(character & 0xFF), msg->lParam, msg->time,
                             msg->pt});
    }
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  const Window* w = desktop().window(msg->hwnd);
  if (w == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return platform::core::send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
