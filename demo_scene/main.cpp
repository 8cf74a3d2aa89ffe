// The demo program: asks whether to run full screen, opens the library's
// window, prepares the scene and draws it once per pass of the frame loop
// until the window is no longer active.
#include "demo_scene/scene.h"
#include "sorvel/sorvel.h"

int main() {
  FULLSCREEN = MessageBoxA(nullptr, "Settare lo schermo intero?  ", "Video!", MB_YESNO | MB_ICONQUESTION) != IDNO;
  OGLWINDOWSETTING(ARROW, "", GENERIC, "");
  CREATEOGLWINDOW("Gabbia creata con texture sprite", 800, 600, 32, FULLSCREEN);
  prepare_scene();
  do {
    glClear(GL_COLOR_BUFFER_BIT);
    SETGLMSG();
    OPENGL_DRAW();
    SwapBuffers(DCWINDOW);
  } while (ACTIVE);
  DELETEOGLWINDOW();
  return 0;
}
