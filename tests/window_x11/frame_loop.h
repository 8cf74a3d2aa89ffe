// The frame loop of a program on the library's window, for tests that run
// the real CREATEOGLWINDOW: clear, one message through SETGLMSG, swap.
#pragma once

#include <chrono>
#include <functional>

namespace sorvel::testing {

void frame();
// Frames until `done` says so; false when `timeout` passed first.
bool frames_until(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
// Frames until everything the server has sent so far is handled.
void frames_until_idle();

}  // namespace sorvel::testing
