// Renders the first frame of the demo scene at 800 x 600 into a PNG file:
// the reference picture of the README.
//   render_frame TEXTURE-FOLDER OUT.png
// Needs a display (run it under tests/support/with_xvfb.sh on a machine
// without one).
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "demo_scene/scene.h"
#include "sorvel/sorvel.h"
#include "tools/png_file.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: render_frame TEXTURE-FOLDER OUT.png\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "render_frame: no display\n");
    return 1;
  }
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 24, GLX_ALPHA_SIZE, 8, GLX_STENCIL_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (visual == nullptr) return 1;
  XSetWindowAttributes set{};
  set.colormap = XCreateColormap(display, DefaultRootWindow(display), visual->visual, AllocNone);
  const Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, visual->depth,
                                      InputOutput, visual->visual, CWColormap, &set);
  GLXContext context = glXCreateContext(display, visual, nullptr, True);
  if (context == nullptr || !glXMakeCurrent(display, window, context) || chdir(argv[1]) != 0) return 1;

  // The demo's start-up and its first pass, as the program makes them.
  WIDTH = kWidth;
  HEIGHT = kHeight;
  prepare_scene();
  glClear(GL_COLOR_BUFFER_BIT);
  OPENGL_DRAW();

  std::vector<unsigned char> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {  // GL's rows run bottom-up
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3 + c] = rgba[(static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 4 + c];
      }
    }
  }
  if (!sorvel::tools::write_rgb_png(argv[2], kWidth, kHeight, rgb.data())) {
    std::fprintf(stderr, "render_frame: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
