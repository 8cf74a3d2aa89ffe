// The window system's core on the headless display: classes, windows,
// geometry, properties and the default processing.
#include <gtest/gtest.h>

#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"

namespace {

struct Recorded {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<Recorded> g_log;

LRESULT recording_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  g_log.push_back({message, wparam, lparam});
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

class CoreWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::testing::use_headless_display();
    WNDCLASSA wc{};
    wc.lpfnWndProc = recording_proc;
    wc.lpszClassName = "Recorder";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void SetUp() override { g_log.clear(); }

  static bool received(UINT message) {
    for (const Recorded& r : g_log) {
      if (r.message == message) return true;
    }
    return false;
  }
};

TEST_F(CoreWindows, CaptionedPopupHasFixedFrameAndClientOffset) {
  const HWND hwnd = CreateWindowExA(0, "Recorder", "title", 0x96CA0000, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  RECT outer, client;
  ASSERT_TRUE(GetWindowRect(hwnd, &outer));
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.top, 0);
  EXPECT_EQ(outer.right, 800);
  EXPECT_EQ(outer.bottom, 600);
  EXPECT_EQ(client.right, 794);
  EXPECT_EQ(client.bottom, 578);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  EXPECT_EQ(origin.x, 3);
  EXPECT_EQ(origin.y, 19);
  char title[16];
  EXPECT_EQ(GetWindowTextA(hwnd, title, sizeof title), 5);
  EXPECT_STREQ(title, "title");
  EXPECT_TRUE(received(WM_NCCREATE));
  EXPECT_TRUE(received(WM_CREATE));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  DestroyWindow(hwnd);
}

TEST_F(CoreWindows, DestroyMakesHandleStaleAndSecondDestroyFails) {
  const HWND hwnd = CreateWindowExA(0, "Recorder", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  g_log.clear();
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_TRUE(received(WM_DESTROY));
  EXPECT_TRUE(received(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  RECT rect;
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
}

TEST_F(CoreWindows, PropertiesKeepPointerSizedValuesLosslessly) {
  const HWND hwnd = CreateWindowExA(0, "Recorder", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const auto big = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0xFEDCBA9876543210ULL));
  EXPECT_TRUE(SetPropA(hwnd, "HOVERMODEBYTE", big));
  EXPECT_EQ(GetPropA(hwnd, "hovermodebyte"), big);
  EXPECT_EQ(GetPropA(hwnd, "missing"), nullptr);
  EXPECT_EQ(RemovePropA(hwnd, "HOVERMODEBYTE"), big);
  EXPECT_EQ(GetPropA(hwnd, "HOVERMODEBYTE"), nullptr);
  DestroyWindow(hwnd);
}

TEST_F(CoreWindows, CloseDestroysThroughDefaultProcessing) {
  const HWND hwnd = CreateWindowExA(0, "Recorder", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(received(WM_CLOSE));
}
}  // namespace
