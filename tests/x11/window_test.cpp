// Native windows on a real X server, seen from a second connection: frames
// and geometry, titles and window-manager properties, the close protocol,
// cursors, X errors and the cost of an empty pump.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <sys/socket.h>

#include <string>
#include <thread>

#include "platform/win32.h"
#include "platform/x11/x11_testing.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::Probe;
using sorvel::testing::procedure_log;

constexpr DWORD kCaptionStyle = 0x96CA0000;  // the library's windowed style
constexpr DWORD kBorderStyle = 0x96880000;   // its full-screen style

HWND make_window(const char* title, DWORD style, int width, int height) {
  return CreateWindowExA(0, sorvel::testing::logging_class(), title, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

class X11Window : public ::testing::Test {
 protected:
  void SetUp() override { procedure_log().clear(); }
  Probe probe;
};

TEST_F(X11Window, CaptionedWindowIsItsOuterSizeAtTheOriginWithClientInside) {
  const HWND hwnd = make_window("captioned", kCaptionStyle, 800, 600);
  ASSERT_NE(hwnd, nullptr);
  const Window outer = probe.wait_for_top_level("captioned");
  ASSERT_NE(outer, 0u);
  const auto outer_geometry = probe.geometry(outer);
  EXPECT_EQ(outer_geometry.x, 0);
  EXPECT_EQ(outer_geometry.y, 0);
  EXPECT_EQ(outer_geometry.width, 800);
  EXPECT_EQ(outer_geometry.height, 600);
  const auto inside = probe.viewable_children(outer);
  ASSERT_EQ(inside.size(), 1u);
  const auto client = probe.geometry(inside[0]);
  EXPECT_EQ(client.x, 3);
  EXPECT_EQ(client.y, 19);
  EXPECT_EQ(client.width, 794);
  EXPECT_EQ(client.height, 578);

  RECT window_rect;
  RECT client_rect;
  ASSERT_TRUE(GetWindowRect(hwnd, &window_rect));
  ASSERT_TRUE(GetClientRect(hwnd, &client_rect));
  EXPECT_EQ(window_rect.left, outer_geometry.x);
  EXPECT_EQ(window_rect.right - window_rect.left, outer_geometry.width);
  EXPECT_EQ(client_rect.right, client.width);
  EXPECT_EQ(client_rect.bottom, client.height);

  // Fixed size for the manager, placed where asked; the strip is face-coloured.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(probe.display(), outer, &hints, &supplied));
  EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize) && (hints.flags & USPosition));
  EXPECT_EQ(hints.min_width, 800);
  EXPECT_EQ(hints.max_width, 800);
  EXPECT_EQ(hints.min_height, 600);
  EXPECT_EQ(hints.max_height, 600);
  EXPECT_TRUE(probe.long_property(outer, "_MOTIF_WM_HINTS").empty()) << "the manager decorates it";
  EXPECT_EQ(probe.pixel(outer, 1, 1), 0xF0F0F0u);
  EXPECT_GE(probe.first_inked_row(outer, 3, 3, 200, 16), 0) << "the title is drawn in the strip";
  EXPECT_EQ(probe.pixel(outer, 799, 599), 0xF0F0F0u);
  DestroyWindow(hwnd);
  sorvel::testing::pump_arrived();
  EXPECT_FALSE(probe.exists(outer));
}

TEST_F(X11Window, FullScreenWindowIsUndecoratedScreenSizedWithOnePixelBorder) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(width, DisplayWidth(probe.display(), 0));
  EXPECT_EQ(height, DisplayHeight(probe.display(), 0));
  const HWND hwnd = make_window("full screen", kBorderStyle, width, height);
  ASSERT_NE(hwnd, nullptr);
  const Window outer = probe.wait_for_top_level("full screen");
  ASSERT_NE(outer, 0u);
  const auto geometry = probe.geometry(outer);
  EXPECT_EQ(geometry.x, 0);
  EXPECT_EQ(geometry.y, 0);
  EXPECT_EQ(geometry.width, width);
  EXPECT_EQ(geometry.height, height);
  const auto inside = probe.viewable_children(outer);
  ASSERT_EQ(inside.size(), 1u);
  const auto client = probe.geometry(inside[0]);
  EXPECT_EQ(client.x, 1);
  EXPECT_EQ(client.y, 1);
  EXPECT_EQ(client.width, width - 2);
  EXPECT_EQ(client.height, height - 2);
  EXPECT_EQ(probe.pixel(outer, 0, 0), 0x646464u) << "the border in the window-frame colour";
  EXPECT_EQ(probe.pixel(outer, width - 1, height - 1), 0x646464u);
  const std::vector<long> motif = probe.long_property(outer, "_MOTIF_WM_HINTS");
  ASSERT_GE(motif.size(), 3u);
  EXPECT_EQ(motif[0] & 2, 2) << "decorations are given";
  EXPECT_EQ(motif[2], 0) << "and there are none";
  DestroyWindow(hwnd);
}

TEST_F(X11Window, TitleGoesOutAsUtf8AndLatin1WithClassAndProtocols) {
  const HWND hwnd = make_window("la rispettiva applicazione non \xE8 stata", kCaptionStyle, 300, 200);
  ASSERT_NE(hwnd, nullptr);
  const Window outer = probe.wait_for_top_level("la rispettiva applicazione non \xC3\xA8 stata");
  ASSERT_NE(outer, 0u) << "_NET_WM_NAME carries the UTF-8 of 0xE8";
  EXPECT_EQ(probe.bytes_property(outer, "WM_NAME"), "la rispettiva applicazione non \xE8 stata");
  XClassHint class_hint{};
  ASSERT_TRUE(XGetClassHint(probe.display(), outer, &class_hint));
  EXPECT_STREQ(class_hint.res_class, "Sorvel");
  XFree(class_hint.res_name);
  XFree(class_hint.res_class);
  const std::vector<long> protocols = probe.long_property(outer, "WM_PROTOCOLS");
  EXPECT_NE(std::find(protocols.begin(), protocols.end(), static_cast<long>(probe.atom("WM_DELETE_WINDOW"))),
            protocols.end());
  EXPECT_EQ(probe.long_property(outer, "_NET_WM_WINDOW_TYPE"),
            std::vector<long>{static_cast<long>(probe.atom("_NET_WM_WINDOW_TYPE_NORMAL"))});

  // A later SetWindowTextA replaces both, the euro sign too.
  SetWindowTextA(hwnd, "\x80 5");
  probe.sync();
  sorvel::testing::pump_arrived();
  EXPECT_EQ(probe.bytes_property(outer, "_NET_WM_NAME"), "\xE2\x82\xAC 5");
  EXPECT_EQ(probe.bytes_property(outer, "WM_NAME"), "? 5") << "Latin-1 has no euro";
  DestroyWindow(hwnd);
}

TEST_F(X11Window, WindowManagerCloseArrivesAsSysCommandThenCloseThenDestroy) {
  const HWND hwnd = make_window("closing", kCaptionStyle, 300, 200);
  const Window outer = probe.wait_for_top_level("closing");
  ASSERT_NE(outer, 0u);
  procedure_log().clear();
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = outer;
  close.xclient.message_type = probe.atom("WM_PROTOCOLS");
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(probe.atom("WM_DELETE_WINDOW"));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(probe.display(), outer, False, NoEventMask, &close);
  probe.sync();
  sorvel::testing::pump([hwnd](const std::vector<MSG>&) { return !IsWindow(hwnd); });
  EXPECT_FALSE(IsWindow(hwnd));
  std::vector<UINT> order;
  for (const auto& logged : procedure_log()) {
    if (logged.message == WM_SYSCOMMAND || logged.message == WM_CLOSE || logged.message == WM_DESTROY) {
      order.push_back(logged.message);
      if (logged.message == WM_SYSCOMMAND) {
        EXPECT_EQ(logged.wparam & 0xFFF0, SC_CLOSE);
      }
    }
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  sorvel::testing::pump_arrived();
  EXPECT_FALSE(probe.exists(outer));
}

TEST_F(X11Window, ManagerMovesAndFocusChangesReachTheCore) {
  const HWND first = make_window("first", kCaptionStyle, 200, 100);
  const HWND second = make_window("second", kCaptionStyle, 200, 100);
  const Window first_outer = probe.wait_for_top_level("first");
  const Window second_outer = probe.wait_for_top_level("second");
  ASSERT_NE(first_outer, 0u);
  ASSERT_NE(second_outer, 0u);
  EXPECT_EQ(GetForegroundWindow(), second) << "the last one shown has the keyboard";

  XSetInputFocus(probe.display(), first_outer, RevertToParent, CurrentTime);
  probe.sync();
  sorvel::testing::pump([first](const std::vector<MSG>&) { return GetForegroundWindow() == first; });
  EXPECT_EQ(GetForegroundWindow(), first);
  EXPECT_EQ(GetActiveWindow(), first);

  // A manager tells where it put a window with a synthetic configure event.
  XEvent moved{};
  moved.xconfigure.type = ConfigureNotify;
  moved.xconfigure.event = moved.xconfigure.window = first_outer;
  moved.xconfigure.x = 40;
  moved.xconfigure.y = 25;
  moved.xconfigure.width = 200;
  moved.xconfigure.height = 100;
  XSendEvent(probe.display(), first_outer, False, StructureNotifyMask, &moved);
  probe.sync();
  RECT rect{};
  sorvel::testing::pump([first, &rect](const std::vector<MSG>&) {
    GetWindowRect(first, &rect);
    return rect.left == 40;
  });
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 25);
  EXPECT_EQ(rect.right, 240);
  POINT origin{0, 0};
  ClientToScreen(first, &origin);
  EXPECT_EQ(origin.x, 43);
  EXPECT_EQ(origin.y, 44);
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST_F(X11Window, WithAManagerActivationIsAskedOfIt) {
  // A manager names itself on the root and listens to its children.
  const Window manager = XCreateSimpleWindow(probe.display(), probe.root(), 0, 0, 1, 1, 0, 0, 0);
  const Atom check = probe.atom("_NET_SUPPORTING_WM_CHECK");
  for (Window on : {probe.root(), manager}) {
    XChangeProperty(probe.display(), on, check, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&manager), 1);
  }
  XSelectInput(probe.display(), probe.root(), SubstructureNotifyMask);
  probe.sync();
  const HWND hwnd = make_window("managed", kCaptionStyle, 200, 100);
  sorvel::testing::pump_arrived();
  Window asked_for = 0;
  for (int i = 0; i < 200 && asked_for == 0; ++i) {
    while (XPending(probe.display()) > 0 && asked_for == 0) {
      XEvent event;
      XNextEvent(probe.display(), &event);
      if (event.type == ClientMessage && event.xclient.message_type == probe.atom("_NET_ACTIVE_WINDOW")) {
        asked_for = event.xclient.window;
        EXPECT_EQ(event.xclient.data.l[0], 1) << "asked by an application";
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(asked_for, probe.wait_for_top_level("managed"));
  XDeleteProperty(probe.display(), probe.root(), check);
  XSelectInput(probe.display(), probe.root(), NoEventMask);
  XDestroyWindow(probe.display(), manager);
  probe.sync();
  DestroyWindow(hwnd);
}

TEST_F(X11Window, ChildWindowSitsInItsParentsClientArea) {
  const HWND parent = make_window("parent", kCaptionStyle, 400, 300);
  const HWND child = CreateWindowExA(0, sorvel::testing::logging_class(), "", WS_CHILD | WS_VISIBLE, 10, 20, 50, 40,
                                     parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  const Window outer = probe.wait_for_top_level("parent");
  ASSERT_NE(outer, 0u);
  const auto client = probe.viewable_children(outer);
  ASSERT_EQ(client.size(), 1u);
  const auto in_client = probe.viewable_children(client[0]);
  ASSERT_EQ(in_client.size(), 1u);
  const auto geometry = probe.geometry(in_client[0]);
  EXPECT_EQ(geometry.x, 10);
  EXPECT_EQ(geometry.y, 20);
  EXPECT_EQ(geometry.width, 50);
  EXPECT_EQ(geometry.height, 40);
  MoveWindow(child, 30, 5, 60, 10, TRUE);
  probe.sync();
  sorvel::testing::pump_arrived();
  const auto moved = probe.geometry(in_client[0]);
  EXPECT_EQ(moved.x, 30);
  EXPECT_EQ(moved.width, 60);
  DestroyWindow(parent);
}

TEST_F(X11Window, SystemCursorsShowOverTheWindowByName) {
  const HWND hwnd = make_window("cursors", kCaptionStyle, 300, 200);
  const Window outer = probe.wait_for_top_level("cursors");
  ASSERT_NE(outer, 0u);
  probe.move_pointer(150, 100);
  int event_base = 0;
  int error_base = 0;
  ASSERT_TRUE(XFixesQueryExtension(probe.display(), &event_base, &error_base));
  struct Case {
    LPCSTR id;
    const char* name;
  };
  const Case cases[] = {{IDC_ARROW, "default"},        {IDC_IBEAM, "text"},           {IDC_WAIT, "wait"},
                        {IDC_CROSS, "crosshair"},      {IDC_UPARROW, "up-arrow"},     {IDC_SIZE, "all-scroll"},
                        {IDC_SIZENWSE, "nwse-resize"}, {IDC_SIZENESW, "nesw-resize"}, {IDC_SIZEWE, "ew-resize"},
                        {IDC_SIZENS, "ns-resize"},     {IDC_SIZEALL, "move"},         {IDC_NO, "not-allowed"},
                        {IDC_HAND, "pointer"},         {IDC_APPSTARTING, "progress"}, {IDC_HELP, "help"}};
  for (const Case& c : cases) {
    SetCursor(LoadCursorA(nullptr, c.id));
    sorvel::testing::pump_arrived();
    XFixesCursorImage* shown = XFixesGetCursorImage(probe.display());
    ASSERT_NE(shown, nullptr);
    EXPECT_STREQ(shown->name, c.name);
    EXPECT_GT(shown->width, 0);
    XFree(shown);
  }
  DestroyWindow(hwnd);
}

TEST_F(X11Window, AnXErrorIsRecordedAndTheProcessGoesOn) {
  const HWND hwnd = make_window("doomed", kCaptionStyle, 200, 100);
  const Window outer = probe.wait_for_top_level("doomed");
  ASSERT_NE(outer, 0u);
  const unsigned long before = platform::x11::testing::error_count();
  // Another client destroys our window under us; our own destroy then
  // names a window that is gone.
  XDestroyWindow(probe.display(), outer);
  probe.sync();
  DestroyWindow(hwnd);
  sorvel::testing::pump_arrived();
  EXPECT_GT(platform::x11::testing::error_count(), before);
  EXPECT_EQ(platform::x11::testing::last_error_code(), BadWindow);
  EXPECT_FALSE(IsWindow(hwnd));
  // The layer still works.
  const HWND again = make_window("after the error", kCaptionStyle, 200, 100);
  EXPECT_NE(probe.wait_for_top_level("after the error"), 0u);
  DestroyWindow(again);
}

TEST_F(X11Window, EmptyPumpSendsNoRequest) {
  const HWND hwnd = make_window("idle", kCaptionStyle, 200, 100);
  ASSERT_NE(probe.wait_for_top_level("idle"), 0u);
  sorvel::testing::pump_arrived();
  Display* driver = platform::x11::testing::driver_display();
  ASSERT_NE(driver, nullptr);
  const unsigned long before = XNextRequest(driver);
  MSG msg;
  for (int i = 0; i < 1000; ++i) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      GetMessageA(&msg, nullptr, 0, 0);
      DispatchMessageA(&msg);
    }
  }
  EXPECT_EQ(XNextRequest(driver), before);
  DestroyWindow(hwnd);
}

TEST_F(X11Window, LosingTheDisplayEndsTheProcessCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const HWND hwnd = make_window("lost", kCaptionStyle, 200, 100);
        if (hwnd == nullptr) std::_Exit(5);
        shutdown(ConnectionNumber(platform::x11::testing::driver_display()), SHUT_RDWR);
        for (;;) {
          MSG msg;
          PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
          SwapBuffers(GetDC(hwnd));
        }
      },
      ::testing::ExitedWithCode(0), "connection to the display was lost");
}

}  // namespace
