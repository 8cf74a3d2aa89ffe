// The default processing of window messages.
#include <algorithm>
#include <cstring>

#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::desktop;
using platform::core::send;
using platform::core::Window;

namespace {

bool shift_down() { return (desktop().key_state[VK_SHIFT] & 0x80) != 0; }

LRESULT context_menu_from_keyboard(HWND hwnd) {
  // The keyboard's context menu carries the position -1, -1.
  send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1);
  return 0;
}

LRESULT erase_background(HWND hwnd, HDC hdc) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || w->window_class == nullptr || w->window_class->background == nullptr) return 0;
  RECT client{0, 0, w->client_width(), w->client_height()};
  FillRect(hdc, &client, w->window_class->background);
  return 1;
}

void set_title(HWND hwnd, LPCSTR text) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr) return;
  w->title = text != nullptr ? text : "";
  desktop().driver().set_title(w->native, w->title);
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
      if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName)) {
        set_title(hwnd, create->lpszName);
      }
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return erase_background(hwnd, reinterpret_cast<HDC>(wparam));
    case WM_SETTEXT:
      set_title(hwnd, reinterpret_cast<LPCSTR>(lparam));
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lparam);
      if (buffer == nullptr || wparam == 0) return 0;
      const std::size_t count = std::min<std::size_t>(w->title.size(), wparam - 1);
      std::memcpy(buffer, w->title.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->title.size());
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && !w->minimized) {
        const HWND focus = desktop().focus;
        if (focus != hwnd && !desktop().is_descendant(hwnd, focus)) SetFocus(hwnd);
      }
      return 0;
    case WM_RBUTTONUP: {
      POINT screen{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ClientToScreen(hwnd, &screen);
      send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
           MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
      return 0;
    }
    case WM_CONTEXTMENU:
      if (w->is_child()) return send(w->parent, msg, wparam, lparam);
      return 0;
    case WM_KEYUP:
      if (wparam == VK_APPS) return context_menu_from_keyboard(hwnd);
      return 0;
    case WM_SYSKEYDOWN:
      if (wparam == VK_F4 && (lparam & KF_ALTDOWN_BIT) != 0) {
        send(desktop().top_level_of(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (wparam == VK_F10 && shift_down()) {
        return context_menu_from_keyboard(hwnd);
      }
      return 0;
    case WM_SYSCOMMAND:
      // Screen saver and monitor power-off are not ours to stop: they pass.
      if ((wparam & 0xFFF0) == SC_CLOSE) send(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_MOUSEACTIVATE:
      return 1;  // MA_ACTIVATE
    case WM_NCHITTEST:
      return 1;  // HTCLIENT
    default:
      return 0;
  }
}
