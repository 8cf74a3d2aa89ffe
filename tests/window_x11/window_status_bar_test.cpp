// The library's GL window with its status bar on a real X server, run
// through its frame loop: "Percorso file" on screen inside the bar, and a
// bar of three parts with its separators where STATUSITEM puts them.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <string_view>

#include "platform/core/desktop.h"
#include "platform/x11/x11_testing.h"
#include "sorvel/sorvel.h"
#include "sorvel/window/window_texts.h"
#include "tests/support/screen_pixels.h"
#include "tests/window_x11/frame_loop.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::kFace;
using sorvel::testing::kHighlight;
using sorvel::testing::kShadow;
using sorvel::testing::Pixels;
using sorvel::testing::screen_rect;

class LibraryStatusBar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SHOWSTATUSBAR = true;
    MAXSTATUSITEM = 0;
    OGLWINDOWSETTING(ARROW, "", GENERIC, "");
    CREATEOGLWINDOW("Barra di stato", 800, 600, 32, false);
  }
  static void TearDownTestSuite() { DELETEOGLWINDOW(); }

  void SetUp() override { ASSERT_NE(probe.wait_for_top_level("Barra di stato", false), 0u); }

  // The driver's drawing of `text` in the status font, in a window of its
  // own beside the GL window, as the screen shows its ink.
  Pixels reference(std::string_view text) {
    const HWND window = CreateWindowExA(0, sorvel::testing::logging_class(), "riferimento", WS_POPUP | WS_VISIBLE, 820,
                                        0, 200, 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(probe.wait_for_top_level("riferimento", false), 0u);
    sorvel::testing::frames_until_idle();
    const RECT area{0, 0, 200, 40};
    platform::core::desktop().driver().draw_text(platform::core::desktop().window(window)->native, area, 5, 5, text,
                                                 GetSysColor(COLOR_BTNTEXT), platform::UiFont::kStatus);
    XSync(platform::x11::testing::driver_display(), False);
    const Pixels ink = sorvel::testing::screen_ink(probe.display(), screen_rect(window), kFace);
    DestroyWindow(window);
    sorvel::testing::frames_until_idle();
    return ink;
  }

  Pixels shown_bar() {
    XSync(platform::x11::testing::driver_display(), False);
    return sorvel::testing::grab(probe.display(), probe.root(), screen_rect(HSTATUS));
  }

  // Frames until the bar's text has been painted.
  Pixels painted_bar() {
    Pixels shown;
    sorvel::testing::frames_until([&] {
      shown = shown_bar();
      return sorvel::testing::ink_box(shown, kFace).right > 0;
    });
    return shown;
  }

  sorvel::testing::Probe probe;
};

TEST_F(LibraryStatusBar, WithoutPartsTheInitialTextShowsInTheBar) {
  ASSERT_NE(HSTATUS, nullptr);
  EXPECT_EQ(HSTATUS, AWND);
  EXPECT_STREQ(FILENAME, sorvel::texts::kStatusText);
  RECT bar = screen_rect(HSTATUS);
  POINT client_corner{0, 0};
  ClientToScreen(HWINDOW, &client_corner);
  RECT client;
  GetClientRect(HWINDOW, &client);
  EXPECT_EQ(bar.left, client_corner.x);
  EXPECT_EQ(bar.right, client_corner.x + client.right) << "as wide as the GL window's client area";
  EXPECT_EQ(bar.bottom, client_corner.y + client.bottom) << "along its bottom";

  const Pixels expected = reference("Percorso file");
  ASSERT_GT(expected.width, 50);
  const Pixels shown = painted_bar();
  const RECT ink = sorvel::testing::ink_box(shown, kFace);
  EXPECT_EQ(sorvel::testing::crop(shown, ink), expected);
  EXPECT_LT(ink.left, 10) << "at the left of the one part";

  // The GL frames go on without drawing over the bar.
  for (int i = 0; i < 20; ++i) sorvel::testing::frame();
  EXPECT_EQ(shown_bar(), shown);
}

TEST_F(LibraryStatusBar, ThreePartsAreSeparatedWhereStatusItemSays) {
  DestroyWindow(HSTATUS);
  STATUSITEM[1] = 150;
  STATUSITEM[2] = 400;
  STATUSITEM[3] = -1;
  MAXSTATUSITEM = 3;
  HSTATUS = CREATESTATUSBAR(HWINDOW);
  ASSERT_NE(HSTATUS, nullptr);
  SendMessageA(HSTATUS, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("\xE8"));
  const Pixels e_grave = reference("\xE8");
  const Pixels status_text = reference("Percorso file");

  const Pixels shown = painted_bar();
  RECT parts{};
  SendMessageA(HSTATUS, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&parts));
  const int row = parts.top;  // the parts' first row: no text reaches it
  for (int x = 0; x < shown.width; ++x) {
    std::uint32_t wanted = kFace;
    if (x == 148 || x == 398) wanted = kShadow;
    if (x == 149 || x == 399) wanted = kHighlight;
    ASSERT_EQ(shown.at(x, row), wanted) << "x " << x;
  }
  for (int y = parts.top; y < parts.bottom; ++y) ASSERT_EQ(shown.at(148, y), kShadow) << "y " << y;

  const Pixels first = sorvel::testing::crop(shown, {0, 0, 148, shown.height});
  EXPECT_EQ(sorvel::testing::crop(first, sorvel::testing::ink_box(first, kFace)), status_text);
  const Pixels last = sorvel::testing::crop(shown, {400, 0, shown.width, shown.height});
  EXPECT_EQ(sorvel::testing::crop(last, sorvel::testing::ink_box(last, kFace)), e_grave) << "Windows-1252 text";
}

}  // namespace
