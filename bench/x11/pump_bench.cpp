// The message pump on a real X connection: the frame loop's empty pump
// (which must send the server nothing) against a bare read of the socket,
// and the translation of a burst of X input events against merely queueing
// and taking them. Run under tests/support/with_xvfb.sh.
#include <benchmark/benchmark.h>
// Xlib after Google Benchmark: its macros (None, Bool, Status) clash with names there.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstring>
#include <string>

#include "platform/win32.h"
#include "platform/x11/x11_testing.h"

namespace {

struct Target {
  HWND hwnd = nullptr;
  Window outer = 0;
  Window client = 0;
};

// One visible captioned window, made once, found on the server by its title.
const Target& target() {
  static const Target made = [] {
    Target t;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PumpBench";
    RegisterClassA(&wc);
    t.hwnd = CreateWindowExA(0, "PumpBench", "pump bench", 0x96CA0000, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    Display* display = platform::x11::testing::driver_display();
    if (t.hwnd == nullptr || display == nullptr) return t;
    Window root_return = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count);
    for (unsigned i = 0; i < count && t.outer == 0; ++i) {
      char* name = nullptr;
      if (XFetchName(display, children[i], &name) && name != nullptr && std::string(name) == "pump bench") {
        t.outer = children[i];
      }
      if (name != nullptr) XFree(name);
    }
    if (children != nullptr) XFree(children);
    Window* inside = nullptr;
    if (t.outer != 0 && XQueryTree(display, t.outer, &root_return, &parent, &inside, &count) && count > 0) {
      t.client = inside[0];
    }
    if (inside != nullptr) XFree(inside);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return t;
  }();
  return made;
}

// SETGLMSG: peek without removing; take and dispatch only what waits.
void pump_once() {
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    GetMessageA(&msg, nullptr, 0, 0);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void BM_EmptyPump(benchmark::State& state) {
  if (target().client == 0) {
    state.SkipWithError("no window on an X display (run under with_xvfb.sh)");
    return;
  }
  Display* display = platform::x11::testing::driver_display();
  const unsigned long before = XNextRequest(display);
  for (auto _ : state) pump_once();
  const unsigned long sent = XNextRequest(display) - before;
  state.counters["requests_per_pump"] = static_cast<double>(sent) / static_cast<double>(state.iterations());
  if (sent != 0) state.SkipWithError("the empty pump sent requests to the server");
}
BENCHMARK(BM_EmptyPump);

// The floor under the empty pump: only asking Xlib whether anything came.
void BM_EmptySocketRead(benchmark::State& state) {
  Display* display = platform::x11::testing::driver_display();
  if (target().client == 0 || display == nullptr) {
    state.SkipWithError("no X display");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(XEventsQueued(display, QueuedAfterReading));
}
BENCHMARK(BM_EmptySocketRead);

// A burst of real-looking input, put back into the driver's queue: key
// presses and releases on the frame, button presses, releases and moves
// on the client.
void queue_burst(Display* display, const Target& t, int count) {
  const KeyCode key = XKeysymToKeycode(display, XK_a);
  for (int i = 0; i < count; ++i) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xany.display = display;
    const int kind = i % 4;
    if (kind < 2) {
      event.xkey.type = kind == 0 ? KeyPress : KeyRelease;
      event.xkey.window = t.outer;
      event.xkey.keycode = key;
      event.xkey.same_screen = True;
    } else if (kind == 2) {
      event.xbutton.type = (i / 4) % 2 == 0 ? ButtonPress : ButtonRelease;
      event.xbutton.window = t.client;
      event.xbutton.button = Button1;
      event.xbutton.x = i % 300;
      event.xbutton.y = 10;
      event.xbutton.same_screen = True;
    } else {
      event.xmotion.type = MotionNotify;
      event.xmotion.window = t.client;
      event.xmotion.x = i % 300;
      event.xmotion.y = 20;
      event.xmotion.same_screen = True;
    }
    XPutBackEvent(display, &event);
  }
}

void BM_TranslateBurst(benchmark::State& state) {
  const Target& t = target();
  Display* display = platform::x11::testing::driver_display();
  if (t.client == 0 || display == nullptr) {
    state.SkipWithError("no X display");
    return;
  }
  const auto count = static_cast<int>(state.range(0));
  std::size_t messages = 0;
  for (auto _ : state) {
    queue_burst(display, t, count);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ++messages;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["messages_per_event"] =
      static_cast<double>(messages) / static_cast<double>(state.iterations() * static_cast<std::size_t>(count));
}
BENCHMARK(BM_TranslateBurst)->Arg(16)->Arg(256);

// The peer: the same events queued and taken straight back out of Xlib.
void BM_QueueBurstOnly(benchmark::State& state) {
  const Target& t = target();
  Display* display = platform::x11::testing::driver_display();
  if (t.client == 0 || display == nullptr) {
    state.SkipWithError("no X display");
    return;
  }
  const auto count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    queue_burst(display, t, count);
    XEvent event;
    while (XEventsQueued(display, QueuedAlready) > 0) XNextEvent(display, &event);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_QueueBurstOnly)->Arg(16)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
