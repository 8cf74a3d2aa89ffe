// The connection: opening it, the process-wide error handlers, the atoms,
// and the event loop that turns X events into what the core understands.
#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/x11/x11_driver.h"
#include "platform/x11/x11_internal.h"
#include "platform/x11/x11_testing.h"

namespace platform::x11 {
namespace {

ErrorRecord g_errors;
EventSink* g_lost_sink = nullptr;
bool g_lost = false;
X11Driver* g_live_driver = nullptr;

int on_x_error(Display*, XErrorEvent* error) {
  // X's own handler ends the process; a failed request is no reason to.
  ++g_errors.count;
  g_errors.error_code = error->error_code;
  g_errors.request_code = error->request_code;
  g_errors.minor_code = error->minor_code;
  g_errors.resource = error->resourceid;
  return 0;
}

[[noreturn]] void end_without_display() {
  std::fputs("sorvel: the connection to the display was lost; ending.\n", stderr);
  std::fflush(nullptr);
  std::exit(0);
}

int on_io_error(Display*) {
  if (g_lost) _exit(0);  // lost again while ending: leave at once
  g_lost = true;
  if (g_lost_sink != nullptr) g_lost_sink->display_lost();
  end_without_display();
}

}  // namespace

const ErrorRecord& error_record() { return g_errors; }
void set_lost_display_sink(EventSink* sink) { g_lost_sink = sink; }
bool display_was_lost() { return g_lost; }

void install_error_handlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    XSetErrorHandler(on_x_error);
    XSetIOErrorHandler(on_io_error);
  });
}

X11Driver::X11Driver(Display* display)
    : display_(display),
      screen_(DefaultScreen(display)),
      root_(RootWindow(display, screen_)),
      default_visual_(DefaultVisual(display, screen_)),
      default_depth_(DefaultDepth(display, screen_)),
      default_colormap_(DefaultColormap(display, screen_)) {
  static const char* const kAtomNames[] = {"WM_PROTOCOLS",
                                           "WM_DELETE_WINDOW",
                                           "WM_STATE",
                                           "WM_CHANGE_STATE",
                                           "_NET_WM_NAME",
                                           "_NET_WM_ICON_NAME",
                                           "UTF8_STRING",
                                           "_NET_WM_ICON",
                                           "_NET_WM_PID",
                                           "_NET_WM_PING",
                                           "_NET_WM_WINDOW_TYPE",
                                           "_NET_WM_WINDOW_TYPE_DIALOG",
                                           "_NET_WM_WINDOW_TYPE_NORMAL",
                                           "_NET_ACTIVE_WINDOW",
                                           "_NET_SUPPORTING_WM_CHECK",
                                           "_MOTIF_WM_HINTS"};
  constexpr int kAtomCount = static_cast<int>(sizeof kAtomNames / sizeof kAtomNames[0]);
  static_assert(sizeof(Atoms) == kAtomCount * sizeof(Atom));
  Atom interned[kAtomCount];
  XInternAtoms(display_, const_cast<char**>(kAtomNames), kAtomCount, False, interned);
  Atom* fields = &atoms_.wm_protocols;
  for (int i = 0; i < kAtomCount; ++i) fields[i] = interned[i];

  int event_base = 0;
  int error_base = 0;
  have_shape_ = XShapeQueryExtension(display_, &event_base, &error_base) != 0;
  have_render_ = XRenderQueryExtension(display_, &event_base, &error_base) != 0;

  int xkb_opcode = 0;
  int xkb_major = XkbMajorVersion;
  int xkb_minor = XkbMinorVersion;
  if (XkbQueryExtension(display_, &xkb_opcode, &xkb_event_base_, &error_base, &xkb_major, &xkb_minor)) {
    Bool supported = False;
    // A held key then gives repeated presses without releases between them.
    XkbSetDetectableAutoRepeat(display_, True, &supported);
    detectable_repeat_ = supported != 0;
    constexpr unsigned kMapEvents = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
    XkbSelectEvents(display_, XkbUseCoreKbd, kMapEvents, kMapEvents);
  } else {
    xkb_event_base_ = -1;
  }
  load_keymap();
  g_live_driver = this;
}

X11Driver::~X11Driver() {
  if (g_live_driver == this) g_live_driver = nullptr;
  if (g_lost) return;  // nothing left to free on the server
  if (current_context_ != 0) glXMakeCurrent(display_, None, nullptr);
  for (auto& [id, context] : contexts_) glXDestroyContext(display_, context->context);
  for (auto& [id, window] : windows_) release_record(*window);
  for (auto& window : zombies_) release_record(*window);
  if (message_font_ != nullptr) XftFontClose(display_, message_font_);
  if (status_font_ != nullptr) XftFontClose(display_, status_font_);
  for (auto& [depth, gc] : gcs_) XFreeGC(display_, gc);
  if (keymap_ != nullptr) XkbFreeKeyboard(keymap_, XkbAllComponentsMask, True);
  XCloseDisplay(display_);
}

POINT X11Driver::screen_size() const { return {DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)}; }

bool X11Driver::window_manager_running() {
  // A running manager names its check window on the root, and the window
  // names itself.
  auto check_window = [this](Window on) -> Window {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(display_, on, atoms_.net_supporting_wm_check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &remaining, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1) {
      found = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return found;
  };
  const Window manager = check_window(root_);
  return manager != 0 && check_window(manager) == manager;
}

// ---- Events ----

void X11Driver::poll(EventSink& sink) {
  set_lost_display_sink(&sink);
  // Only what has already arrived: reading the socket sends no request.
  for (int queued = XEventsQueued(display_, QueuedAfterReading); queued > 0;
       queued = XEventsQueued(display_, QueuedAlready)) {
    XEvent event;
    XNextEvent(display_, &event);
    translate(event, sink);
  }
}

void X11Driver::wait(EventSink& sink, int timeout_ms) {
  set_lost_display_sink(&sink);
  if (XEventsQueued(display_, QueuedAfterReading) == 0) {
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    while (::poll(&connection, 1, timeout_ms < 0 ? -1 : timeout_ms) < 0 && errno == EINTR) {
    }
  }
  poll(sink);
}

void X11Driver::flush() {
  if (!g_lost) XFlush(display_);
}

void X11Driver::translate(XEvent& event, EventSink& sink) {
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    keymap_stale_ = true;
    return;
  }
  if (event.type == xkb_event_base_) {
    keymap_stale_ = true;
    return;
  }
  const EventTarget* found = target(event.xany.window);
  if (found == nullptr) return;
  WindowRecord& window = *found->record;
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      translate_key(event.xkey, window, sink);
      break;
    case ButtonPress:
    case ButtonRelease:
      translate_button(event.xbutton, window, sink);
      break;
    case MotionNotify:
      translate_motion(event.xmotion, window, sink);
      break;
    case Expose:
      if (found->client) {
        const XExposeEvent& e = event.xexpose;
        sink.expose(window.hwnd, RECT{e.x, e.y, e.x + e.width, e.y + e.height});
      } else if (event.xexpose.count == 0) {
        paint_frame(window);
      }
      break;
    case FocusIn:
    case FocusOut: {
      const XFocusChangeEvent& e = event.xfocus;
      // Focus moving inside our own frame, or for a keyboard grab, is no change.
      if (!window.top_level() || found->client || e.detail == NotifyInferior || e.detail == NotifyPointer ||
          e.mode == NotifyGrab || e.mode == NotifyUngrab) {
        break;
      }
      if (event.type == FocusOut) {
        keys_down_.reset();  // releases elsewhere never reach us
        x_buttons_ = 0;
      }
      sink.focus_changed(window.hwnd, event.type == FocusIn);
      break;
    }
    case ClientMessage: {
      const XClientMessageEvent& e = event.xclient;
      if (e.message_type != atoms_.wm_protocols || e.format != 32) break;
      const auto protocol = static_cast<Atom>(e.data.l[0]);
      if (protocol == atoms_.wm_delete_window) {
        sink.close_request(window.hwnd);
      } else if (protocol == atoms_.net_wm_ping) {
        XEvent reply = event;
        reply.xclient.window = root_;
        XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
      }
      break;
    }
    case ConfigureNotify:
    case MapNotify:
    case UnmapNotify:
      if (!found->client) handle_structure(event, window, sink);
      break;
    default:
      break;
  }
}

namespace testing {

Display* driver_display() { return g_live_driver != nullptr ? g_live_driver->display() : nullptr; }
unsigned long error_count() { return g_errors.count; }
unsigned char last_error_code() { return g_errors.error_code; }

}  // namespace testing
}  // namespace platform::x11

namespace platform {

std::unique_ptr<DisplayDriver> make_x11_driver() {
  x11::install_error_handlers();
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  return std::make_unique<x11::X11Driver>(display);
}

}  // namespace platform
