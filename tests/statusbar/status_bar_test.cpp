// The status bar control on the headless display: where it sits, its parts
// and texts as its messages set and report them, and the library's
// CREATESTATUSBAR over it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"
#include "sorvel/sorvel.h"
#include "sorvel/window/window_texts.h"

namespace {

constexpr UINT kBarId = 30482;

std::vector<WPARAM> g_context_menu_sources;

LRESULT parent_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CONTEXTMENU) g_context_menu_sources.push_back(wparam);
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

RECT rect_in_parent(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  POINT corner{r.left, r.top};
  ScreenToClient(parent, &corner);
  return {corner.x, corner.y, corner.x + (r.right - r.left), corner.y + (r.bottom - r.top)};
}

std::string part_text(HWND bar, WPARAM part) {
  const auto reply = static_cast<DWORD>(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0));
  std::string text(LOWORD(reply) + 1u, '\x7F');
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
  EXPECT_EQ(text.back(), '\0') << "the copy ends with its terminator";
  text.pop_back();
  return text;
}

std::vector<int> parts_of(HWND bar) {
  std::vector<int> edges(static_cast<std::size_t>(SendMessageA(bar, SB_GETPARTS, 0, 0)));
  SendMessageA(bar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  return edges;
}

bool set_parts(HWND bar, const std::vector<int>& edges) {
  return SendMessageA(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())) != FALSE;
}

RECT part_rect(HWND bar, WPARAM part) {
  RECT r{-1, -1, -1, -1};
  EXPECT_TRUE(SendMessageA(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r)));
  return r;
}

class StatusBar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::testing::use_headless_display();
    WNDCLASSA wc{};
    wc.lpfnWndProc = parent_proc;
    wc.lpszClassName = "StatusParent";
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(nullptr, wc.lpszClassName, &existing)) {
      ASSERT_NE(RegisterClassA(&wc), 0);
    }
  }

  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    parent = CreateWindowExA(0, "StatusParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    bar = CreateStatusWindowA(static_cast<LONG>(WS_CHILD | WS_VISIBLE), "Percorso file", parent, kBarId);
    ASSERT_NE(bar, nullptr);
    g_context_menu_sources.clear();
  }

  void TearDown() override {
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(bar)) << "the bar goes with its parent";
  }

  HWND parent = nullptr;
  HWND bar = nullptr;
};

TEST_F(StatusBar, SitsAlongTheParentsBottomAndFollowsItsSize) {
  EXPECT_EQ(GetParent(bar), parent);
  EXPECT_EQ(GetDlgCtrlID(bar), static_cast<int>(kBarId));
  EXPECT_TRUE(IsWindowVisible(bar));
  int borders[3] = {-1, -1, -1};
  ASSERT_TRUE(SendMessageA(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders)));
  const RECT placed = rect_in_parent(bar, parent);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.right, 400);
  EXPECT_EQ(placed.bottom, 300);
  // The headless display's text line is 16 pixels high.
  EXPECT_GT(placed.bottom - placed.top, 16 + 2 * borders[1]) << "a line of the status font and its borders";
  const int height = placed.bottom - placed.top;

  // A parent passes its size on, and the bar takes the new bottom and width.
  SetWindowPos(parent, nullptr, 0, 0, 500, 200, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(bar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 200));
  const RECT moved = rect_in_parent(bar, parent);
  EXPECT_EQ(moved.top, 200 - height);
  EXPECT_EQ(moved.right, 500);
  EXPECT_EQ(moved.bottom, 200);
}

TEST_F(StatusBar, StartsWithOnePartAcrossHoldingTheCreationText) {
  EXPECT_EQ(parts_of(bar), std::vector<int>{-1});
  EXPECT_EQ(part_text(bar, 0), "Percorso file");
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0), MAKELONG(13, 0)) << "length low, drawing type high";
  char title[32];
  EXPECT_EQ(GetWindowTextA(bar, title, sizeof title), 13);
  EXPECT_STREQ(title, "Percorso file");
  EXPECT_EQ(GetWindowTextA(bar, title, 5), 4) << "cut to the buffer";
  EXPECT_STREQ(title, "Perc");
  const RECT whole = part_rect(bar, 0);
  RECT client;
  GetClientRect(bar, &client);
  EXPECT_EQ(whole.left, 0);
  EXPECT_EQ(whole.right, client.right);
}

TEST_F(StatusBar, PartsSpanFromTheEdgeBeforeToTheirOwn) {
  struct Case {
    const char* name;
    std::vector<int> edges;
    std::vector<std::array<LONG, 2>> spans;  // left and right of each part
  };
  const Case cases[] = {
      {"three_parts_last_to_the_border", {100, 250, -1}, {{{0, 100}}, {{100, 250}}, {{250, 400}}}},
      {"edges_past_the_width_are_cut", {120, 900}, {{{0, 120}}, {{120, 400}}}},
      {"an_edge_left_of_the_one_before_is_empty", {200, 150, 300}, {{{0, 200}}, {{200, 200}}, {{200, 300}}}},
      {"after_a_part_to_the_border_nothing_is_left", {-1, 50}, {{{0, 400}}, {{400, 400}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(set_parts(bar, c.edges));
    EXPECT_EQ(parts_of(bar), c.edges) << "edges are reported as they were given";
    for (std::size_t i = 0; i < c.spans.size(); ++i) {
      const RECT r = part_rect(bar, i);
      EXPECT_EQ(r.left, c.spans[i][0]) << "part " << i;
      EXPECT_EQ(r.right, c.spans[i][1]) << "part " << i;
      EXPECT_LT(r.top, r.bottom);
    }
    RECT unused;
    EXPECT_FALSE(SendMessageA(bar, SB_GETRECT, c.edges.size(), reinterpret_cast<LPARAM>(&unused)));
  }
}

TEST_F(StatusBar, RefusedPartCountsChangeNothing) {
  ASSERT_TRUE(set_parts(bar, {100, -1}));
  const std::vector<int> most(256, -1);
  std::vector<int> too_many = most;
  too_many.push_back(-1);
  EXPECT_FALSE(set_parts(bar, {})) << "a bar keeps at least one part";
  EXPECT_FALSE(set_parts(bar, too_many));
  EXPECT_FALSE(SendMessageA(bar, SB_SETPARTS, 2, 0));
  EXPECT_EQ(parts_of(bar), (std::vector<int>{100, -1}));
  EXPECT_EQ(part_text(bar, 0), "Percorso file");

  ASSERT_TRUE(set_parts(bar, most));
  EXPECT_EQ(parts_of(bar).size(), 256u);
  // SB_GETPARTS fills no more than asked, and reports the count.
  std::array<int, 3> edges{7, 7, 7};
  ASSERT_TRUE(set_parts(bar, {10, 20, 30}));
  EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges.data())), 3);
  EXPECT_EQ(edges, (std::array<int, 3>{10, 20, 7}));
}

TEST_F(StatusBar, TextsGoToThePartInTheLowByteWithTheirDrawingType) {
  ASSERT_TRUE(set_parts(bar, {100, 200, -1}));
  EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>("due")));
  EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 2 | SBT_NOBORDERS, reinterpret_cast<LPARAM>("perch\xE8")));
  EXPECT_EQ(part_text(bar, 1), "due");
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, 1, 0), MAKELONG(3, SBT_POPOUT));
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTA, 2, 0), MAKELONG(6, SBT_NOBORDERS)) << "no buffer: only the answer";
  EXPECT_EQ(part_text(bar, 2), "perch\xE8") << "Windows-1252 bytes kept as they are";
  EXPECT_EQ(part_text(bar, 0), "Percorso file");

  EXPECT_TRUE(SetWindowTextA(bar, "primo")) << "the window text is part 0";
  EXPECT_EQ(part_text(bar, 0), "primo");
  EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 1, 0)) << "no text clears the part";
  EXPECT_EQ(part_text(bar, 1), "");

  EXPECT_FALSE(SendMessageA(bar, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("none")));
  EXPECT_FALSE(SendMessageA(bar, SB_SETTEXTA, 0 | SBT_OWNERDRAW, 1234)) << "owner drawing is not offered";
  EXPECT_EQ(part_text(bar, 0), "primo");
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, 3, 0), 0);

  // Fewer parts drop the texts of the parts that went; new parts start empty.
  ASSERT_TRUE(set_parts(bar, {100}));
  ASSERT_TRUE(set_parts(bar, {100, 200, -1}));
  EXPECT_EQ(part_text(bar, 0), "primo");
  EXPECT_EQ(part_text(bar, 2), "");
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, 2, 0), 0);
}

TEST_F(StatusBar, ANewTextWaitsForThePaintThatUpdateWindowGives) {
  UpdateWindow(bar);
  RECT pending;
  ASSERT_FALSE(GetUpdateRect(bar, &pending, FALSE));
  SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Percorso file"));
  EXPECT_FALSE(GetUpdateRect(bar, &pending, FALSE)) << "the same text asks for no paint";
  SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("altro"));
  EXPECT_TRUE(GetUpdateRect(bar, &pending, FALSE));
  UpdateWindow(bar);
  EXPECT_FALSE(GetUpdateRect(bar, &pending, FALSE));
}

TEST_F(StatusBar, ARightClickOnTheBarAsksItsParentForTheContextMenu) {
  SendMessageA(bar, WM_RBUTTONUP, 0, MAKELPARAM(10, 5));
  EXPECT_EQ(g_context_menu_sources, std::vector<WPARAM>{reinterpret_cast<WPARAM>(bar)});
}

TEST_F(StatusBar, NoParentNoBar) {
  EXPECT_EQ(CreateStatusWindowA(static_cast<LONG>(WS_CHILD | WS_VISIBLE), "x", nullptr, kBarId), nullptr);
}

// The library's CREATESTATUSBAR on the same control.
class LibraryStatusBar : public StatusBar {
 protected:
  void SetUp() override {
    StatusBar::SetUp();
    DestroyWindow(bar);
    std::memset(FILENAME, 'x', sizeof FILENAME);
    STATUSITEM.fill(0);
    EDGES.fill(0);
    MAXSTATUSITEM = 0;
    AWND = nullptr;
  }
};

TEST_F(LibraryStatusBar, WithoutPartsTheInitialTextShowsAcrossTheBar) {
  const HWND made = CREATESTATUSBAR(parent);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made, AWND);
  EXPECT_STREQ(FILENAME, sorvel::texts::kStatusText);
  for (std::size_t i = std::strlen(FILENAME); i < sizeof FILENAME; ++i) ASSERT_EQ(FILENAME[i], '\0') << i;
  EXPECT_EQ(GetDlgCtrlID(made), 30482);
  EXPECT_EQ(GetWindowLongPtrA(made, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(parts_of(made), std::vector<int>{-1}) << "a count of 0 leaves the one part";
  EXPECT_EQ(part_text(made, 0), "Percorso file");
}

TEST_F(LibraryStatusBar, ThePartsAreTheCopiedEdges) {
  STATUSITEM[1] = 150;
  STATUSITEM[2] = 300;
  STATUSITEM[3] = -1;
  STATUSITEM[4] = 999;
  MAXSTATUSITEM = 3;
  const HWND made = CREATESTATUSBAR(parent);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(parts_of(made), (std::vector<int>{150, 300, -1}));
  EXPECT_EQ(EDGES[3], -1);
  EXPECT_EQ(EDGES[4], 0) << "only the first MAXSTATUSITEM entries are copied";
}

TEST_F(LibraryStatusBar, WithoutAParentNothingIsMadeOrSent) {
  MAXSTATUSITEM = 21;  // never read: no bar, no parts
  EXPECT_EQ(CREATESTATUSBAR(nullptr), nullptr);
  EXPECT_EQ(AWND, nullptr);
  EXPECT_STREQ(FILENAME, sorvel::texts::kStatusText);
}

TEST_F(LibraryStatusBar, MoreThanTwentyPartsStopTheProgram) {
  MAXSTATUSITEM = 21;
  EXPECT_EXIT(CREATESTATUSBAR(parent), ::testing::ExitedWithCode(70), "index 21 is outside 1..20");
}

}  // namespace
