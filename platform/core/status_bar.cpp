// The common controls' status bar: a child window along the bottom of its
// parent's client area, cut into parts at given right edges, each part with
// its own text, drawn in the status font.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/desktop.h"
#include "platform/core/system_classes.h"
#include "platform/win32.h"

using platform::core::desktop;

namespace {

constexpr int kVerticalBorder = 2;  // face colour above and below the parts
constexpr int kTextPadding = 1;     // between a part's edge rows and its text
constexpr int kSeparatorWidth = 2;  // shadow and highlight columns ending a part
constexpr int kTextMargin = 4;      // left of a part's text
constexpr std::size_t kMostParts = 256;
constexpr std::size_t kLongestText = 0xFFFF;  // a length must fit the low word of SB_GETTEXTLENGTHA
constexpr WPARAM kDrawingTypes = SBT_NOBORDERS | SBT_POPOUT | SBT_RTLREADING;

struct Part {
  int right_edge = -1;  // client x, or any negative value: up to the right border
  std::string text;     // Windows-1252
  WPARAM drawing_type = 0;
};

struct StatusBar {
  std::vector<Part> parts = std::vector<Part>(1);
};

StatusBar* bar_of(HWND hwnd) { return reinterpret_cast<StatusBar*>(GetWindowLongPtrA(hwnd, 0)); }

HGDIOBJ status_font() {
  static const HGDIOBJ font = [] {
    auto object = std::make_unique<platform::core::Font>();
    object->face = platform::UiFont::kStatus;
    object->permanent = true;
    return desktop().add<HGDIOBJ>(std::move(object));
  }();
  return font;
}

int bar_height() {
  return desktop().driver().measure_text("Ag", platform::UiFont::kStatus).height + 2 * (kVerticalBorder + kTextPadding);
}

// Along the bottom of the parent's client area, as wide as it.
void align_to_parent(HWND hwnd) {
  const HWND parent = GetParent(hwnd);
  RECT parent_client;
  if ((GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0 || !GetClientRect(parent, &parent_client)) return;
  const int height = bar_height();
  const RECT wanted{0, parent_client.bottom - height, parent_client.right, parent_client.bottom};
  RECT now;
  GetWindowRect(hwnd, &now);
  POINT corner{now.left, now.top};
  ScreenToClient(parent, &corner);
  if (corner.x == wanted.left && corner.y == wanted.top && now.right - now.left == wanted.right &&
      now.bottom - now.top == height) {
    return;  // also ends the WM_SIZE that our own move sends
  }
  MoveWindow(hwnd, wanted.left, wanted.top, wanted.right - wanted.left, height, TRUE);
}

// A part's rectangle in client coordinates; empty when its edge lies at or
// left of the edge before it.
RECT part_rect(const StatusBar& bar, std::size_t index, const RECT& client) {
  auto right_of = [&](std::size_t i) {
    const int edge = bar.parts[i].right_edge;
    return edge < 0 ? client.right : std::min<LONG>(edge, client.right);
  };
  LONG left = 0;
  for (std::size_t i = 0; i < index; ++i) left = std::max(left, right_of(i));
  const LONG right = std::max(left, right_of(index));
  return {left, kVerticalBorder, right, std::max<LONG>(kVerticalBorder, client.bottom - kVerticalBorder)};
}

bool reaches_right_border(const Part& part, const RECT& client) {
  return part.right_edge < 0 || part.right_edge >= client.right;
}

void fill(HDC hdc, LONG left, LONG top, LONG right, LONG bottom, int color) {
  const RECT r{left, top, right, bottom};
  FillRect(hdc, &r, GetSysColorBrush(color));
}

// Text before a first tab is left-aligned, after it centred, after a second
// one right-aligned.
void draw_part_text(HDC hdc, std::string_view text, RECT area) {
  static constexpr std::array<UINT, 3> kAlignments = {DT_LEFT, DT_CENTER, DT_RIGHT};
  for (UINT alignment : kAlignments) {
    const std::size_t tab = alignment == DT_RIGHT ? std::string_view::npos : text.find('\t');
    const std::string_view piece = text.substr(0, tab);
    if (!piece.empty()) {
      DrawTextA(hdc, piece.data(), static_cast<int>(piece.size()), &area,
                alignment | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (tab == std::string_view::npos) return;
    text.remove_prefix(tab + 1);
  }
}

void paint(HWND hwnd, const StatusBar& bar) {
  PAINTSTRUCT ps;
  const HDC hdc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SelectObject(hdc, status_font());
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  SetBkMode(hdc, TRANSPARENT);
  for (std::size_t i = 0; i < bar.parts.size(); ++i) {
    const Part& part = bar.parts[i];
    const RECT r = part_rect(bar, i, client);
    if (r.right <= r.left) continue;
    const bool separated = (part.drawing_type & SBT_NOBORDERS) == 0 && !reaches_right_border(part, client);
    if (separated) {
      // Sunken: shadow then highlight; a pop-out part the other way round.
      const bool raised = (part.drawing_type & SBT_POPOUT) != 0;
      fill(hdc, r.right - 2, r.top, r.right - 1, r.bottom, raised ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
      fill(hdc, r.right - 1, r.top, r.right, r.bottom, raised ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    }
    RECT text_area{r.left + kTextMargin, r.top, r.right - kSeparatorWidth, r.bottom};
    if (text_area.right > text_area.left) draw_part_text(hdc, part.text, text_area);
  }
  EndPaint(hwnd, &ps);
}

void repaint_part(HWND hwnd, const StatusBar& bar, std::size_t index) {
  RECT client;
  GetClientRect(hwnd, &client);
  const RECT r = part_rect(bar, index, client);
  InvalidateRect(hwnd, &r, FALSE);
}

std::string text_from(LPARAM lparam) {
  const auto* text = reinterpret_cast<const char*>(lparam);
  if (text == nullptr) return {};
  return std::string(text, strnlen(text, kLongestText));
}

LRESULT set_parts(HWND hwnd, StatusBar& bar, WPARAM count, LPARAM lparam) {
  // A bar always has at least one part: a count of 0 changes nothing.
  const auto* edges = reinterpret_cast<const int*>(lparam);
  if (count == 0 || count > kMostParts || edges == nullptr) return FALSE;
  bar.parts.resize(count);
  for (std::size_t i = 0; i < count; ++i) bar.parts[i].right_edge = edges[i];
  InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

LRESULT get_parts(const StatusBar& bar, WPARAM wanted, LPARAM lparam) {
  if (auto* edges = reinterpret_cast<int*>(lparam)) {
    const std::size_t count = std::min<std::size_t>(wanted, bar.parts.size());
    for (std::size_t i = 0; i < count; ++i) edges[i] = bar.parts[i].right_edge;
  }
  return static_cast<LRESULT>(bar.parts.size());
}

LRESULT set_text(HWND hwnd, StatusBar& bar, WPARAM wparam, LPARAM lparam) {
  const std::size_t index = LOBYTE(wparam);
  // Owner drawing is not offered: such a part would carry data, not text.
  if (index >= bar.parts.size() || (wparam & SBT_OWNERDRAW) != 0) return FALSE;
  Part& part = bar.parts[index];
  std::string text = text_from(lparam);
  const WPARAM drawing_type = wparam & kDrawingTypes;
  if (text != part.text || drawing_type != part.drawing_type) {
    part.text = std::move(text);
    part.drawing_type = drawing_type;
    repaint_part(hwnd, bar, index);
  }
  return TRUE;
}

// Length in the low word, drawing type in the high word.
LRESULT text_length_and_type(const StatusBar& bar, WPARAM index, char* copy_to) {
  if (index >= bar.parts.size()) return 0;
  const Part& part = bar.parts[index];
  if (copy_to != nullptr) {
    std::memcpy(copy_to, part.text.data(), part.text.size());
    copy_to[part.text.size()] = '\0';
  }
  return MAKELONG(static_cast<WORD>(part.text.size()), static_cast<WORD>(part.drawing_type));
}

LRESULT get_rect(const StatusBar& bar, HWND hwnd, WPARAM index, LPARAM lparam) {
  auto* out = reinterpret_cast<RECT*>(lparam);
  if (index >= bar.parts.size() || out == nullptr) return FALSE;
  RECT client;
  GetClientRect(hwnd, &client);
  *out = part_rect(bar, index, client);
  return TRUE;
}

LRESULT get_borders(LPARAM lparam) {
  auto* borders = reinterpret_cast<int*>(lparam);
  if (borders == nullptr) return FALSE;
  borders[0] = 0;
  borders[1] = kVerticalBorder;
  borders[2] = kSeparatorWidth;
  return TRUE;
}

}  // namespace

namespace platform::core {

LRESULT status_bar_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(new StatusBar));
  StatusBar* bar = bar_of(hwnd);
  if (bar == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
      if (create != nullptr && !IS_INTRESOURCE(create->lpszName)) {
        bar->parts.front().text = text_from(reinterpret_cast<LPARAM>(create->lpszName));
      }
      align_to_parent(hwnd);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, 0, 0);
      delete bar;
      return DefWindowProcA(hwnd, message, wparam, lparam);
    case WM_SIZE:
      // The parent passes its own size on; the bar follows the parent.
      align_to_parent(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      paint(hwnd, *bar);
      return 0;
    case WM_SETTEXT:  // part 0, its drawing type kept
      return set_text(hwnd, *bar, 0 | bar->parts.front().drawing_type, lparam);
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lparam);
      if (buffer == nullptr || wparam == 0) return 0;
      const std::string& text = bar->parts.front().text;
      const std::size_t count = std::min<std::size_t>(text.size(), wparam - 1);
      std::memcpy(buffer, text.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(bar->parts.front().text.size());
    case SB_SETPARTS:
      return set_parts(hwnd, *bar, wparam, lparam);
    case SB_GETPARTS:
      return get_parts(*bar, wparam, lparam);
    case SB_SETTEXTA:
      return set_text(hwnd, *bar, wparam, lparam);
    case SB_GETTEXTA:
      return text_length_and_type(*bar, wparam, reinterpret_cast<char*>(lparam));
    case SB_GETTEXTLENGTHA:
      return text_length_and_type(*bar, wparam, nullptr);
    case SB_GETRECT:
      return get_rect(*bar, hwnd, wparam, lparam);
    case SB_GETBORDERS:
      return get_borders(lparam);
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

}  // namespace platform::core

void InitCommonControls() {}

HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id) {
  // The bar places itself once it knows its parent.
  return CreateWindowExA(0, STATUSCLASSNAMEA, text, static_cast<DWORD>(style), 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}
