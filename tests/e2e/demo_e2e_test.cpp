// The demo program end to end: the start-up question answered through the
// real dialog, the window as the X server shows it, real pointer drags, and
// the ways it ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <X11/keysym.h>

#include "tests/e2e/demo_process.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/test_files.h"
#include "tests/support/x11_probe.h"

namespace {

using namespace std::chrono_literals;
using sorvel::testing::DemoProcess;
using sorvel::testing::Geometry;
using sorvel::testing::Pixels;
using sorvel::testing::Probe;

constexpr const char* kTitle = "Gabbia creata con texture sprite";
constexpr std::uint32_t kSky = 0x659FD9;  // the clear colour (119/300, 187/300, 0.85)

bool near(std::uint32_t a, std::uint32_t b, int tolerance = 2) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

// Pixels in the middle of the picture where red leads blue: the fire.
int fire_pixels(const Pixels& shot) {
  int warm = 0;
  for (int y = shot.height / 4; y < shot.height * 3 / 4; ++y) {
    for (int x = shot.width * 2 / 5; x < shot.width * 3 / 5; ++x) {
      const std::uint32_t p = shot.at(x, y);
      if (static_cast<int>(p >> 16) > static_cast<int>(p & 0xFF) + 60) ++warm;
    }
  }
  return warm;
}

class DemoEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Probe::ignore_errors(); }

  void SetUp() override {
    for (const char* name : {"stoneblocks.bmp", "fuoco8.bmp", "rete00_1.tga"}) {
      std::filesystem::copy_file(std::filesystem::path(SORVEL_DEMO_FOLDER) / name, folder_.path() / name);
    }
  }

  // Answers the start-up question with a key and returns the GL window.
  Window start(DemoProcess& demo, const char* answer_key) {
    EXPECT_TRUE(demo.started());
    const Window question = wait_for_window("Video!", 20s);
    EXPECT_NE(question, 0u) << "the start-up question did not show";
    if (question == 0) return 0;
    const auto boxes = demo.box_log();
    EXPECT_FALSE(boxes.empty());
    if (!boxes.empty()) {
      EXPECT_EQ(boxes.front(), "box\t0x00000024\tVideo!\tSettare lo schermo intero?  ");
    }
    EXPECT_TRUE(x_.wait_for_focus(question, 20s)) << "the question takes the keyboard";
    x_.tap(XStringToKeysym(answer_key));
    const Window window = wait_for_window(kTitle, 30s);
    EXPECT_NE(window, 0u) << "the GL window did not show";
    EXPECT_TRUE(window == 0 || x_.wait_for_focus(window, 20s)) << "the GL window takes the keyboard";
    return window;
  }

  // The demo's windows are another process's: nothing here pumps our layer.
  Window wait_for_window(const char* title, std::chrono::milliseconds timeout) {
    return x_.wait_for_top_level(title, false, timeout);
  }

  Pixels capture(Window window) {
    const Geometry g = x_.geometry(window);
    return sorvel::testing::grab(x_.display(), window, RECT{0, 0, g.width, g.height});
  }

  Probe x_;
  sorvel::testing::TempDir folder_;
};

TEST_F(DemoEndToEnd, AnsweredNoRunsCaptionedTakesDragsAndEndsWithEscape) {
  DemoProcess demo(SORVEL_DEMO_BINARY, folder_.path());
  const Window window = start(demo, "n");
  ASSERT_NE(window, 0u);
  const Geometry outer = x_.geometry(window);
  EXPECT_EQ(outer.x, 0);
  EXPECT_EQ(outer.y, 0);
  EXPECT_EQ(outer.width, 800);
  EXPECT_EQ(outer.height, 600);
  const auto client = x_.children(window);
  ASSERT_EQ(client.size(), 1u) << "one client area inside our frame";
  const Geometry inner = x_.geometry(client.front());
  EXPECT_EQ(inner.x, 3);
  EXPECT_EQ(inner.y, 19);
  EXPECT_EQ(inner.width, 794);
  EXPECT_EQ(inner.height, 578);

  std::this_thread::sleep_for(500ms);
  // The client window may have been made again for the GL pixel format.
  const Window drawable = x_.children(window).front();
  const Pixels before = capture(drawable);
  ASSERT_GT(before.width, 0);
  EXPECT_TRUE(near(before.at(5, 5), kSky)) << std::hex << before.at(5, 5);
  EXPECT_GT(fire_pixels(before), 500) << "the fire burns in the cage";

  x_.drag(1, 400, 300, 400, 310);
  std::this_thread::sleep_for(300ms);
  const Pixels turned = capture(drawable);
  EXPECT_NE(before, turned) << "a left drag turns the scene";
  x_.drag(3, 400, 300, 400, 290);
  x_.drag(1, 20, 300, -40, 300);  // past the left edge while captured
  EXPECT_TRUE(demo.running());
  x_.tap(XK_Escape);
  EXPECT_EQ(demo.wait(20s), 0);
}

TEST_F(DemoEndToEnd, WindowManagerCloseEndsWithExitZero) {
  DemoProcess demo(SORVEL_DEMO_BINARY, folder_.path());
  const Window window = start(demo, "n");
  ASSERT_NE(window, 0u);
  x_.request_close(window);
  EXPECT_EQ(demo.wait(20s), 0);
}

TEST_F(DemoEndToEnd, AnsweredYesFillsTheScreenWithAThinBorder) {
  DemoProcess demo(SORVEL_DEMO_BINARY, folder_.path());
  const Window window = start(demo, "y");
  ASSERT_NE(window, 0u);
  const Geometry outer = x_.geometry(window);
  const Geometry screen = x_.screen();
  EXPECT_EQ(outer.x, 0);
  EXPECT_EQ(outer.y, 0);
  EXPECT_EQ(outer.width, screen.width);
  EXPECT_EQ(outer.height, screen.height);
  const auto client = x_.children(window);
  ASSERT_EQ(client.size(), 1u);
  const Geometry inner = x_.geometry(client.front());
  EXPECT_EQ(inner.x, 1);
  EXPECT_EQ(inner.y, 1);
  EXPECT_EQ(inner.width, screen.width - 2);
  x_.tap(XK_Escape);
  EXPECT_EQ(demo.wait(20s), 0);
}

TEST_F(DemoEndToEnd, RunsWithItsTextureFilesMissing) {
  for (const char* name : {"stoneblocks.bmp", "fuoco8.bmp", "rete00_1.tga"}) {
    std::filesystem::remove(folder_.path() / name);
  }
  DemoProcess demo(SORVEL_DEMO_BINARY, folder_.path());
  const Window window = start(demo, "n");
  ASSERT_NE(window, 0u);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(demo.running());
  EXPECT_EQ(demo.box_log().size(), 2u) << "a missing TGA file is silent: only the question and its answer";
  x_.tap(XK_Escape);
  EXPECT_EQ(demo.wait(20s), 0);
}

TEST_F(DemoEndToEnd, BrokenTgaShowsTheReadersBoxAndGoesOn) {
  std::ofstream(folder_.path() / "rete00_1.tga", std::ios::binary | std::ios::trunc) << "not a TGA";
  DemoProcess demo(SORVEL_DEMO_BINARY, folder_.path());
  const Window question = wait_for_window("Video!", 20s);
  ASSERT_NE(question, 0u);
  ASSERT_TRUE(x_.wait_for_focus(question, 20s));
  x_.tap(XK_n);
  const Window box = wait_for_window("ERROR", 30s);
  ASSERT_NE(box, 0u) << "the reader's box";
  ASSERT_TRUE(x_.wait_for_focus(box, 20s));
  const auto boxes = demo.box_log();
  ASSERT_GE(boxes.size(), 3u);
  EXPECT_EQ(boxes[2], "box\t0x00000000\tERROR\tCould not read file header");
  x_.tap(XK_Return);
  const Window window = wait_for_window(kTitle, 30s);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(x_.wait_for_focus(window, 20s));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(demo.running());
  x_.tap(XK_Escape);
  EXPECT_EQ(demo.wait(20s), 0);
}

}  // namespace
