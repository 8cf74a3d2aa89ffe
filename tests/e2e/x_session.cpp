#include "tests/e2e/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <thread>

namespace sorvel::testing {
namespace {

int channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  return static_cast<int>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

// Windows come and go under a probe's feet: an error about one that just
// went is no reason to end the test.
int ignore_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::uint32_t Screenshot::at(int x, int y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  return static_cast<std::uint32_t>(rgb[i]) << 16 | static_cast<std::uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2];
}

XSession::XSession() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler(ignore_error); }

XSession::~XSession() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

Geometry XSession::screen() const {
  return {0, 0, DisplayWidth(display_, DefaultScreen(display_)), DisplayHeight(display_, DefaultScreen(display_))};
}

std::vector<std::uint8_t> XSession::property(Window window, const char* name, Atom* type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<std::uint8_t> bytes;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1 << 20, False, AnyPropertyType,
                         &actual, &format, &count, &after, &data) == Success &&
      data != nullptr) {
    const std::size_t unit = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
    bytes.assign(data, data + count * unit);
  }
  if (data != nullptr) XFree(data);
  if (type != nullptr) *type = actual;
  return bytes;
}

std::string XSession::title(Window window) {
  const std::vector<std::uint8_t> name = property(window, "_NET_WM_NAME");
  if (!name.empty()) return {name.begin(), name.end()};
  const std::vector<std::uint8_t> legacy = property(window, "WM_NAME");
  return {legacy.begin(), legacy.end()};
}

std::vector<Window> XSession::children(Window window) {
  Window root = 0, parent = 0;
  Window* list = nullptr;
  unsigned count = 0;
  std::vector<Window> out;
  if (XQueryTree(display_, window, &root, &parent, &list, &count) != 0 && list != nullptr) {
    out.assign(list, list + count);
  }
  if (list != nullptr) XFree(list);
  return out;
}

std::optional<Window> XSession::wait_for_window(const std::string& wanted, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  do {
    for (Window w : children(DefaultRootWindow(display_))) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display_, w, &attributes) && attributes.map_state == IsViewable && title(w) == wanted) {
        return w;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

bool XSession::wait_until_gone(Window window, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  do {
    bool present = false;
    for (Window w : children(DefaultRootWindow(display_))) present = present || w == window;
    if (!present) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

Geometry XSession::geometry(Window window) {
  Window root = 0, child = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  XGetGeometry(display_, window, &root, &x, &y, &width, &height, &border, &depth);
  int root_x = 0, root_y = 0;
  XTranslateCoordinates(display_, window, root, 0, 0, &root_x, &root_y, &child);
  return {root_x, root_y, static_cast<int>(width), static_cast<int>(height)};
}

void XSession::key(const char* keysym_name) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym_name));
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XSync(display_, False);
}

void XSession::move_pointer(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
  XSync(display_, False);
}

void XSession::button(unsigned button_number, bool down) {
  XTestFakeButtonEvent(display_, button_number, down ? True : False, CurrentTime);
  XSync(display_, False);
}

void XSession::drag(unsigned button_number, int from_x, int from_y, int to_x, int to_y) {
  move_pointer(from_x, from_y);
  button(button_number, true);
  constexpr int kSteps = 10;
  for (int i = 1; i <= kSteps; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    move_pointer(from_x + (to_x - from_x) * i / kSteps, from_y + (to_y - from_y) * i / kSteps);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  button(button_number, false);
}

void XSession::request_close(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XSync(display_, False);
}

Screenshot XSession::capture(Window window) {
  const Geometry g = geometry(window);
  Screenshot shot;
  XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(g.width), static_cast<unsigned>(g.height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return shot;
  shot.width = image->width;
  shot.height = image->height;
  shot.rgb.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height) * 3);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      std::uint8_t* out = &shot.rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(shot.width) + static_cast<std::size_t>(x)) * 3];
      out[0] = static_cast<std::uint8_t>(channel(pixel, image->red_mask));
      out[1] = static_cast<std::uint8_t>(channel(pixel, image->green_mask));
      out[2] = static_cast<std::uint8_t>(channel(pixel, image->blue_mask));
    }
  }
  XDestroyImage(image);
  return shot;
}

void XSession::sync() { XSync(display_, False); }

}  // namespace sorvel::testing
