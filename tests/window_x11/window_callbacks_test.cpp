// The application's menu and command callbacks on the library's GL window,
// with real input from XTest pumped through the frame loop: a right click,
// Shift+F10 and the menu key each ask for the context menu once; a command
// reaches GETINPUTCOMMAND; without SHOWMENUBAR nothing is called.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/keysym.h>

#include <vector>

#include "sorvel/sorvel.h"
#include "tests/window_x11/frame_loop.h"
#include "tests/support/x11_probe.h"

namespace {

struct Command {
  HWND window;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  bool operator==(const Command&) const = default;
};

int g_menu_bars = 0;
bool g_menu_bar_had_window = false;
int g_context_menus = 0;
std::vector<Command> g_commands;

LRESULT record_command(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  g_commands.push_back({window, message, wparam, lparam});
  return 1;
}

class MenuCallbacks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SHOWMENUBAR = true;
    CREATEMENUBAR = [] {
      ++g_menu_bars;
      g_menu_bar_had_window = IsWindow(HWINDOW) != FALSE;
    };
    CREATEMOUSEMENU = [] { ++g_context_menus; };
    GETINPUTCOMMAND = record_command;
    OGLWINDOWSETTING(ARROW, "", GENERIC, "");
    CREATEOGLWINDOW("Menu", 800, 600, 32, false);
  }
  static void TearDownTestSuite() { DELETEOGLWINDOW(); }

  void SetUp() override {
    ASSERT_NE(probe.wait_for_top_level("Menu", false), 0u);
    sorvel::testing::frames_until_idle();
    SHOWMENUBAR = true;
    g_context_menus = 0;
    g_commands.clear();
  }

  // Gives the input (the server has taken it on return), then runs frames
  // until all it caused is handled.
  template <class Input>
  int context_menus_after(Input input) {
    const int before = g_context_menus;
    input();
    sorvel::testing::frames_until_idle();
    return g_context_menus - before;
  }

  void right_click() {
    probe.move_pointer(400, 300);  // inside the client area
    probe.click(3);
  }
  void shift_f10() {
    probe.key(XK_Shift_L, true);
    probe.tap(XK_F10);
    probe.key(XK_Shift_L, false);
  }
  void menu_key() { probe.tap(XK_Menu); }

  sorvel::testing::Probe probe;
};

TEST_F(MenuCallbacks, TheMenuBarCallbackRanOnceAfterTheWindowWasMade) {
  EXPECT_EQ(g_menu_bars, 1);
  EXPECT_TRUE(g_menu_bar_had_window);
}

TEST_F(MenuCallbacks, ARightClickShiftF10AndTheMenuKeyEachAskForTheContextMenuOnce) {
  EXPECT_EQ(context_menus_after([this] { right_click(); }), 1);
  EXPECT_EQ(context_menus_after([this] { shift_f10(); }), 1);
  EXPECT_EQ(context_menus_after([this] { menu_key(); }), 1);
  EXPECT_EQ(context_menus_after([this] { probe.tap(XK_F10); }), 0) << "F10 alone is the menu bar's key";
  EXPECT_FALSE(RIGHTMOUSEDOWN) << "the drag of the right button ended";
}

TEST_F(MenuCallbacks, ACommandReachesTheCallbackWithItsFourParameters) {
  PostMessageA(HWINDOW, WM_COMMAND, MAKEWPARAM(101, 0), 0x1234);
  ASSERT_TRUE(sorvel::testing::frames_until([] { return !g_commands.empty(); }));
  EXPECT_EQ(g_commands, (std::vector<Command>{{HWINDOW, WM_COMMAND, MAKEWPARAM(101, 0), 0x1234}}));
  EXPECT_EQ(SendMessageA(HWINDOW, WM_COMMAND, 7, 8), 0) << "the callback's answer is dropped";
}

TEST_F(MenuCallbacks, WithoutTheMenuFlagNeitherCallbackRuns) {
  SHOWMENUBAR = false;
  EXPECT_EQ(context_menus_after([this] { right_click(); }), 0);
  EXPECT_EQ(context_menus_after([this] { shift_f10(); }), 0);
  EXPECT_EQ(context_menus_after([this] { menu_key(); }), 0);
  EXPECT_EQ(SendMessageA(HWINDOW, WM_COMMAND, 7, 8), 0);
  PostMessageA(HWINDOW, WM_COMMAND, 9, 10);
  sorvel::testing::frames_until_idle();
  EXPECT_TRUE(g_commands.empty());
}

}  // namespace
