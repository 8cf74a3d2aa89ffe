// Windows: creation and destruction, visibility and activation, geometry,
// text, properties and the window's stored values.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/core/desktop.h"
#include "platform/core/system_classes.h"
#include "platform/win32.h"

using platform::core::Desktop;
using platform::core::desktop;
using platform::core::send;
using platform::core::set_last_error;
using platform::core::Window;

namespace platform::core {

RECT frame_insets(DWORD style, Frame* frame) {
  const bool child = (style & WS_CHILD) != 0;
  const bool popup = (style & WS_POPUP) != 0;
  // A top-level window that is not a popup always has a caption.
  if (!child && ((style & WS_CAPTION) == WS_CAPTION || !popup)) {
    *frame = Frame::kCaption;
    return {3, 19, 3, 3};
  }
  if ((style & (WS_DLGFRAME | WS_THICKFRAME)) != 0) {
    *frame = Frame::kBorder;
    return {3, 3, 3, 3};
  }
  if ((style & WS_BORDER) != 0) {
    *frame = Frame::kBorder;
    return {1, 1, 1, 1};
  }
  *frame = Frame::kNone;
  return {0, 0, 0, 0};
}

void activate(HWND top_level) {
  Desktop& d = desktop();
  Window* w = d.window(top_level);
  if (w == nullptr || w->is_child() || w->destroying) return;
  auto& order = d.top_levels;
  if (auto it = std::find(order.begin(), order.end(), top_level); it != order.end()) {
    order.erase(it);
    order.insert(order.begin(), top_level);
  }
  d.foreground = top_level;
  if (d.active == top_level) return;
  const HWND previous = d.active;
  d.active = top_level;
  if (previous != nullptr && d.window(previous) != nullptr) {
    send(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(top_level));
  }
  send(top_level, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
}

}  // namespace platform::core

namespace {

// Hands activation to the next visible top-level window, after `leaving`
// was hidden or destroyed.
void pass_activation(HWND leaving) {
  Desktop& d = desktop();
  if (d.foreground == leaving) d.foreground = nullptr;
  if (d.active != leaving) return;
  d.active = nullptr;
  if (d.focus != nullptr && (d.focus == leaving || d.is_descendant(leaving, d.focus))) {
    const HWND lost = d.focus;
    d.focus = nullptr;
    send(lost, WM_KILLFOCUS, 0, 0);
  }
  for (HWND next : d.top_levels) {
    const Window* w = d.window(next);
    if (next != leaving && w != nullptr && w->visible && !w->destroying) {
      platform::core::activate(next);
      d.driver().activate_window(w->native);
      return;
    }
  }
}

platform::core::WindowClass* class_by_atom(ATOM atom) {
  for (const auto& wc : desktop().classes) {
    if (wc->atom == atom) return wc.get();
  }
  return nullptr;
}

void send_destroy(HWND hwnd) {
  send(hwnd, WM_DESTROY, 0, 0);
  const Window* w = desktop().window(hwnd);
  if (w == nullptr) return;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) {
    if (Window* c = desktop().window(child)) {
      c->destroying = true;
      send_destroy(child);
    }
  }
}

void free_window(HWND hwnd) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) return;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) free_window(child);
  send(hwnd, WM_NCDESTROY, 0, 0);
  w = d.window(hwnd);
  if (w == nullptr) return;
  platform::core::release_window_dcs(hwnd);
  if (w->native != 0) d.driver().destroy_window(w->native);
  if (w->window_region != nullptr) DeleteObject(w->window_region);
  if (w->is_child()) {
    if (Window* parent = d.window(w->parent)) std::erase(parent->children, hwnd);
  } else {
    std::erase(d.top_levels, hwnd);
  }
  d.queue.discard(hwnd);
  if (d.capture == hwnd) d.capture = nullptr;
  if (d.focus == hwnd) d.focus = nullptr;
  if (d.active == hwnd) d.active = nullptr;
  if (d.foreground == hwnd) d.foreground = nullptr;
  d.remove(hwnd);
}

void notify_geometry(HWND hwnd, const Window& w, bool moved, bool sized) {
  if (sized) {
    send(hwnd, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(static_cast<WORD>(w.client_width()), static_cast<WORD>(w.client_height())));
  }
  const Window* again = desktop().window(hwnd);
  if (moved && again != nullptr) {
    send(hwnd, WM_MOVE, 0,
         MAKELPARAM(static_cast<WORD>(again->client.left), static_cast<WORD>(again->client.top)));
  }
}

std::string property_key(LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return name;
  std::string key = "#";  // an atom's name
  key += std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return key;
}

}  // namespace

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  Desktop& d = desktop();
  platform::core::register_system_classes();
  if (class_name == nullptr) {
    set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  platform::core::WindowClass* wc = IS_INTRESOURCE(class_name)
                                        ? class_by_atom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(class_name)))
                                        : d.find_class(class_name, instance);
  if (wc == nullptr) {
    set_last_error(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  Window* parent_window = d.window(parent);
  if ((child && parent_window == nullptr) || (parent != nullptr && parent_window == nullptr)) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const HWND owner = child ? nullptr : d.top_level_of(parent);

  // The platform puts a default-placed popup at the screen origin.
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    const POINT screen = d.driver().screen_size();
    const bool overlapped = !child && (style & WS_POPUP) == 0;
    width = overlapped ? screen.x * 3 / 4 : 0;
    height = overlapped ? screen.y * 3 / 4 : 0;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.window_class = wc;
  w.proc = wc->proc;
  w.style = style & ~WS_VISIBLE;
  w.ex_style = ex_style;
  w.parent = child ? parent : nullptr;
  w.owner = owner;
  w.id = child ? reinterpret_cast<UINT_PTR>(menu) : 0;
  w.instance = instance;
  w.extra_bytes.assign(static_cast<std::size_t>(wc->window_extra), 0);
  w.rect = {x, y, x + width, y + height};
  const RECT insets = platform::core::frame_insets(style, &w.frame);
  w.client = {w.rect.left + insets.left, w.rect.top + insets.top,
              std::max(w.rect.right - insets.right, w.rect.left + insets.left),
              std::max(w.rect.bottom - insets.bottom, w.rect.top + insets.top)};

  const HWND hwnd = d.add<HWND>(std::move(owned));
  w.handle = hwnd;

  platform::NativeWindowSpec request;
  request.hwnd = hwnd;
  request.parent = child ? parent_window->native : 0;
  if (const Window* owner_window = d.window(owner)) request.owner = owner_window->native;
  request.window_rect = w.rect;
  request.client_rect = w.client;
  request.frame = w.frame;
  request.dialog = wc->system && wc->name == platform::core::kMessageBoxClass;
  w.native = d.driver().create_window(request);
  if (w.native == 0) {
    d.remove(hwnd);
    set_last_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (child) {
    parent_window->children.insert(parent_window->children.begin(), hwnd);
  } else {
    d.top_levels.insert(d.top_levels.begin(), hwnd);
  }
  if (wc->cursor != nullptr) d.driver().set_window_cursor(w.native, platform::core::native_cursor(wc->cursor));
  if (!child) {
    const HICON icon = wc->icon != nullptr ? wc->icon : wc->small_icon;
    if (const platform::CursorFrame* frame = platform::core::icon_frame(icon)) {
      d.driver().set_window_icon(w.native, frame);
    }
  }

  CREATESTRUCTA create{param,  instance,   menu,       parent,   height,  width,
                       y,      x,          static_cast<LONG>(style), window_name, class_name, ex_style};
  if (send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
    if (d.window(hwnd) != nullptr) free_window(hwnd);
    return nullptr;
  }
  if (d.window(hwnd) == nullptr) return nullptr;
  if (send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  const Window* created = d.window(hwnd);
  if (created == nullptr) return nullptr;
  notify_geometry(hwnd, *created, true, true);
  if ((style & WS_VISIBLE) != 0 && d.window(hwnd) != nullptr) ShowWindow(hwnd, SW_SHOW);
  return d.window(hwnd) != nullptr ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return TRUE;
  w->destroying = true;

  std::vector<HWND> owned;
  for (HWND other : d.top_levels) {
    if (const Window* o = d.window(other); o != nullptr && o->owner == hwnd) owned.push_back(other);
  }
  for (HWND other : owned) DestroyWindow(other);

  if ((w = d.window(hwnd)) == nullptr) return TRUE;
  if (w->visible) {
    w->visible = false;
    w->style &= ~WS_VISIBLE;
    d.driver().show_window(w->native, false);
  }
  if (d.capture != nullptr && (d.capture == hwnd || d.is_descendant(hwnd, d.capture))) ReleaseCapture();
  if (w->is_child()) {
    if (d.focus != nullptr && (d.focus == hwnd || d.is_descendant(hwnd, d.focus))) {
      const HWND lost = d.focus;
      d.focus = nullptr;
      send(lost, WM_KILLFOCUS, 0, 0);
    }
  } else {
    pass_activation(hwnd);
  }
  if (d.window(hwnd) == nullptr) return TRUE;
  send_destroy(hwnd);
  free_window(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return desktop().window(hwnd) != nullptr ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) { return desktop().shown(desktop().window(hwnd)) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) { return desktop().is_descendant(parent, hwnd) ? TRUE : FALSE; }

BOOL ShowWindow(HWND hwnd, int cmd_show) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool was_visible = w->visible;
  const bool show = cmd_show != SW_HIDE;
  const bool activates = show && cmd_show != SW_SHOWNA && cmd_show != SW_SHOWNOACTIVATE &&
                         cmd_show != SW_SHOWMINNOACTIVE && cmd_show != SW_MINIMIZE;
  if (show != was_visible) {
    send(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if ((w = d.window(hwnd)) == nullptr) return was_visible;
    w->visible = show;
    if (show) {
      w->style |= WS_VISIBLE;
    } else {
      w->style &= ~WS_VISIBLE;
      w->update.clear();
    }
    d.driver().show_window(w->native, show);
    if (show) platform::core::invalidate(*w, nullptr, true);
  }
  if (!w->is_child()) {
    if (activates) {
      platform::core::activate(hwnd);
      if ((w = d.window(hwnd)) != nullptr) d.driver().activate_window(w->native);
    } else if (!show) {
      pass_activation(hwnd);
    }
  }
  return was_visible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND /*insert_after*/, int x, int y, int cx, int cy, UINT flags) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT rect = w->rect;
  if ((flags & SWP_NOMOVE) == 0) OffsetRect(&rect, x - rect.left, y - rect.top);
  if ((flags & SWP_NOSIZE) == 0) {
    rect.right = rect.left + std::max(cx, 0);
    rect.bottom = rect.top + std::max(cy, 0);
  }
  const bool moved = rect.left != w->rect.left || rect.top != w->rect.top;
  const bool sized = (rect.right - rect.left) != (w->rect.right - w->rect.left) ||
                     (rect.bottom - rect.top) != (w->rect.bottom - w->rect.top);
  if (moved || sized) {
    const RECT insets{w->client.left - w->rect.left, w->client.top - w->rect.top, w->rect.right - w->client.right,
                      w->rect.bottom - w->client.bottom};
    w->rect = rect;
    w->client = {rect.left + insets.left, rect.top + insets.top,
                 std::max(rect.right - insets.right, rect.left + insets.left),
                 std::max(rect.bottom - insets.bottom, rect.top + insets.top)};
    d.driver().set_geometry(w->native, w->rect, w->client);
    if ((flags & SWP_NOREDRAW) == 0) platform::core::invalidate(*w, nullptr, true);
    notify_geometry(hwnd, *w, moved, sized);
  }
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) != 0 ? SW_SHOWNA : SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || rect == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const POINT origin = desktop().window_origin(*w);
  *rect = {origin.x, origin.y, origin.x + (w->rect.right - w->rect.left), origin.y + (w->rect.bottom - w->rect.top)};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || rect == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = {0, 0, w->client_width(), w->client_height()};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || point == nullptr) return FALSE;
  const POINT origin = desktop().client_origin(*w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || point == nullptr) return FALSE;
  const POINT origin = desktop().client_origin(*w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

HWND GetParent(HWND hwnd) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return w->is_child() ? w->parent : w->owner;
}

int GetDlgCtrlID(HWND hwnd) {
  const Window* w = desktop().window(hwnd);
  return w != nullptr && w->is_child() ? static_cast<int>(w->id) : 0;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (desktop().window(hwnd) == nullptr) return FALSE;
  return send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int max_count) {
  if (desktop().window(hwnd) == nullptr || buffer == nullptr || max_count <= 0) return 0;
  return static_cast<int>(send(hwnd, WM_GETTEXT, static_cast<WPARAM>(max_count), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (desktop().window(hwnd) == nullptr) return 0;
  return static_cast<int>(send(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->ex_style);
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->is_child() ? w->parent : w->owner);
    case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    case GWLP_USERDATA: return w->user_data;
    default: break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra_bytes.size()) {
    set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LONG_PTR value;
  std::memcpy(&value, w->extra_bytes.data() + index, sizeof value);
  return value;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr) {
    set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LONG_PTR previous = GetWindowLongPtrA(hwnd, index);
  switch (index) {
    case GWL_STYLE: w->style = static_cast<DWORD>(value); return previous;
    case GWL_EXSTYLE: w->ex_style = static_cast<DWORD>(value); return previous;
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return previous;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return previous;
    case GWLP_ID: w->id = static_cast<UINT_PTR>(value); return previous;
    case GWLP_USERDATA: w->user_data = value; return previous;
    default: break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra_bytes.size()) {
    set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::memcpy(w->extra_bytes.data() + index, &value, sizeof value);
  return previous;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) return FALSE;
  const bool was_disabled = !w->enabled;
  if (w->enabled == (enable != FALSE)) return was_disabled ? TRUE : FALSE;
  w->enabled = enable != FALSE;
  if (!w->enabled && d.focus != nullptr && (d.focus == hwnd || d.is_descendant(hwnd, d.focus))) SetFocus(nullptr);
  if (!w->enabled && d.capture == hwnd) ReleaseCapture();
  send(hwnd, WM_ENABLE, enable, 0);
  return was_disabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  const Window* w = desktop().window(hwnd);
  return w != nullptr && w->enabled ? TRUE : FALSE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  Desktop& d = desktop();
  Window* w = d.window(hwnd);
  if (w == nullptr) return 0;
  const auto* shape = d.find<platform::core::RegionObject>(region);
  if (region != nullptr && shape == nullptr) return 0;
  if (w->window_region != nullptr && w->window_region != region) DeleteObject(w->window_region);
  w->window_region = region;
  if (shape != nullptr) {
    const std::vector<RECT> rects = shape->region.rects();
    d.driver().set_window_shape(w->native, rects, true);
  } else {
    d.driver().set_window_shape(w->native, {}, false);
  }
  if (redraw) platform::core::invalidate(*w, nullptr, true);
  return 1;
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr || name == nullptr) return FALSE;
  const std::string key = property_key(name);
  for (auto& [existing, value] : w->properties) {
    if (platform::core::case_insensitive_equal(existing, key)) {
      value = data;
      return TRUE;
    }
  }
  w->properties.emplace_back(key, data);
  return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr || name == nullptr) return nullptr;
  const std::string key = property_key(name);
  for (const auto& [existing, value] : w->properties) {
    if (platform::core::case_insensitive_equal(existing, key)) return value;
  }
  return nullptr;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr || name == nullptr) return nullptr;
  const std::string key = property_key(name);
  for (auto it = w->properties.begin(); it != w->properties.end(); ++it) {
    if (platform::core::case_insensitive_equal(it->first, key)) {
      const HANDLE value = it->second;
      w->properties.erase(it);
      return value;
    }
  }
  return nullptr;
}
