// The floor: the same frames drawn into an offscreen framebuffer, with a
// flush per frame and no buffer swap and no event pumping.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>

#include "bench/frame_rate/frame_report.h"
#include "bench/frame_rate/peer_scene.h"

int main(int argc, char** argv) {
  sorvel::bench::FrameClock clock(30, argc > 1 ? std::atoi(argv[1]) : 300);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 24, GLX_ALPHA_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (visual == nullptr) return 1;
  XSetWindowAttributes set{};
  set.colormap = XCreateColormap(display, DefaultRootWindow(display), visual->visual, AllocNone);
  const Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 16, 16, 0, visual->depth, InputOutput,
                                      visual->visual, CWColormap, &set);
  GLXContext context = glXCreateContext(display, visual, nullptr, True);
  if (context == nullptr || !glXMakeCurrent(display, window, context)) return 1;

  const int w = sorvel::bench::kClientWidth, h = sorvel::bench::kClientHeight;
  GLuint framebuffer = 0, colour = 0, depth = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return 1;

  sorvel::bench::prepare_peer_scene();
  do {
    glClear(GL_COLOR_BUFFER_BIT);
    OPENGL_DRAW();
    glFlush();
  } while (clock.frame_done());
  glFinish();
  clock.report();
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
