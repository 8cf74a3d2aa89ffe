#include "platform/core/desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/win32.h"

namespace platform::core {

Desktop& Desktop::get() {
  // Never destroyed: window procedures may still run while the process ends.
  static Desktop* const instance = new Desktop();
  return *instance;
}

DisplayDriver& Desktop::driver() {
  if (driver_ == nullptr) driver_ = make_default_driver();
  return *driver_;
}

bool case_insensitive_equal(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

WindowClass* Desktop::find_class(std::string_view name, HINSTANCE instance) const {
  WindowClass* system_match = nullptr;
  for (const auto& window_class : classes) {
    if (!case_insensitive_equal(window_class->name, name)) continue;
    if (window_class->system) {
      system_match = window_class.get();
    } else if (instance == nullptr || window_class->instance == instance ||
               window_class->instance == GetModuleHandleA(nullptr)) {
      return window_class.get();
    }
  }
  return system_match;
}

HWND Desktop::top_level_of(HWND hwnd) const {
  const Window* w = window(hwnd);
  while (w != nullptr && w->is_child()) {
    hwnd = w->parent;
    w = window(hwnd);
  }
  return w != nullptr ? hwnd : nullptr;
}

bool Desktop::is_descendant(HWND ancestor, HWND hwnd) const {
  for (const Window* w = window(hwnd); w != nullptr && w->is_child(); w = window(w->parent)) {
    if (w->parent == ancestor) return true;
  }
  return false;
}

bool Desktop::shown(const Window* w) const {
  if (w == nullptr) return false;
  for (; w != nullptr; w = w->is_child() ? window(w->parent) : nullptr) {
    if (!w->visible) return false;
  }
  return true;
}

POINT Desktop::window_origin(const Window& w) const {
  POINT origin{w.rect.left, w.rect.top};
  if (w.is_child()) {
    if (const Window* parent = window(w.parent)) {
      const POINT parent_client = client_origin(*parent);
      origin.x += parent_client.x;
      origin.y += parent_client.y;
    }
  }
  return origin;
}

POINT Desktop::client_origin(const Window& w) const {
  const POINT outer = window_origin(w);
  return {outer.x + (w.client.left - w.rect.left), outer.y + (w.client.top - w.rect.top)};
}

// ---- The message queue -------------------------------------------------------

void MessageQueue::post_input(const MSG& message) {
  if (message.message == WM_MOUSEMOVE && !input_.empty()) {
    MSG& last = input_.back();
    if (last.message == WM_MOUSEMOVE && last.hwnd == message.hwnd && last.wParam == message.wParam) {
      last = message;
      return;
    }
  }
  input_.push_back(message);
}

namespace {

bool passes(const MSG& m, HWND filter, UINT first, UINT last) {
  if (filter == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd != nullptr) return false;
  } else if (filter != nullptr && m.hwnd != filter && !desktop().is_descendant(filter, m.hwnd)) {
    return false;
  }
  return (first == 0 && last == 0) || (m.message >= first && m.message <= last);
}

bool take_from(std::deque<MSG>& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!passes(*it, filter, first, last)) continue;
    *out = *it;
    if (remove) queue.erase(it);
    return true;
  }
  return false;
}

}  // namespace

bool MessageQueue::take(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  if (take_from(posted_, out, filter, first, last, remove)) return true;
  if (quit_pending_ && (filter == nullptr || filter == reinterpret_cast<HWND>(-1)) &&
      ((first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last))) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quit_code_), 0, GetTickCount(), {}};
    if (remove) quit_pending_ = false;
    return true;
  }
  return take_from(input_, out, filter, first, last, remove);
}

void MessageQueue::discard(HWND hwnd) {
  auto for_window = [hwnd](const MSG& m) { return m.hwnd == hwnd; };
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(), for_window), posted_.end());
  input_.erase(std::remove_if(input_.begin(), input_.end(), for_window), input_.end());
}

// ---- What the driver reports ------------------------------------------------------

namespace {

bool is_key_message(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

}  // namespace

void Desktop::input(const MSG& message) {
  MSG routed = message;
  // Keys go to the focus window, as the display only knows the top level.
  if (is_key_message(message.message) && focus != nullptr && window(focus) != nullptr) {
    routed.hwnd = focus;
  }
  const Window* target = window(routed.hwnd);
  if (target == nullptr) return;
  for (const Window* w = target; w != nullptr; w = w->is_child() ? window(w->parent) : nullptr) {
    if (!w->enabled) return;  // a disabled window takes no input
  }
  queue.post_input(routed);
}

void Desktop::expose(HWND hwnd, const RECT& area) {
  if (Window* w = window(hwnd)) invalidate(*w, &area, true);
}

void Desktop::close_request(HWND hwnd) {
  if (window(hwnd) != nullptr) queue.post(MSG{hwnd, WM_SYSCOMMAND, SC_CLOSE, 0, GetTickCount(), {}});
}

void Desktop::moved(HWND hwnd, POINT window_origin) {
  Window* w = window(hwnd);
  if (w == nullptr || w->is_child()) return;
  const LONG dx = window_origin.x - w->rect.left;
  const LONG dy = window_origin.y - w->rect.top;
  if (dx == 0 && dy == 0) return;
  OffsetRect(&w->rect, dx, dy);
  OffsetRect(&w->client, dx, dy);
  send(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(w->client.left), static_cast<WORD>(w->client.top)));
}

void Desktop::focus_changed(HWND hwnd, bool has_focus) {
  if (window(hwnd) == nullptr) return;
  if (has_focus) {
    activate(hwnd);
    foreground = hwnd;
    return;
  }
  if (foreground == hwnd) foreground = nullptr;
  if (active != hwnd) return;  // focus moved between our own windows
  active = nullptr;
  send(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  if (focus != nullptr && (focus == hwnd || is_descendant(hwnd, focus))) {
    const HWND lost = focus;
    focus = nullptr;
    send(lost, WM_KILLFOCUS, 0, 0);
  }
}

void Desktop::display_lost() {
  std::fputs("sorvel: the connection to the display was lost; ending.\n", stderr);
  ExitProcess(0);
}

}  // namespace platform::core
