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
  prepare_scene();
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
