// The same scene on GLFW's window, context and event polling.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "bench/frame_rate/frame_report.h"
#include "bench/frame_rate/peer_scene.h"

int main(int argc, char** argv) {
  sorvel::bench::FrameClock clock(30, argc > 1 ? std::atoi(argv[1]) : 300);
  if (!glfwInit()) return 1;
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  glfwWindowHint(GLFW_DEPTH_BITS, 24);
  glfwWindowHint(GLFW_STENCIL_BITS, 8);
  glfwWindowHint(GLFW_ALPHA_BITS, 8);
  GLFWwindow* window =
      glfwCreateWindow(sorvel::bench::kClientWidth, sorvel::bench::kClientHeight, "frame rate", nullptr, nullptr);
  if (window == nullptr) return 1;
  glfwMakeContextCurrent(window);
  glfwSwapInterval(0);
  sorvel::bench::prepare_peer_scene();
  bool more = true;
  while (more && !glfwWindowShouldClose(window)) {
    glClear(GL_COLOR_BUFFER_BIT);
    glfwPollEvents();
    OPENGL_DRAW();
    glfwSwapBuffers(window);
    more = clock.frame_done();
  }
  clock.report();
  glfwTerminate();
  return 0;
}
