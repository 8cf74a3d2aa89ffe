// The same scene on SDL2's window, context and event polling.
#include <SDL2/SDL.h>

#include <cstdlib>

#include "bench/frame_rate/frame_report.h"
#include "bench/frame_rate/peer_scene.h"

int main(int argc, char** argv) {
  sorvel::bench::FrameClock clock(30, argc > 1 ? std::atoi(argv[1]) : 300);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_Window* window = SDL_CreateWindow("frame rate", 0, 0, sorvel::bench::kClientWidth, sorvel::bench::kClientHeight,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (window == nullptr) return 1;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) return 1;
  SDL_GL_SetSwapInterval(0);
  sorvel::bench::prepare_peer_scene();
  bool more = true;
  bool quit = false;
  while (more && !quit) {
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_Event event;
    while (SDL_PollEvent(&event)) quit = quit || event.type == SDL_QUIT;
    OPENGL_DRAW();
    SDL_GL_SwapWindow(window);
    more = clock.frame_done();
  }
  clock.report();
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
