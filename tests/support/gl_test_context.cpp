#include "tests/support/gl_test_context.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace sorvel::testing {
namespace {

// One connection for the whole test process, never closed: Mesa unloads its
// driver with the last connection, and the leak checker could then no longer
// tell the driver's lasting allocations from ours.
Display* shared_display() {
  static Display* const display = XOpenDisplay(nullptr);
  return display;
}

}  // namespace

struct GlTestContext::Native {
  Display* display = nullptr;
  Window window = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
};

GlTestContext::GlTestContext(int width, int height)
    : native_(std::make_unique<Native>()), width_(width), height_(height) {
  Native& n = *native_;
  n.display = shared_display();
  if (n.display == nullptr) {
    error_ = "no X display (run the test under tests/support/with_xvfb.sh)";
    return;
  }
  int attributes[] = {GLX_RGBA,       GLX_DOUBLEBUFFER, GLX_RED_SIZE,   8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                      GLX_ALPHA_SIZE, 8,                GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(n.display, DefaultScreen(n.display), attributes);
  if (visual == nullptr) {
    error_ = "the X server offers no GL visual";
    return;
  }
  const Window root = RootWindow(n.display, visual->screen);
  n.colormap = XCreateColormap(n.display, root, visual->visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = n.colormap;
  n.window = XCreateWindow(n.display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                           visual->depth, InputOutput, visual->visual, CWColormap, &set);
  n.context = glXCreateContext(n.display, visual, nullptr, True);
  XFree(visual);
  if (n.context == nullptr || !glXMakeCurrent(n.display, n.window, n.context)) {
    error_ = "no GL context could be made current";
  }
}

GlTestContext::~GlTestContext() {
  Native& n = *native_;
  if (n.display == nullptr) return;
  glXMakeCurrent(n.display, None, nullptr);
  if (n.context != nullptr) glXDestroyContext(n.display, n.context);
  if (n.window != 0) XDestroyWindow(n.display, n.window);
  if (n.colormap != 0) XFreeColormap(n.display, n.colormap);
  XSync(n.display, False);
}

std::vector<std::uint8_t> GlTestContext::read_pixels() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace sorvel::testing
