// The GL window's procedure and the frame loop's pump, on the headless
// display: drags, keys, mouse-look, callbacks, one message per pump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing.h"
#include "sorvel/sorvel.h"
#include "tests/window/input_state.h"

namespace {

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class WindowProcedure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::testing::use_headless_display();
    WNDCLASSA wc{};
    wc.lpfnWndProc = GLWNDPROC;
    wc.lpszClassName = "GLWindowUnderTest";
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(nullptr, wc.lpszClassName, &existing)) {
      ASSERT_NE(RegisterClassA(&wc), 0);
    }
  }

  void SetUp() override {
    sorvel::testing::reset_input_state();
    WIDTH = 800;
    HEIGHT = 600;
    HWINDOW = CreateWindowExA(0, "GLWindowUnderTest", "test", 0x96CA0000, CW_USEDEFAULT, CW_USEDEFAULT, WIDTH, HEIGHT,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(HWINDOW, nullptr);
    drain();
  }

  void TearDown() override {
    DestroyWindow(HWINDOW);
    drain();
  }

  static void drain() {
    MSG m;  // paint messages stay until a dispatch validates them
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }

  static void send(UINT message, WPARAM wparam, LPARAM lparam) { SendMessageA(HWINDOW, message, wparam, lparam); }
};

struct DragCase {
  const char* name;
  UINT button_down;
  UINT button_up;
  WPARAM held;
  std::int32_t speed;
  POINT from;
  POINT to;
  float x_rotation;
  float y_rotation;
  float depth;
};

class Drags : public WindowProcedure, public ::testing::WithParamInterface<DragCase> {};

TEST_P(Drags, ChangeAnglesAndDepthByTheirArithmetic) {
  const DragCase& c = GetParam();
  MSPEED = c.speed;
  send(c.button_down, c.held, at(c.from.x, c.from.y));
  send(WM_MOUSEMOVE, c.held, at(c.to.x, c.to.y));
  EXPECT_FLOAT_EQ(XROT, c.x_rotation);
  EXPECT_FLOAT_EQ(YROT, c.y_rotation);
  EXPECT_FLOAT_EQ(DEPTH, c.depth);
  EXPECT_EQ(XROT2, XROT);
  EXPECT_EQ(YROT2, YROT);
  EXPECT_EQ(DEPTH2, DEPTH);
  EXPECT_EQ(SETOMX, c.to.x);
  EXPECT_EQ(SETOMY, c.to.y);
  EXPECT_EQ(GetCapture(), HWINDOW);
  send(c.button_up, 0, at(c.to.x, c.to.y));
  EXPECT_EQ(GetCapture(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    LeftAndRight, Drags,
    ::testing::Values(
        DragCase{"left_10_down_speed_2", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 2, {100, 100}, {100, 110}, 10, 0, 0},
        DragCase{"left_3_right_speed_1_is_real_division", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 1, {100, 100},
                 {103, 100}, 0, 1.5f, 0},
        DragCase{"right_10_down_speed_2", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 2, {100, 100}, {100, 110}, 0, 0, -2},
        DragCase{"right_10_up_speed_2", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 2, {100, 100}, {100, 90}, 0, 0, 2},
        DragCase{"speed_0_moves_nothing", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 0, {100, 100}, {130, 170}, 0, 0, 0},
        // Captured positions left of or above the client area are negative.
        DragCase{"left_drag_past_left_edge", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 2, {5, 100}, {-5, 100}, 0, -10, 0},
        DragCase{"left_drag_past_top_edge", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 2, {100, 3}, {100, -7}, -10, 0, 0},
        DragCase{"right_drag_past_top_edge", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 2, {100, 3}, {100, -7}, 0, 0, 2}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(WindowProcedure, DragAnchorsFollowPressMovesAndRelease) {
  MSPEED = 2;
  send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 20));
  EXPECT_TRUE(LEFTMOUSEDOWN && LEFTMOUSEDOWN2);
  EXPECT_EQ(SETMX, 10);
  EXPECT_EQ(SETMY, 20);
  send(WM_MOUSEMOVE, MK_LBUTTON, at(14, 28));
  EXPECT_EQ(XCOORD, 14);
  EXPECT_EQ(YCOORD, 28);
  EXPECT_EQ(SETMX, 10) << "the press point stays";
  send(WM_MOUSEMOVE, MK_LBUTTON, at(14, 30));
  EXPECT_FLOAT_EQ(XROT, 10.0f) << "8 + 2 pixels down";
  send(WM_LBUTTONUP, 0, at(14, 30));
  EXPECT_FALSE(LEFTMOUSEDOWN || LEFTMOUSEDOWN2);
  EXPECT_EQ(XCOORD, 0);
  EXPECT_EQ(YCOORD, 0);
  EXPECT_EQ(SETMX, 0);
  EXPECT_EQ(SETMY, 0);

  send(WM_RBUTTONDOWN, MK_RBUTTON, at(0, 50));
  send(WM_MOUSEMOVE, MK_RBUTTON, at(0, 60));
  send(WM_RBUTTONUP, 0, at(0, 60));
  EXPECT_EQ(ZCOORD, 60) << "the right-drag anchor is kept after release";
}

TEST_F(WindowProcedure, RightPressDuringLeftDragReleasesTheCapture) {
  send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
  send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, at(10, 10));
  send(WM_RBUTTONUP, MK_LBUTTON, at(10, 10));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(LEFTMOUSEDOWN);
}

TEST_F(WindowProcedure, MouseLookTurnsByOffsetFromCentreAndClampsTheSecondAngle) {
  ASSERT_EQ(GetForegroundWindow(), HWINDOW);
  MOUSEFREE = true;
  MSPEED = 2;
  SetCursorPos(450, 300);
  send(WM_MOUSEMOVE, 0, at(1, 1));
  EXPECT_FLOAT_EQ(XROT, 1.0f);
  EXPECT_FLOAT_EQ(XROT2, 1.0f);
  EXPECT_EQ(MPOS.X, 450);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 400);
  EXPECT_EQ(cursor.y, 300);

  SetCursorPos(400, -20000);
  send(WM_MOUSEMOVE, 0, at(1, 1));
  EXPECT_EQ(YROT, -60.0f);
  EXPECT_EQ(YROT2, -60.0f);
  SetCursorPos(400, 20000);
  send(WM_MOUSEMOVE, 0, at(1, 1));
  EXPECT_EQ(YROT, 60.0f);

  send(WM_KEYUP, 'Q', 0);
  EXPECT_FALSE(MOUSEFREE) << "any key release ends mouse-look";
  SetCursorPos(500, 300);
  send(WM_MOUSEMOVE, 0, at(1, 1));
  EXPECT_FLOAT_EQ(XROT, 1.0f);
}

TEST_F(WindowProcedure, KeyTableRecordsDownAndUp) {
  send(WM_KEYDOWN, 'A', 0);
  send(WM_KEYDOWN, 'A', KF_REPEAT_BIT);
  EXPECT_EQ(SETKEY['A'], -1);
  send(WM_KEYUP, 'A', 0);
  EXPECT_EQ(SETKEY['A'], 0);
  send(WM_KEYDOWN, 501, 0);  // no entry: not recorded, and no range error
  send(WM_KEYUP, 0x10000, 0);
}

TEST_F(WindowProcedure, EscapeEndsTheLoopButKeepsTheWindow) {
  ACTIVE = true;
  send(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(ACTIVE);
  EXPECT_TRUE(IsWindow(HWINDOW));
  EXPECT_EQ(SETKEY[VK_ESCAPE], 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
}

TEST_F(WindowProcedure, SystemCloseDestroysTheWindowAndEndsTheLoop) {
  ACTIVE = true;
  send(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(ACTIVE);
  EXPECT_FALSE(IsWindow(HWINDOW));
}

std::vector<std::string> g_calls;
LRESULT record_command(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  g_calls.push_back("command " + std::to_string(hwnd == HWINDOW) + " " + std::to_string(message) + " " +
                    std::to_string(wparam) + " " + std::to_string(lparam));
  return 99;
}

TEST_F(WindowProcedure, CallbacksRunOnlyWithTheMenuFlag) {
  g_calls.clear();
  CREATEMOUSEMENU = [] { g_calls.push_back("menu"); };
  GETINPUTCOMMAND = record_command;
  EXPECT_EQ(SendMessageA(HWINDOW, WM_COMMAND, 7, 8), 0);
  send(WM_RBUTTONDOWN, MK_RBUTTON, at(5, 5));
  send(WM_RBUTTONUP, 0, at(5, 5));
  EXPECT_TRUE(g_calls.empty());

  SHOWMENUBAR = true;
  EXPECT_EQ(SendMessageA(HWINDOW, WM_COMMAND, 7, 8), 0) << "the callback's result is dropped";
  send(WM_RBUTTONDOWN, MK_RBUTTON, at(5, 5));
  send(WM_RBUTTONUP, 0, at(5, 5));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"command 1 273 7 8", "menu"}));

  CREATEMOUSEMENU = nullptr;  // an unassigned callback is skipped
  send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(HWINDOW), -1);
}

TEST_F(WindowProcedure, PumpTakesAtMostOneMessageAndNeverWaits) {
  for (int i = 0; i < 1000; ++i) SETGLMSG();  // an empty queue returns at once
  MSPEED = 2;
  for (int i = 0; i < 3; ++i) SETKEY['A' + i] = -1;
  for (int i = 0; i < 3; ++i) PostMessageA(HWINDOW, WM_KEYUP, static_cast<WPARAM>('A' + i), 0);
  for (int i = 0; i < 3; ++i) {
    SETGLMSG();
    EXPECT_EQ(SETKEY['A' + i], 0);
    if (i < 2) {
      EXPECT_EQ(SETKEY['A' + i + 1], -1) << "one message per pass";
    }
  }
  // A queued drag: the two moves after the press coalesce into the latest.
  platform::testing::inject_input(MSG{HWINDOW, WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10), 0, {}});
  platform::testing::inject_input(MSG{HWINDOW, WM_MOUSEMOVE, MK_LBUTTON, at(10, 15), 0, {}});
  platform::testing::inject_input(MSG{HWINDOW, WM_MOUSEMOVE, MK_LBUTTON, at(10, 20), 0, {}});
  SETGLMSG();
  EXPECT_TRUE(LEFTMOUSEDOWN);
  EXPECT_EQ(XROT, 0.0f);
  SETGLMSG();
  EXPECT_FLOAT_EQ(XROT, 10.0f);
  EXPECT_EQ(MSG_.message, static_cast<UINT>(WM_MOUSEMOVE));
}

TEST_F(WindowProcedure, PumpTakesQuitOffAndDispatchesNothing) {
  PostQuitMessage(0);
  SETGLMSG();
  EXPECT_EQ(MSG_.message, static_cast<UINT>(WM_QUIT));
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowProcedure, TranslatedKeysQueueTheirCharacterNext) {
  platform::testing::inject_input(MSG{HWINDOW, WM_KEYDOWN, 'B', 0x00300001, 0, {}});
  SETGLMSG();
  SETGLMSG();
  EXPECT_EQ(MSG_.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(MSG_.wParam, static_cast<WPARAM>('b'));
}

}  // namespace
