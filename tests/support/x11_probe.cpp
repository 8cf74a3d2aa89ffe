#include "tests/support/x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <thread>

namespace sorvel::testing {
namespace {

bool is_input(UINT message) {
  const bool character =
      message == WM_CHAR || message == WM_SYSCHAR || message == WM_DEADCHAR || message == WM_SYSDEADCHAR;
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST && !character) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

LRESULT logging_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  procedure_log().push_back({hwnd, message, wparam, lparam});
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

Probe::Probe() : display_(XOpenDisplay(nullptr)) {
  if (display_ == nullptr) std::abort();
}

Probe::~Probe() { XCloseDisplay(display_); }

void Probe::ignore_errors() {
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

Geometry Probe::screen() const {
  return {0, 0, DisplayWidth(display_, DefaultScreen(display_)), DisplayHeight(display_, DefaultScreen(display_))};
}

Atom Probe::atom(const char* name) { return XInternAtom(display_, name, False); }

std::vector<Window> Probe::children(Window window) {
  Window root_return = 0;
  Window parent = 0;
  Window* list = nullptr;
  unsigned count = 0;
  std::vector<Window> out;
  if (XQueryTree(display_, window, &root_return, &parent, &list, &count) != 0) out.assign(list, list + count);
  if (list != nullptr) XFree(list);
  return out;
}

bool Probe::viewable(Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

std::vector<Window> Probe::viewable_children(Window window) {
  std::vector<Window> out;
  for (Window child : children(window)) {
    if (viewable(child)) out.push_back(child);
  }
  return out;
}

bool Probe::exists(Window window) {
  for (Window child : children(root())) {
    if (child == window) return true;
  }
  return false;
}

Geometry Probe::geometry(Window window) {
  Window root_return = 0;
  int x = 0;
  int y = 0;
  unsigned width = 0;
  unsigned height = 0;
  unsigned border = 0;
  unsigned depth = 0;
  XGetGeometry(display_, window, &root_return, &x, &y, &width, &height, &border, &depth);
  return {x, y, static_cast<int>(width), static_cast<int>(height)};
}

std::optional<std::string> Probe::bytes_property(Window window, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::optional<std::string> out;
  if (XGetWindowProperty(display_, window, atom(name), 0, 1 << 16, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      type != None && format == 8) {
    out = std::string(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return out;
}

std::vector<long> Probe::long_property(Window window, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(display_, window, atom(name), 0, 1 << 20, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      format == 32) {
    const long* values = reinterpret_cast<const long*>(data);
    out.assign(values, values + count);
  }
  if (data != nullptr) XFree(data);
  return out;
}

bool Probe::wait_viewable(Window window, bool pump_layer) {
  for (int i = 0; i < 400; ++i) {
    if (pump_layer) pump_arrived();
    if (viewable(window)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

bool Probe::wait_for_focus(Window window, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    for (Window w = focus; w != 0 && w != root();) {
      if (w == window) return true;
      Window root_return = 0, parent = 0;
      Window* list = nullptr;
      unsigned count = 0;
      if (XQueryTree(display_, w, &root_return, &parent, &list, &count) == 0) break;
      if (list != nullptr) XFree(list);
      w = parent;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

Window Probe::wait_for_top_level(const std::string& utf8_title, bool pump_layer, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (pump_layer) pump_arrived();  // the window's own events first, as it maps and paints
    for (Window child : children(root())) {
      if (bytes_property(child, "_NET_WM_NAME") == utf8_title && viewable(child)) {
        if (pump_layer) pump_arrived();
        return child;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}

unsigned long Probe::pixel(Window window, int x, int y) {
  XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return ~0UL;
  const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return value;
}

int Probe::first_inked_row(Window window, int left, int top, int width, int height, unsigned long background) {
  XImage* image = XGetImage(display_, window, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return -1;
  int found = -1;
  for (int y = 0; y < height && found < 0; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) != background) {
        found = y;
        break;
      }
    }
  }
  XDestroyImage(image);
  return found;
}

unsigned Probe::keycode(KeySym keysym) { return XKeysymToKeycode(display_, keysym); }

void Probe::key(KeySym keysym, bool press) {
  XTestFakeKeyEvent(display_, keycode(keysym), press ? True : False, CurrentTime);
  sync();
}

void Probe::tap(KeySym keysym) {
  key(keysym, true);
  key(keysym, false);
}

void Probe::move_pointer(int x, int y) {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  sync();
}

void Probe::button(unsigned button, bool press) {
  XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
  sync();
}

void Probe::click(unsigned which) {
  button(which, true);
  button(which, false);
}

void Probe::drag(unsigned which, int from_x, int from_y, int to_x, int to_y) {
  constexpr int kSteps = 10;
  move_pointer(from_x, from_y);
  button(which, true);
  for (int i = 1; i <= kSteps; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    move_pointer(from_x + (to_x - from_x) * i / kSteps, from_y + (to_y - from_y) * i / kSteps);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  button(which, false);
}

void Probe::request_close(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = atom("WM_PROTOCOLS");
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  sync();
}

std::vector<MSG> pump(const std::function<bool(const std::vector<MSG>&)>& done, std::chrono::milliseconds timeout) {
  std::vector<MSG> taken;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  POINT ignored;
  GetCursorPos(&ignored);  // a round trip: what the server sent is now here
  while (!done(taken) && std::chrono::steady_clock::now() < deadline) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      taken.push_back(msg);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return taken;
}

std::vector<MSG> pump_arrived() {
  std::vector<MSG> taken;
  POINT ignored;
  GetCursorPos(&ignored);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(msg);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return taken;
}

std::vector<MSG> input_only(const std::vector<MSG>& messages) {
  std::vector<MSG> out;
  for (const MSG& m : messages) {
    if (is_input(m.message)) out.push_back(m);
  }
  return out;
}

std::vector<LoggedMessage>& procedure_log() {
  static std::vector<LoggedMessage> log;
  return log;
}

const char* logging_class() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = logging_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "X11TestWindow";
    return RegisterClassA(&wc) != 0;
  }();
  return registered ? "X11TestWindow" : nullptr;
}

}  // namespace sorvel::testing
