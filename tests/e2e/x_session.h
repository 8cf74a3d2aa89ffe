// A second connection to the test's X server, to look at what a program
// under test shows and to give it real input through the XTEST extension.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvel::testing {

struct Geometry {
  int x = 0;  // on the root window
  int y = 0;
  int width = 0;
  int height = 0;
};

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top-down
  std::uint32_t at(int x, int y) const;  // 0xRRGGBB
};

class XSession {
 public:
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  Display* display() const { return display_; }
  bool ok() const { return display_ != nullptr; }
  Geometry screen() const;

  // The top-level window whose title (UTF-8) is exactly `title`.
  std::optional<Window> wait_for_window(const std::string& title, std::chrono::milliseconds timeout);
  bool wait_until_gone(Window window, std::chrono::milliseconds timeout);
  std::string title(Window window);
  std::vector<std::uint8_t> property(Window window, const char* name, Atom* type = nullptr);
  Geometry geometry(Window window);
  std::vector<Window> children(Window window);

  void key(const char* keysym_name);
  void move_pointer(int x, int y);
  void button(unsigned button, bool down);
  // A press at `from`, moves in small steps to `to`, a release.
  void drag(unsigned button, int from_x, int from_y, int to_x, int to_y);
  void request_close(Window window);
  Screenshot capture(Window window);
  void sync();

 private:
  Display* display_;
};

}  // namespace sorvel::testing
