// Creating and ending the library's window on the headless display: the
// stored settings, the two window styles, and each fatal error box with its
// exact text, caption and exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/testing.h"
#include "sorvel/sorvel.h"
#include "sorvel/window/window_internal.h"
#include "sorvel/window/window_texts.h"
#include "tests/window/input_state.h"

namespace {

// In a death test's child: accepts exactly one expected box and lets the
// library end the process; any other box ends it with status 3.
void expect_fatal_box(const char* text) {
  static std::string expected;
  expected = text;
  platform::testing::set_message_box_handler([](const platform::testing::MessageBoxCall& box) {
    if (box.text != expected || box.caption != "Error" || box.type != MB_OK || box.owner != nullptr) {
      std::fprintf(stderr, "unexpected box: [%s] %s (type %u)\n", box.caption.c_str(), box.text.c_str(), box.type);
      _exit(3);
    }
    std::fprintf(stderr, "fatal box shown\n");
    return IDOK;
  });
}

// The class is registered once per process and never undone by the
// library; tests that register start from a clean slate.
bool register_afresh() {
  UnregisterClassA(sorvel::texts::kWindowClass, GetModuleHandleA(nullptr));
  return WINDOWREGISTER();
}

class WindowLifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    platform::testing::use_headless_display();
    sorvel::testing::reset_input_state();
  }
};

TEST_F(WindowLifecycle, SettingsBeforeAnyWindowAreStoredAndMakeNoList) {
  const char* cursor_file = "";
  const char* icon_file = "icon.cur";
  OGLWINDOWSETTING(ARROW, cursor_file, FILEICON, icon_file);
  EXPECT_EQ(SETTYPECURSOR, ARROW);
  EXPECT_EQ(SETTYPEICON, FILEICON);
  EXPECT_EQ(CURSORFILE, cursor_file) << "kept by pointer";
  EXPECT_EQ(ICONFILE, icon_file);
  EXPECT_TRUE(FOGONOFF);
  EXPECT_EQ(OBJNULL, 0u) << "no GL context exists yet";
}

TEST_F(WindowLifecycle, MouseLookSettingsStampTheStartAndPlaceTheCursor) {
  MOUSEFREE = true;
  WIDTH = 801;
  HEIGHT = 601;
  SetCursorPos(7, 7);
  OGLWINDOWSETTING(ARROW, "", GENERIC, "");
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 400);
  EXPECT_EQ(cursor.y, 300);
  EXPECT_NE(START, 0u);
}

TEST_F(WindowLifecycle, WindowedAndFullScreenWindowsHaveTheirSizesAndFrames) {
  OGLWINDOWSETTING(ARROW, "", GENERIC, "");
  ASSERT_TRUE(register_afresh());
  struct Case {
    bool full_screen;
    RECT outer;
    RECT client;
  };
  for (const Case& c : {Case{false, {0, 0, 800, 600}, {0, 0, 794, 578}}, Case{true, {0, 0, 1024, 768}, {0, 0, 1022, 766}}}) {
    FULLSCREEN = c.full_screen;
    WIDTH = 800;
    HEIGHT = 600;
    const HWND window = WINDOWCREATE("Gabbia creata con texture sprite");
    ASSERT_NE(window, nullptr);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_TRUE(EqualRect(&outer, &c.outer)) << "full screen " << c.full_screen;
    EXPECT_TRUE(EqualRect(&client, &c.client)) << "full screen " << c.full_screen;
    EXPECT_EQ(WIDTH, c.outer.right) << "WIDTH is the outer width, never the client's";
    EXPECT_EQ(HEIGHT, c.outer.bottom);
    EXPECT_TRUE(ACTIVE) << "set during creation";
    EXPECT_TRUE(IsWindowVisible(window));
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE)) << "the first paint is done and validated";
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_EQ(style, c.full_screen ? 0x96880000u : 0x96CA0000u);
    DestroyWindow(window);
    EXPECT_FALSE(ACTIVE);
  }
}

TEST_F(WindowLifecycle, UnknownCursorAndIconKindsGiveNone) {
  OGLWINDOWSETTING(99, "", 0, "");
  ASSERT_TRUE(register_afresh());
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "GLWindow", &info));
  EXPECT_EQ(info.hCursor, nullptr);
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(info.style, CS_VREDRAW | CS_HREDRAW);
  EXPECT_EQ(info.lpfnWndProc, &GLWNDPROC);
}

TEST_F(WindowLifecycle, NoPixelFormatIsTheInitialisationBox) {
  EXPECT_EXIT(
      {
        expect_fatal_box(sorvel::texts::kContextFailed);
        UnregisterClassA(sorvel::texts::kWindowClass, GetModuleHandleA(nullptr));
        OGLWINDOWSETTING(ARROW, "", GENERIC, "");
        CREATEOGLWINDOW("Gabbia creata con texture sprite", 800, 600, 32, false);
        std::fprintf(stderr, "returned\n");
      },
      ::testing::ExitedWithCode(0), "fatal box shown");
}

TEST_F(WindowLifecycle, SecondCreationIsTheRegistrationBox) {
  EXPECT_EXIT(
      {
        OGLWINDOWSETTING(ARROW, "", GENERIC, "");
        register_afresh();  // the first window's registration, which is never undone
        expect_fatal_box(sorvel::texts::kRegistrationFailed);
        CREATEOGLWINDOW("second", 800, 600, 32, false);
      },
      ::testing::ExitedWithCode(0), "fatal box shown");
}

TEST_F(WindowLifecycle, NoDisplayIsTheCreationBoxAfterTheMenuCallback) {
  EXPECT_EXIT(
      {
        platform::testing::use_no_display();
        SHOWMENUBAR = true;
        CREATEMENUBAR = [] { std::fprintf(stderr, "menu callback with window %p\n", static_cast<void*>(HWINDOW)); };
        expect_fatal_box(sorvel::texts::kCreationFailed);
        UnregisterClassA(sorvel::texts::kWindowClass, GetModuleHandleA(nullptr));
        OGLWINDOWSETTING(ARROW, "", GENERIC, "");
        CREATEOGLWINDOW("Gabbia creata con texture sprite", 800, 600, 32, false);
      },
      ::testing::ExitedWithCode(0), "menu callback with window \\(nil\\)(.|\n)*fatal box shown");
}

TEST_F(WindowLifecycle, TableIndicesOutsideTheirBoundsStopTheProgram) {
  EXPECT_EXIT(SETKEY[501] = 1, ::testing::ExitedWithCode(70), "SETKEY index 501 is outside 0..500");
  EXPECT_EXIT(STATUSITEM[0] = 1, ::testing::ExitedWithCode(70), "STATUSITEM index 0 is outside 1..20");
  EXPECT_EXIT(
      {
        BITS = 256;
        WINDOWINIT(nullptr);
      },
      ::testing::ExitedWithCode(70), "BITS index 256 is outside 0..255");
}

TEST_F(WindowLifecycle, DeleteAfterTheUserClosedTheWindowReturnsQuietly) {
  OGLWINDOWSETTING(ARROW, "", GENERIC, "");
  register_afresh();
  FULLSCREEN = false;
  WIDTH = 800;
  HEIGHT = 600;
  HWINDOW = WINDOWCREATE("closing");
  DCWINDOW = GetDC(HWINDOW);
  SendMessageA(HWINDOW, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(HWINDOW));
  EXPECT_FALSE(ACTIVE);
  DELETEOGLWINDOW();
  EXPECT_FALSE(IsWindow(HWINDOW));
}

}  // namespace
