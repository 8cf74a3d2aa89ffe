// Native windows: a frame window (top-level, or inside the parent's client
// window) holding one client window, their window-manager properties,
// geometry, visibility, focus, cursor, icon and shape.
#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/core/text_encoding.h"
#include "platform/win32.h"
#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

constexpr long kClientEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr long kTopLevelEvents = StructureNotifyMask | FocusChangeMask | ExposureMask | KeyPressMask | KeyReleaseMask;
constexpr COLORREF kFaceColor = 0xF0F0F0;    // COLOR_BTNFACE
constexpr COLORREF kBorderColor = 0x646464;  // COLOR_WINDOWFRAME
constexpr COLORREF kCaptionText = 0x000000;  // COLOR_CAPTIONTEXT
constexpr int kFrameWidth = 3;
constexpr int kCaptionHeight = 16;

// X has no empty windows: an empty rectangle keeps one pixel.
unsigned extent(LONG low, LONG high) { return high > low ? static_cast<unsigned>(high - low) : 1U; }

// Windows-1252 as Latin-1 for the legacy properties; what Latin-1 lacks
// becomes '?'.
std::string latin1_of(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    const char32_t c = core::cp1252_to_unicode(byte);
    out += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return out;
}

void set_string_property(Display* display, Window window, Atom property, Atom type, const std::string& value) {
  XChangeProperty(display, window, property, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(value.data()), static_cast<int>(value.size()));
}

const char* program_name() {
  if (const char* name = getenv("RESOURCE_NAME"); name != nullptr && *name != '\0') return name;
  return program_invocation_short_name;
}

}  // namespace

WindowRecord* X11Driver::record(NativeId window) const {
  const auto it = windows_.find(window);
  return it != windows_.end() ? it->second.get() : nullptr;
}

const EventTarget* X11Driver::target(Window xid) const {
  const auto it = targets_.find(xid);
  return it != targets_.end() ? &it->second : nullptr;
}

NativeId X11Driver::create_window(const NativeWindowSpec& request) {
  WindowRecord* parent = request.parent != 0 ? record(request.parent) : nullptr;
  if (request.parent != 0 && parent == nullptr) return 0;
  auto owned = std::make_unique<WindowRecord>();
  WindowRecord& w = *owned;
  w.hwnd = request.hwnd;
  w.parent = parent;
  w.frame = request.frame;
  w.dialog = request.dialog;
  w.window_rect = request.window_rect;
  w.client_rect = request.client_rect;

  XSetWindowAttributes attributes{};
  unsigned long mask = CWColormap | CWBorderPixel | CWEventMask;
  attributes.colormap = default_colormap_;
  attributes.event_mask = w.top_level() ? kTopLevelEvents : 0;
  // The frame's own background is our border and caption strip.
  if (w.frame == Frame::kNone) {
    attributes.background_pixmap = None;
    mask |= CWBackPixmap;
  } else {
    attributes.background_pixel = pixel_for(default_visual_, w.frame == Frame::kCaption ? kFaceColor : kBorderColor);
    mask |= CWBackPixel;
  }
  const RECT& r = w.window_rect;
  w.outer = XCreateWindow(display_, parent != nullptr ? parent->client : root_, r.left, r.top, extent(r.left, r.right),
                          extent(r.top, r.bottom), 0, default_depth_, InputOutput, default_visual_, mask, &attributes);
  if (w.outer == 0) return 0;
  targets_[w.outer] = EventTarget{&w, false};
  w.client = create_client(w, default_visual_, default_depth_);

  if (w.top_level()) {
    Atom protocols[] = {atoms_.wm_delete_window, atoms_.net_wm_ping};
    XSetWMProtocols(display_, w.outer, protocols, 2);
    XClassHint class_hint{const_cast<char*>(program_name()), const_cast<char*>("Sorvel")};
    XSetClassHint(display_, w.outer, &class_hint);
    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    XSetWMHints(display_, w.outer, &wm_hints);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
      XChangeProperty(display_, w.outer, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<unsigned char*>(host), static_cast<int>(std::strlen(host)));
    }
    const long pid = static_cast<long>(getpid());
    XChangeProperty(display_, w.outer, atoms_.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    const Atom type = w.dialog ? atoms_.net_wm_window_type_dialog : atoms_.net_wm_window_type_normal;
    XChangeProperty(display_, w.outer, atoms_.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    if (const WindowRecord* owner = record(request.owner)) XSetTransientForHint(display_, w.outer, owner->outer);
    if (w.frame != Frame::kCaption) {
      // Motif hints: flags = decorations given, decorations = none.
      const long motif[5] = {2, 0, 0, 0, 0};
      XChangeProperty(display_, w.outer, atoms_.motif_wm_hints, atoms_.motif_wm_hints, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(motif), 5);
    }
    set_size_hints(w);
  }
  const NativeId id = w.outer;
  windows_.emplace(id, std::move(owned));
  if (!request.title.empty()) set_title(id, request.title);
  return id;
}

Window X11Driver::create_client(WindowRecord& w, Visual* visual, int depth) {
  const Colormap colormap =
      visual == default_visual_ ? default_colormap_ : XCreateColormap(display_, root_, visual, AllocNone);
  XSetWindowAttributes attributes{};
  // No background: the core paints the client area, GL fills it.
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap;
  attributes.event_mask = kClientEvents;
  unsigned long mask = CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask;
  if (w.cursor != 0) {
    attributes.cursor = w.cursor;
    mask |= CWCursor;
  }
  const RECT& r = w.client_rect;
  const Window client =
      XCreateWindow(display_, w.outer, r.left - w.window_rect.left, r.top - w.window_rect.top, extent(r.left, r.right),
                    extent(r.top, r.bottom), 0, depth, InputOutput, visual, mask, &attributes);
  w.client_visual = visual;
  w.client_depth = depth;
  w.client_colormap = colormap != default_colormap_ ? colormap : 0;
  targets_[client] = EventTarget{&w, true};
  XMapWindow(display_, client);
  return client;
}

void X11Driver::recreate_client(WindowRecord& w, Visual* visual, int depth) {
  const Window old_client = w.client;
  const Colormap old_colormap = w.client_colormap;
  if (w.client_draw != nullptr) XftDrawDestroy(std::exchange(w.client_draw, nullptr));
  if (w.client_picture != 0) XRenderFreePicture(display_, std::exchange(w.client_picture, 0));
  w.client = create_client(w, visual, depth);
  // Child windows move over to the new client window, where they were.
  for (auto& [id, other] : windows_) {
    if (other->parent == &w) {
      XReparentWindow(display_, other->outer, w.client, other->window_rect.left, other->window_rect.top);
      if (other->mapped) XMapWindow(display_, other->outer);
    }
  }
  targets_.erase(old_client);
  XDestroyWindow(display_, old_client);
  if (old_colormap != 0) XFreeColormap(display_, old_colormap);
}

void X11Driver::release_record(WindowRecord& w) {
  if (w.client_draw != nullptr) XftDrawDestroy(std::exchange(w.client_draw, nullptr));
  if (w.frame_draw != nullptr) XftDrawDestroy(std::exchange(w.frame_draw, nullptr));
  if (w.client_picture != 0) XRenderFreePicture(display_, std::exchange(w.client_picture, 0));
  targets_.erase(w.outer);
  targets_.erase(w.client);
  if (w.outer != 0) XDestroyWindow(display_, w.outer);
  if (w.client_colormap != 0) XFreeColormap(display_, w.client_colormap);
  w.outer = w.client = 0;
  w.client_colormap = 0;
}

void X11Driver::destroy_window(NativeId window) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  std::unique_ptr<WindowRecord> w = std::move(it->second);
  windows_.erase(it);
  // Children the core has not destroyed first die with our X window.
  for (auto& [id, other] : windows_) {
    if (other->parent == w.get()) {
      targets_.erase(other->outer);
      targets_.erase(other->client);
      other->outer = other->client = 0;
      other->parent = nullptr;
    }
  }
  if (grab_window_ != 0 && grab_window_ == w->client) ungrab_pointer();
  if (current_context_ != 0 && current_drawable_ == w->client) {
    // A context still draws here: hide the window now, free it when the
    // context lets go of it. Parked on the root, it outlives its parent.
    targets_.erase(w->outer);
    targets_.erase(w->client);
    XUnmapWindow(display_, w->outer);
    if (!w->top_level()) XReparentWindow(display_, w->outer, root_, 0, 0);
    w->zombie = true;
    w->parent = nullptr;
    zombies_.push_back(std::move(w));
    XFlush(display_);
    return;
  }
  release_record(*w);
  XFlush(display_);
}

void X11Driver::destroy_zombies() {
  std::erase_if(zombies_, [this](const std::unique_ptr<WindowRecord>& w) {
    if (current_context_ != 0 && current_drawable_ == w->client) return false;
    release_record(*w);
    return true;
  });
}

void X11Driver::show_window(NativeId window, bool visible) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->outer == 0) return;
  w->mapped = visible;
  if (visible) {
    XMapWindow(display_, w->outer);
  } else {
    w->focus_on_map = false;
    if (w->top_level()) {
      XWithdrawWindow(display_, w->outer, screen_);
    } else {
      XUnmapWindow(display_, w->outer);
    }
  }
  XFlush(display_);
}

void X11Driver::activate_window(NativeId window) {
  WindowRecord* w = record(window);
  while (w != nullptr && !w->top_level()) w = w->parent;
  if (w == nullptr || w->outer == 0) return;
  if (window_manager_running()) {
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = w->outer;
    request.xclient.message_type = atoms_.net_active_window;
    request.xclient.format = 32;
    request.xclient.data.l[0] = 1;  // asked by an application
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &request);
  } else if (w->mapped) {
    // Without a manager the map takes effect at once, so the focus can follow.
    XRaiseWindow(display_, w->outer);
    XSetInputFocus(display_, w->outer, RevertToParent, CurrentTime);
  } else {
    w->focus_on_map = true;
  }
  XFlush(display_);
}

void X11Driver::set_title(NativeId window, std::string_view title) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->outer == 0) return;
  w->title_utf8 = core::cp1252_to_utf8(title);
  if (!w->top_level()) return;
  const std::string latin1 = latin1_of(title);
  set_string_property(display_, w->outer, atoms_.net_wm_name, atoms_.utf8_string, w->title_utf8);
  set_string_property(display_, w->outer, atoms_.net_wm_icon_name, atoms_.utf8_string, w->title_utf8);
  set_string_property(display_, w->outer, XA_WM_NAME, XA_STRING, latin1);
  set_string_property(display_, w->outer, XA_WM_ICON_NAME, XA_STRING, latin1);
  if (w->frame == Frame::kCaption) {
    XClearArea(display_, w->outer, kFrameWidth, kFrameWidth, extent(w->window_rect.left, w->window_rect.right),
               kCaptionHeight, True);
  }
}

void X11Driver::set_size_hints(const WindowRecord& w) {
  XSizeHints* hints = XAllocSizeHints();
  if (hints == nullptr) return;
  // Placed where the core put it, and of a fixed size.
  hints->flags = PPosition | USPosition | PMinSize | PMaxSize;
  hints->x = w.window_rect.left;
  hints->y = w.window_rect.top;
  hints->min_width = hints->max_width = static_cast<int>(extent(w.window_rect.left, w.window_rect.right));
  hints->min_height = hints->max_height = static_cast<int>(extent(w.window_rect.top, w.window_rect.bottom));
  XSetWMNormalHints(display_, w.outer, hints);
  XFree(hints);
}

void X11Driver::set_geometry(NativeId window, const RECT& window_rect, const RECT& client_rect) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->outer == 0) return;
  w->window_rect = window_rect;
  w->client_rect = client_rect;
  if (w->top_level()) set_size_hints(*w);
  XMoveResizeWindow(display_, w->outer, window_rect.left, window_rect.top, extent(window_rect.left, window_rect.right),
                    extent(window_rect.top, window_rect.bottom));
  XMoveResizeWindow(display_, w->client, client_rect.left - window_rect.left, client_rect.top - window_rect.top,
                    extent(client_rect.left, client_rect.right), extent(client_rect.top, client_rect.bottom));
}

void X11Driver::handle_structure(const XEvent& event, WindowRecord& w, EventSink& sink) {
  switch (event.type) {
    case ConfigureNotify: {
      // A manager tells where it put the window with a synthetic event in
      // root coordinates; the real ones only echo our own requests.
      const XConfigureEvent& e = event.xconfigure;
      if (!w.top_level() || !e.send_event) return;
      const LONG dx = e.x - w.window_rect.left;
      const LONG dy = e.y - w.window_rect.top;
      if (dx == 0 && dy == 0) return;
      OffsetRect(&w.window_rect, dx, dy);
      OffsetRect(&w.client_rect, dx, dy);
      sink.moved(w.hwnd, POINT{e.x, e.y});
      return;
    }
    case MapNotify:
      if (w.focus_on_map) {
        w.focus_on_map = false;
        XSetInputFocus(display_, w.outer, RevertToParent, CurrentTime);
      }
      return;
    default:
      return;
  }
}

void X11Driver::paint_frame(WindowRecord& w) {
  if (w.frame != Frame::kCaption || w.title_utf8.empty()) return;
  if (w.frame_draw == nullptr) w.frame_draw = XftDrawCreate(display_, w.outer, default_visual_, default_colormap_);
  XftFont* caption_font = font(UiFont::kStatus);
  if (w.frame_draw == nullptr || caption_font == nullptr) return;
  const int width = static_cast<int>(extent(w.window_rect.left, w.window_rect.right));
  XRectangle strip{static_cast<short>(kFrameWidth), static_cast<short>(kFrameWidth),
                   static_cast<unsigned short>(std::max(0, width - 2 * kFrameWidth)),
                   static_cast<unsigned short>(kCaptionHeight)};
  XftDrawSetClipRectangles(w.frame_draw, 0, 0, &strip, 1);
  XRenderColor render{0, 0, 0, 0xFFFF};
  render.red = static_cast<unsigned short>(GetRValue(kCaptionText) * 257);
  render.green = static_cast<unsigned short>(GetGValue(kCaptionText) * 257);
  render.blue = static_cast<unsigned short>(GetBValue(kCaptionText) * 257);
  XftColor color;
  if (!XftColorAllocValue(display_, default_visual_, default_colormap_, &render, &color)) return;
  const int line = caption_font->ascent + caption_font->descent;
  const int baseline = kFrameWidth + (kCaptionHeight - line) / 2 + caption_font->ascent;
  XftDrawStringUtf8(w.frame_draw, &color, caption_font, kFrameWidth + 4, baseline,
                    reinterpret_cast<const FcChar8*>(w.title_utf8.data()), static_cast<int>(w.title_utf8.size()));
  XftColorFree(display_, default_visual_, default_colormap_, &color);
}

void X11Driver::set_window_cursor(NativeId window, NativeId cursor) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0) return;
  w->cursor = static_cast<Cursor>(cursor);
  if (w->cursor != 0) {
    XDefineCursor(display_, w->client, w->cursor);
  } else {
    XUndefineCursor(display_, w->client);
  }
  XFlush(display_);
}

void X11Driver::set_window_icon(NativeId window, const CursorFrame* icon) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->outer == 0 || !w->top_level()) return;
  constexpr int kLargestIcon = 1024;
  if (icon == nullptr || icon->width <= 0 || icon->height <= 0 || icon->width > kLargestIcon ||
      icon->height > kLargestIcon ||
      icon->pixels.size() < static_cast<std::size_t>(icon->width) * static_cast<std::size_t>(icon->height)) {
    XDeleteProperty(display_, w->outer, atoms_.net_wm_icon);
    return;
  }
  // Format-32 properties travel as longs, whatever their width.
  const std::size_t count = static_cast<std::size_t>(icon->width) * static_cast<std::size_t>(icon->height);
  std::vector<unsigned long> data(2 + count);
  data[0] = static_cast<unsigned long>(icon->width);
  data[1] = static_cast<unsigned long>(icon->height);
  std::copy(icon->pixels.begin(), icon->pixels.begin() + static_cast<std::ptrdiff_t>(count), data.begin() + 2);
  XChangeProperty(display_, w->outer, atoms_.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void X11Driver::set_window_shape(NativeId window, std::span<const RECT> rects, bool shaped) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->outer == 0 || !have_shape_) return;
  if (!shaped) {
    XShapeCombineMask(display_, w->outer, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  auto clamp_short = [](LONG v) { return static_cast<short>(std::clamp<LONG>(v, SHRT_MIN, SHRT_MAX)); };
  std::vector<XRectangle> pieces;
  pieces.reserve(rects.size());
  for (const RECT& r : rects) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    const short left = clamp_short(r.left);
    const short top = clamp_short(r.top);
    pieces.push_back(XRectangle{left, top, static_cast<unsigned short>(std::min<LONG>(r.right - left, USHRT_MAX)),
                                static_cast<unsigned short>(std::min<LONG>(r.bottom - top, USHRT_MAX))});
  }
  XShapeCombineRectangles(display_, w->outer, ShapeBounding, 0, 0, pieces.data(), static_cast<int>(pieces.size()),
                          ShapeSet, Unsorted);
}

}  // namespace platform::x11
