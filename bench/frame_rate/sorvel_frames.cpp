// The demo's frame loop on the library's own window: clear, pump one
// message, draw the scene, swap.
#include <cstdlib>

#include "bench/frame_rate/frame_report.h"
#include "demo_scene/scene.h"
#include "sorvel/sorvel.h"

int main(int argc, char** argv) {
  sorvel::bench::FrameClock clock(30, argc > 1 ? std::atoi(argv[1]) : 300);
  OGLWINDOWSETTING(ARROW, "", GENERIC, "");
  CREATEOGLWINDOW("frame rate", 800, 600, 32, false);
  OPENGL_INIT(100.0, 0.0, 0.39666666666666667, 0.6233333333333333, 0.85);
  SETGLREFRACTIVE();
  SETGLLIGHT(GL_LIGHT0, 0.1f, 0, 0, 0);
  OPENGL_CREATELIST();
  bool more = true;
  do {
    glClear(GL_COLOR_BUFFER_BIT);
    SETGLMSG();
    OPENGL_DRAW();
    SwapBuffers(DCWINDOW);
    more = clock.frame_done();
  } while (ACTIVE && more);
  clock.report();
  DELETEOGLWINDOW();
  return 0;
}
