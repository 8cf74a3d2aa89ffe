// What the driver paints, read back from the server: filled rectangles,
// Windows-1252 text through Xft, images blended through XRender, and the
// window's shape and icon.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <thread>
#include <vector>

#include "platform/core/driver.h"
#include "platform/win32.h"
#include "platform/x11/x11_driver.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::Probe;
using sorvel::testing::pump_arrived;

constexpr DWORD kCaptionStyle = 0x96CA0000;

class X11Paint : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = CreateWindowExA(0, sorvel::testing::logging_class(), "paint", kCaptionStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    outer = probe.wait_for_top_level("paint");
    ASSERT_NE(outer, 0u);
    pump_arrived();  // the first paint is done
    const auto inside = probe.viewable_children(outer);
    ASSERT_EQ(inside.size(), 1u);
    client = inside[0];
  }
  void TearDown() override { DestroyWindow(hwnd); }

  Probe probe;
  HWND hwnd = nullptr;
  Window outer = 0;
  Window client = 0;
};

TEST_F(X11Paint, FillRectPaintsTheBrushColourInClientCoordinates) {
  const HDC hdc = GetDC(hwnd);
  const RECT area{10, 20, 30, 40};
  const HBRUSH brush = CreateSolidBrush(RGB(200, 50, 25));
  FillRect(hdc, &area, brush);
  pump_arrived();
  EXPECT_EQ(probe.pixel(client, 10, 20), 0xC83219u);
  EXPECT_EQ(probe.pixel(client, 29, 39), 0xC83219u);
  EXPECT_EQ(probe.pixel(client, 30, 40), 0xF0F0F0u) << "right and bottom edges are outside";
  DeleteObject(brush);
  ReleaseDC(hwnd, hdc);
}

TEST_F(X11Paint, TextIsDrawnFromWindows1252AndClippedToItsRectangle) {
  const HDC hdc = GetDC(hwnd);
  RECT measured_e{0, 0, 0, 0};
  RECT measured_egrave{0, 0, 0, 0};
  DrawTextA(hdc, "e", 1, &measured_e, DT_CALCRECT | DT_SINGLELINE);
  DrawTextA(hdc, "\xE8", 1, &measured_egrave, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_GT(measured_e.right, 0);
  EXPECT_EQ(measured_egrave.right, measured_e.right) << "one glyph of the same advance, not an invalid byte";
  EXPECT_GT(measured_e.bottom, 10) << "a dialog-sized line";

  SetBkMode(hdc, TRANSPARENT);
  RECT e_box{20, 20, 60, 60};
  RECT egrave_box{80, 20, 120, 60};
  DrawTextA(hdc, "e", 1, &e_box, DT_SINGLELINE | DT_NOPREFIX);
  DrawTextA(hdc, "\xE8", 1, &egrave_box, DT_SINGLELINE | DT_NOPREFIX);
  RECT clipped{140, 20, 144, 60};
  DrawTextA(hdc, "WWWW", 4, &clipped, DT_SINGLELINE | DT_NOPREFIX);
  pump_arrived();
  const int e_top = probe.first_inked_row(client, 20, 20, 40, 40);
  const int egrave_top = probe.first_inked_row(client, 80, 20, 40, 40);
  ASSERT_GE(e_top, 0);
  ASSERT_GE(egrave_top, 0);
  EXPECT_LT(egrave_top, e_top) << "the grave accent rises above the e";
  EXPECT_GE(probe.first_inked_row(client, 140, 20, 4, 40), 0);
  EXPECT_EQ(probe.first_inked_row(client, 144, 20, 40, 40), -1) << "nothing past the clip";
  ReleaseDC(hwnd, hdc);
}

TEST_F(X11Paint, WindowRegionBecomesTheBoundingShapeAndGoesAgain) {
  SetWindowRgn(hwnd, CreateRectRgn(0, 0, 50, 40), TRUE);
  pump_arrived();
  int count = 0;
  int ordering = 0;
  XRectangle* rects = XShapeGetRectangles(probe.display(), outer, ShapeBounding, &count, &ordering);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(rects[0].x, 0);
  EXPECT_EQ(rects[0].width, 50);
  EXPECT_EQ(rects[0].height, 40);
  XFree(rects);
  SetWindowRgn(hwnd, nullptr, TRUE);
  pump_arrived();
  rects = XShapeGetRectangles(probe.display(), outer, ShapeBounding, &count, &ordering);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(rects[0].width, 300) << "the whole window again";
  XFree(rects);
}

TEST_F(X11Paint, ClassIconBecomesTheWindowManagersIcon) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.lpszClassName = "WithIcon";
  ASSERT_NE(RegisterClassA(&wc), 0);
  const HWND with_icon = CreateWindowExA(0, "WithIcon", "icon", kCaptionStyle, 0, 0, 100, 100, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
  const Window window = probe.wait_for_top_level("icon");
  ASSERT_NE(window, 0u);
  const std::vector<long> icon = probe.long_property(window, "_NET_WM_ICON");
  ASSERT_EQ(icon.size(), 2u + 32u * 32u);
  EXPECT_EQ(icon[0], 32);
  EXPECT_EQ(icon[1], 32);
  EXPECT_TRUE(std::any_of(icon.begin() + 2, icon.end(), [](long pixel) { return (pixel >> 24 & 0xFF) == 0xFF; }));
  DestroyWindow(with_icon);
}

// The driver's own primitives, on a second driver of the process: a
// frameless window of that size at the origin, shown.
platform::NativeId shown_window(platform::DisplayDriver& driver, LONG width, LONG height) {
  platform::NativeWindowSpec request;
  request.window_rect = {0, 0, width, height};
  request.client_rect = request.window_rect;
  const platform::NativeId window = driver.create_window(request);
  if (window != 0) driver.show_window(window, true);
  return window;
}

TEST(X11Driver, ImagesBlendOverWhatIsThereOrReplaceIt) {
  const std::unique_ptr<platform::DisplayDriver> driver = platform::make_x11_driver();
  ASSERT_NE(driver, nullptr);
  const platform::NativeId window = shown_window(*driver, 40, 20);
  ASSERT_NE(window, 0u);
  driver->fill_rect(window, {0, 0, 40, 20}, RGB(255, 255, 255));
  const std::vector<std::uint32_t> half_red(10 * 10, 0x80FF0000u);
  driver->put_image(window, 0, 0, 10, 10, half_red.data(), 10, true);
  driver->put_image(window, 20, 0, 10, 10, half_red.data(), 10, false);
  driver->cursor_position();  // a round trip: the server has drawn it all

  Probe probe;
  Window client = 0;
  for (int i = 0; i < 200 && client == 0; ++i) {
    const auto inside = probe.viewable_children(window);
    if (!inside.empty()) client = inside[0];
  }
  ASSERT_NE(client, 0u);
  XSync(probe.display(), False);
  const unsigned long blended = probe.pixel(client, 5, 5);
  EXPECT_EQ(blended >> 16, 0xFFu);
  EXPECT_NEAR(static_cast<double>((blended >> 8) & 0xFF), 127.0, 2.0);
  EXPECT_NEAR(static_cast<double>(blended & 0xFF), 127.0, 2.0);
  EXPECT_EQ(probe.pixel(client, 25, 5), 0xFF0000u) << "copied opaque";
  EXPECT_EQ(probe.pixel(client, 35, 5), 0xFFFFFFu);
  driver->destroy_window(window);
}

TEST(X11Driver, ImageCursorsShowWithTheirSizeHotspotAndFrames) {
  const std::unique_ptr<platform::DisplayDriver> driver = platform::make_x11_driver();
  ASSERT_NE(driver, nullptr);
  const platform::NativeId window = shown_window(*driver, 64, 64);
  ASSERT_NE(window, 0u);
  platform::CursorImage image;
  for (std::uint32_t colour : {0xFFFF0000u, 0xFF0000FFu}) {
    platform::CursorFrame frame;
    frame.width = 24;
    frame.height = 16;
    frame.hotspot_x = 5;
    frame.hotspot_y = 7;
    frame.delay_ms = 50;
    frame.pixels.assign(24 * 16, colour);
    image.frames.push_back(frame);
  }
  platform::CursorFrame broken;  // no pixels: left out, not read
  broken.width = broken.height = 8;
  image.frames.push_back(broken);
  const platform::NativeId cursor = driver->create_cursor(image);
  ASSERT_NE(cursor, 0u);
  driver->set_window_cursor(window, cursor);
  driver->set_cursor_position({30, 30});
  driver->cursor_position();

  Probe probe;
  ASSERT_TRUE(probe.wait_viewable(window, false));
  std::vector<unsigned long> colours_seen;
  for (int i = 0; i < 100 && colours_seen.size() < 2; ++i) {
    XFixesCursorImage* shown = XFixesGetCursorImage(probe.display());
    ASSERT_NE(shown, nullptr);
    if (shown->width <= 1) {  // an animation shows an empty image until its first tick
      XFree(shown);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    EXPECT_EQ(shown->width, 24);
    EXPECT_EQ(shown->height, 16);
    EXPECT_EQ(shown->xhot, 5);
    EXPECT_EQ(shown->yhot, 7);
    const unsigned long colour = shown->pixels[0] & 0xFFFFFFFF;
    if (std::find(colours_seen.begin(), colours_seen.end(), colour) == colours_seen.end()) {
      colours_seen.push_back(colour);
    }
    XFree(shown);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(colours_seen.size(), 2u) << "both frames of the animation show";
  EXPECT_EQ(driver->create_cursor(platform::CursorImage{}), 0u) << "no frames, no cursor";
  driver->destroy_window(window);
  driver->destroy_cursor(cursor);
}

}  // namespace
