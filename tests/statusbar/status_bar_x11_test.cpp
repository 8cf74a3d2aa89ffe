// What the status bar paints, read back from the X server: its text, the
// same as the driver draws it in the status font, inside its part; the
// separators at the parts' edges; Windows-1252 text; repaints on exposure
// and on UpdateWindow.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/desktop.h"
#include "platform/win32.h"
#include "platform/x11/x11_testing.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::kFace;
using sorvel::testing::kHighlight;
using sorvel::testing::kShadow;
using sorvel::testing::Pixels;
using sorvel::testing::Probe;
using sorvel::testing::pump_arrived;
using sorvel::testing::screen_rect;

RECT on_screen(HWND hwnd, RECT client_area) {
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  OffsetRect(&client_area, origin.x, origin.y);
  return client_area;
}

// Everything the layer has asked of the server is done.
void settle() {
  pump_arrived();
  XSync(platform::x11::testing::driver_display(), False);
}

class StatusBarOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = CreateWindowExA(0, sorvel::testing::logging_class(), "barra", WS_POPUP | WS_VISIBLE, 0, 0, 420, 160,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(probe.wait_for_top_level("barra"), 0u);
    bar = CreateStatusWindowA(static_cast<LONG>(WS_CHILD | WS_VISIBLE), "Percorso file", parent, 1);
    ASSERT_NE(bar, nullptr);
    settle();
  }
  void TearDown() override {
    DestroyWindow(parent);
    settle();
  }

  // The driver's own drawing of `text` in the status font on the face
  // colour, in the parent's free area, as the screen shows its ink.
  Pixels reference(std::string_view text) {
    const RECT area{10, 10, 410, 40};
    const HDC hdc = GetDC(parent);
    FillRect(hdc, &area, GetSysColorBrush(COLOR_BTNFACE));
    ReleaseDC(parent, hdc);
    platform::DisplayDriver& driver = platform::core::desktop().driver();
    driver.draw_text(platform::core::desktop().window(parent)->native, area, area.left, area.top, text,
                     GetSysColor(COLOR_BTNTEXT), platform::UiFont::kStatus);
    settle();
    return sorvel::testing::screen_ink(probe.display(), on_screen(parent, area), kFace);
  }

  Pixels bar_pixels() { return sorvel::testing::grab(probe.display(), probe.root(), screen_rect(bar)); }

  RECT part(WPARAM index) {
    RECT r{};
    SendMessageA(bar, SB_GETRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
  }

  Probe probe;
  HWND parent = nullptr;
  HWND bar = nullptr;
};

TEST_F(StatusBarOnScreen, ItsTextIsTheStatusFontsDrawingInsidePartZero) {
  const Pixels expected = reference("Percorso file");
  ASSERT_GT(expected.width, 50) << "the reference has ink";
  const Pixels shown = bar_pixels();
  const RECT ink = sorvel::testing::ink_box(shown, kFace);
  EXPECT_EQ(sorvel::testing::crop(shown, ink), expected) << "the whole text, unclipped";
  const RECT whole = part(0);
  EXPECT_GE(ink.left, whole.left + 2);
  EXPECT_LE(ink.left, whole.left + 8) << "left-aligned in its part";
  EXPECT_GT(ink.top, whole.top);
  EXPECT_LT(ink.bottom, whole.bottom);
  EXPECT_EQ(screen_rect(bar).bottom, screen_rect(parent).bottom) << "along the parent's bottom";
}

TEST_F(StatusBarOnScreen, SeparatorsStandAtThePartsRightEdges) {
  const int edges[] = {120, 260, -1};
  ASSERT_TRUE(SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
  SendMessageA(bar, SB_SETTEXTA, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>("due"));
  SendMessageA(bar, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("tre"));
  settle();
  struct Case {
    WPARAM part_zero_type;
    std::uint32_t at_118, at_119;  // part 0 ends at 120: sunken, or nothing
  };
  for (const Case& c : {Case{0, kShadow, kHighlight}, Case{SBT_NOBORDERS, kFace, kFace}}) {
    SCOPED_TRACE(c.part_zero_type);
    SendMessageA(bar, SB_SETTEXTA, 0 | c.part_zero_type, reinterpret_cast<LPARAM>("uno"));
    settle();
    const Pixels shown = bar_pixels();
    const RECT parts = part(0);
    auto wanted = [&](int x, int y) {
      if (y < parts.top || y >= parts.bottom) return kFace;
      switch (x) {
        case 118:
          return c.at_118;
        case 119:
          return c.at_119;
        case 258:
          return kHighlight;  // part 1 pops out
        case 259:
          return kShadow;
        default:
          return kFace;
      }
    };
    // Whole rows where no text reaches (the borders and the parts' first and
    // last rows), and the columns around each edge and the border all the way down.
    const std::vector<int> columns = {
        116, 117, 118, 119, 120, 121, 256, 257, 258, 259, 260, 261, shown.width - 2, shown.width - 1};
    for (int y = 0; y < shown.height; ++y) {
      const bool textless = y <= parts.top || y >= parts.bottom - 1;
      for (int x = 0; x < shown.width; ++x) {
        if (!textless && std::find(columns.begin(), columns.end(), x) == columns.end()) continue;
        ASSERT_EQ(shown.at(x, y), wanted(x, y)) << "x " << x << ", y " << y;
      }
    }
    // Each text inside its own part, the last part with no separator at the border.
    for (WPARAM i = 0; i < 3; ++i) {
      const RECT r = part(i);
      const Pixels inside = sorvel::testing::crop(shown, {r.left, r.top, r.right - 2, r.bottom});
      const RECT ink = sorvel::testing::ink_box(inside, kFace);
      EXPECT_GT(ink.right - ink.left, 5) << "part " << i;
      EXPECT_LT(ink.left, 10) << "part " << i;
    }
  }
}

TEST_F(StatusBarOnScreen, Windows1252TextShowsTheAccentedLetter) {
  const Pixels e_grave = reference("\xE8");
  const Pixels plain_e = reference("e");
  SetWindowTextA(bar, "\xE8");
  settle();
  const Pixels shown = bar_pixels();
  const RECT ink = sorvel::testing::ink_box(shown, kFace);
  EXPECT_EQ(sorvel::testing::crop(shown, ink), e_grave);
  EXPECT_GT(e_grave.height, plain_e.height) << "the accent stands above the e";
}

TEST_F(StatusBarOnScreen, UpdateWindowPaintsANewTextAtOnce) {
  const Pixels before = bar_pixels();
  const Pixels expected = reference("altro");
  SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("altro"));
  XSync(platform::x11::testing::driver_display(), False);
  EXPECT_EQ(bar_pixels(), before) << "nothing is drawn before the paint";
  UpdateWindow(bar);
  XSync(platform::x11::testing::driver_display(), False);
  const Pixels shown = bar_pixels();
  EXPECT_EQ(sorvel::testing::crop(shown, sorvel::testing::ink_box(shown, kFace)), expected);
}

TEST_F(StatusBarOnScreen, AnExposedBarPaintsItselfAgain) {
  const Pixels before = bar_pixels();
  // A red window over the bar; when it goes, the server asks for the bar again.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = CreateSolidBrush(RGB(200, 0, 0));
  wc.lpszClassName = "Cover";
  RegisterClassA(&wc);
  const RECT where = screen_rect(bar);
  const HWND cover = CreateWindowExA(0, "Cover", "cover", WS_POPUP | WS_VISIBLE, where.left - 5, where.top - 5,
                                     where.right - where.left + 10, where.bottom - where.top + 10, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(probe.wait_for_top_level("cover"), 0u);
  settle();
  ASSERT_EQ(bar_pixels().at(1, 1), 0xC80000u) << "covered";
  DestroyWindow(cover);
  UnregisterClassA("Cover", GetModuleHandleA(nullptr));
  DeleteObject(wc.hbrBackground);
  for (int i = 0; i < 100 && bar_pixels() != before; ++i) settle();
  EXPECT_EQ(bar_pixels(), before);
}

}  // namespace
