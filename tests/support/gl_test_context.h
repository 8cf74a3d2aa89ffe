// A real OpenGL context for tests of drawing code, on a window of the
// (virtual) X server named by DISPLAY, made with Xlib and GLX directly so
// that it needs nothing of the library's window system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sorvel::testing {

class GlTestContext {
 public:
  // Double-buffered RGBA with depth and stencil, current on this thread.
  GlTestContext(int width, int height);
  ~GlTestContext();
  GlTestContext(const GlTestContext&) = delete;
  GlTestContext& operator=(const GlTestContext&) = delete;

  // Empty when the context exists; otherwise why it does not.
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The back buffer as RGBA bytes, bottom row first (glReadPixels order).
  std::vector<std::uint8_t> read_pixels() const;

 private:
  struct Native;
  std::unique_ptr<Native> native_;
  int width_;
  int height_;
  std::string error_;
};

}  // namespace sorvel::testing
