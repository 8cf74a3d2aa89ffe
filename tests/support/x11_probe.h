// Tests of the X11 driver look at the display from a second connection of
// their own, give real input through XTest, and pump the layer's queue.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace sorvel::testing {

struct Geometry {
  int x = 0;  // relative to the parent window
  int y = 0;
  int width = 0;
  int height = 0;
};

class Probe {
 public:
  Probe();
  ~Probe();
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  // For probes of another process's windows, which may go at any moment:
  // X errors about them are ignored instead of ending the test.
  static void ignore_errors();

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }
  Geometry screen() const;

  // The top-level window whose _NET_WM_NAME is `utf8_title`, waiting for it
  // to be viewable; 0 when none appears in time. With `pump_layer` the
  // layer's queue is worked meanwhile (only on the layer's own thread).
  Window wait_for_top_level(const std::string& utf8_title, bool pump_layer = true,
                            std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
  bool wait_viewable(Window window, bool pump_layer = true);
  // Until the keyboard focus is on `window` or inside it, so that keys go
  // where the test means them to; false when it does not come in time.
  bool wait_for_focus(Window window, std::chrono::milliseconds timeout);
  bool viewable(Window window);
  std::vector<Window> children(Window window);
  // Children of `window` whose map state is viewable.
  std::vector<Window> viewable_children(Window window);
  Geometry geometry(Window window);
  bool exists(Window window);
  // A property's raw bytes (format 8) or longs (format 32); empty if none.
  std::optional<std::string> bytes_property(Window window, const char* name);
  std::vector<long> long_property(Window window, const char* name);
  Atom atom(const char* name);
  // The colour (0xRRGGBB) of one pixel of a window.
  unsigned long pixel(Window window, int x, int y);
  // The first row of a rectangle of `window` with a pixel other than
  // `background`, counted from its top; -1 when every pixel is background.
  int first_inked_row(Window window, int left, int top, int width, int height, unsigned long background = 0xF0F0F0);

  // Real input. Each call waits until the server has taken it.
  void key(KeySym keysym, bool press);
  void tap(KeySym keysym);
  void move_pointer(int x, int y);
  void button(unsigned button, bool press);
  void click(unsigned button);
  // A press at `from`, moves in small steps to `to` (screen coordinates), a release.
  void drag(unsigned button, int from_x, int from_y, int to_x, int to_y);
  // What the window manager sends when the user closes a window.
  void request_close(Window window);
  unsigned keycode(KeySym keysym);
  void sync() { XSync(display_, False); }

 private:
  Display* display_;
};

// Messages taken off the layer's queue (and dispatched) until `done` says
// so or `timeout` passes; returns them all. Input the server has already
// sent is always read first.
std::vector<MSG> pump(const std::function<bool(const std::vector<MSG>&)>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
// Everything that has arrived, after the driver's connection has caught up
// with the server.
std::vector<MSG> pump_arrived();
// Only the hardware key and mouse messages of a list (not the characters
// TranslateMessage adds).
std::vector<MSG> input_only(const std::vector<MSG>& messages);

// A registered class whose procedure goes to DefWindowProcA and logs every
// message it gets.
struct LoggedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
const char* logging_class();
std::vector<LoggedMessage>& procedure_log();

}  // namespace sorvel::testing
