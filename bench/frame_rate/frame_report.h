// What every frame-rate peer prints when it ends: one line the runner reads.
#pragma once

#include <time.h>

#include <cstdio>

namespace sorvel::bench {

inline double monotonic_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Counts frames after a warm-up and prints "first_frame_ms=... fps=...".
class FrameClock {
 public:
  FrameClock(int warm_up, int measured) : warm_up_(warm_up), measured_(measured) {}

  // Call after each frame's swap (or flush); false once enough frames ran.
  bool frame_done() {
    ++frames_;
    const double now = monotonic_ms();
    if (frames_ == 1) first_frame_ = now;
    if (frames_ == warm_up_) start_ = now;
    return frames_ < warm_up_ + measured_;
  }

  void report() const {
    const double seconds = (monotonic_ms() - start_) / 1e3;
    std::printf("first_frame_ms=%.3f fps=%.3f\n", first_frame_, measured_ / seconds);
    std::fflush(stdout);
  }

 private:
  int warm_up_;
  int measured_;
  int frames_ = 0;
  double first_frame_ = 0;
  double start_ = 0;
};

}  // namespace sorvel::bench
