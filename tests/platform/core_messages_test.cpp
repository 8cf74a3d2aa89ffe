// The message queue on the headless display.
#include <gtest/gtest.h>

#include "platform/testing.h"
#include "platform/win32.h"

namespace {

class CoreMessages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::testing::use_headless_display(); }
  void SetUp() override {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

TEST_F(CoreMessages, MouseMovesCoalesceToTheLatest) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "Plain";
  RegisterClassA(&wc);
  const HWND hwnd = CreateWindowExA(0, "Plain", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  for (int x = 0; x < 5; ++x) platform::testing::inject_input(MSG{hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), 7), 0, {}});
  platform::testing::inject_input(MSG{hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 7), 0, {}});
  platform::testing::inject_input(MSG{hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 7), 0, {}});
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(m.lParam), 4);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_LBUTTONDOWN);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GET_X_LPARAM(m.lParam), 9);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(hwnd);
}

TEST_F(CoreMessages, QuitIsTakenOffLikeAnyMessage) {
  PostQuitMessage(3);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
