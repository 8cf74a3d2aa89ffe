// The library's class cursor and icon on a real X server: each cursor kind
// is the system cursor the server shows over the window, a cursor file
// shows its own image, an unloadable one leaves the window without a class
// cursor, and the icon kinds reach the window manager's icon. Registration
// and creation are the library's own steps, repeated for each kind.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/extensions/Xfixes.h>

#include <string>
#include <vector>

#include "platform/core/desktop.h"
#include "sorvel/sorvel.h"
#include "sorvel/window/window_internal.h"
#include "sorvel/window/window_texts.h"
#include "tests/cursors/cursor_writer.h"
#include "tests/support/test_files.h"
#include "tests/support/x11_probe.h"

namespace {

namespace writer = sorvel::testing;
using sorvel::testing::pump_arrived;

constexpr int kSide = 32;

// Opaque colours with fully clear pixels between them, so that the
// premultiplied form the server keeps is the same as the straight one.
std::vector<std::uint32_t> test_picture() {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const auto r = static_cast<std::uint32_t>(x * 8);
      const auto g = static_cast<std::uint32_t>(y * 8);
      pixels.push_back((x + y) % 3 == 0 ? 0u : 0xFF000040u | r << 16 | g << 8);
    }
  }
  return pixels;
}

writer::Bytes test_cursor_file() {
  const writer::DibPicture picture{
      kSide, kSide, 32, {}, test_picture(), std::vector<bool>(static_cast<std::size_t>(kSide * kSide), false)};
  return writer::icon_directory(writer::kCursorFile, {{writer::dib_bytes(picture), kSide, kSide, 5, 7}});
}

std::string cursor_name(Display* display, Cursor cursor) {
  Atom atom = 0;
  const char* name = XFixesGetCursorName(display, cursor, &atom);
  std::string out = name != nullptr ? name : "";
  if (name != nullptr) XFree(const_cast<char*>(name));
  return out;
}

struct ShownCursor {
  std::string name;
  unsigned long serial = 0;
  int width = 0;
  int height = 0;
  int hotspot_x = 0;
  int hotspot_y = 0;
  std::vector<std::uint32_t> pixels;
};

class ClassCursorAndIcon : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window != nullptr) DestroyWindow(window);
    pump_arrived();
  }

  // The library's registration and creation with these settings; the
  // pointer over the client area.
  void create(std::int32_t cursor_kind, const char* cursor_file, std::int32_t icon_kind, const char* icon_file) {
    if (window != nullptr) DestroyWindow(window);
    UnregisterClassA(sorvel::texts::kWindowClass, GetModuleHandleA(nullptr));
    OGLWINDOWSETTING(cursor_kind, cursor_file, icon_kind, icon_file);
    ASSERT_TRUE(WINDOWREGISTER());
    FULLSCREEN = false;
    WIDTH = 300;
    HEIGHT = 200;
    window = WINDOWCREATE("cursore");
    ASSERT_NE(window, nullptr);
    outer = probe.wait_for_top_level("cursore");
    ASSERT_NE(outer, 0u);
    pointer_over_window();
  }

  void pointer_over_window() {
    probe.move_pointer(900, 700);
    probe.move_pointer(150, 100);
    pump_arrived();
  }

  ShownCursor shown() {
    ShownCursor out;
    XFixesCursorImage* image = XFixesGetCursorImage(probe.display());
    if (image == nullptr) return out;
    out = {image->name != nullptr ? image->name : "",
           image->cursor_serial,
           image->width,
           image->height,
           image->xhot,
           image->yhot,
           {}};
    for (std::size_t i = 0; i < static_cast<std::size_t>(image->width) * image->height; ++i) {
      out.pixels.push_back(static_cast<std::uint32_t>(image->pixels[i]));
    }
    XFree(image);
    return out;
  }

  // _NET_WM_ICON's 32-bit values (Xlib hands them over sign-extended).
  std::vector<std::uint32_t> icon() {
    std::vector<std::uint32_t> out;
    for (long value : probe.long_property(outer, "_NET_WM_ICON")) out.push_back(static_cast<std::uint32_t>(value));
    return out;
  }

  sorvel::testing::Probe probe;
  sorvel::testing::TempDir files;
  HWND window = nullptr;
  Window outer = 0;
};

TEST_F(ClassCursorAndIcon, EachKindShowsItsSystemCursorOverTheWindow) {
  struct Kind {
    std::int32_t kind;
    int idc;
  };
  const Kind kinds[] = {{ARROW, 32512},   {IBEAM, 32513},    {WAIT, 32514},     {CROSS, 32515},       {UPARROW, 32516},
                        {SIZE, 32640},    {SIZENWSE, 32642}, {SIZENESW, 32643}, {SIZEWE, 32644},      {SIZENS, 32645},
                        {SIZEALL, 32646}, {NOCURSOR, 32648}, {HAND, 32649},     {APPSTARTING, 32650}, {HELP, 32651}};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.kind);
    ASSERT_NO_FATAL_FAILURE(create(k.kind, "ignored.cur", GENERIC, ""));
    const HCURSOR system = LoadCursorA(nullptr, MAKEINTRESOURCEA(k.idc));
    const std::string expected = cursor_name(probe.display(), platform::core::native_cursor(system));
    ASSERT_FALSE(expected.empty()) << "the driver names its cursors";
    EXPECT_EQ(shown().name, expected);
  }
}

TEST_F(ClassCursorAndIcon, ACursorFileShowsItsOwnImageAndHotspot) {
  const std::string path = files.write("own.cur", test_cursor_file()).string();
  ASSERT_NO_FATAL_FAILURE(create(FILECURSOR, path.c_str(), GENERIC, ""));
  const ShownCursor cursor = shown();
  EXPECT_EQ(cursor.width, kSide);
  EXPECT_EQ(cursor.height, kSide);
  EXPECT_EQ(cursor.hotspot_x, 5);
  EXPECT_EQ(cursor.hotspot_y, 7);
  EXPECT_EQ(cursor.pixels, test_picture());
}

TEST_F(ClassCursorAndIcon, AnUnloadableCursorFileGivesAWindowWithoutAClassCursor) {
  probe.move_pointer(900, 700);
  const unsigned long screen_cursor = shown().serial;
  const std::string garbage = files.write("garbage.cur", writer::Bytes(200, 0x5A)).string();
  const std::string missing = (files.path() / "missing.cur").string();
  for (const std::string& path : {garbage, missing}) {
    SCOPED_TRACE(path);
    ASSERT_NO_FATAL_FAILURE(create(FILECURSOR, path.c_str(), GENERIC, ""));
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), sorvel::texts::kWindowClass, &info));
    EXPECT_EQ(info.hCursor, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(shown().serial, screen_cursor) << "the screen's own cursor shows through";
  }
}

TEST_F(ClassCursorAndIcon, TheIconKindsBecomeTheWindowManagersIcon) {
  const std::string good = files.write("icon.cur", test_cursor_file()).string();
  const std::string missing = (files.path() / "missing.cur").string();
  std::vector<std::uint32_t> file_icon = {kSide, kSide};
  for (std::uint32_t pixel : test_picture()) file_icon.push_back(pixel);

  ASSERT_NO_FATAL_FAILURE(create(ARROW, "", FILEICON, good.c_str()));
  EXPECT_EQ(icon(), file_icon);

  ASSERT_NO_FATAL_FAILURE(create(ARROW, "", FILEICON, missing.c_str()));
  EXPECT_TRUE(icon().empty()) << "no class icon, no icon";

  ASSERT_NO_FATAL_FAILURE(create(ARROW, "", GENERIC, ""));
  const std::vector<std::uint32_t> generic = icon();
  ASSERT_GE(generic.size(), 2u);
  EXPECT_EQ(generic.size(), 2u + static_cast<std::size_t>(generic[0] * generic[1]));
  EXPECT_NE(generic, file_icon);
}

}  // namespace
