#include "tests/window_x11/frame_loop.h"

#include <GL/gl.h>

#include <thread>

#include "sorvel/sorvel.h"

namespace sorvel::testing {

void frame() {
  glClear(GL_COLOR_BUFFER_BIT);
  SETGLMSG();
  SwapBuffers(DCWINDOW);
}

bool frames_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    frame();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void frames_until_idle() {
  POINT ignored;
  GetCursorPos(&ignored);  // a round trip: what the server sent is here now
  MSG waiting;
  while (PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) frame();
}

}  // namespace sorvel::testing
