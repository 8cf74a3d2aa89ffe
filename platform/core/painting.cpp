// Update areas, paint cycles and window device contexts, and the few
// drawing calls the built-in controls make.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::Desktop;
using platform::core::desktop;
using platform::core::DeviceContext;
using platform::core::send;
using platform::core::Window;

namespace platform::core {

void invalidate(Window& w, const RECT* area, bool erase) {
  const RECT client{0, 0, w.client_width(), w.client_height()};
  RECT part = client;
  if (area != nullptr && !IntersectRect(&part, area, &client)) return;
  w.update.unite(part);
  if (erase) w.erase_pending = true;
}

std::vector<HDC>& window_dcs() {
  static std::vector<HDC> dcs;
  return dcs;
}

void release_window_dcs(HWND hwnd) {
  Desktop& d = desktop();
  auto& dcs = window_dcs();
  for (auto it = dcs.begin(); it != dcs.end();) {
    const DeviceContext* dc = d.find<DeviceContext>(*it);
    if (dc == nullptr || dc->window == hwnd) {
      if (dc != nullptr) d.remove(*it);
      it = dcs.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace platform::core

namespace {

HDC new_window_dc(HWND hwnd, bool painting) {
  auto dc = std::make_unique<DeviceContext>();
  dc->window = hwnd;
  dc->painting = painting;
  dc->brush = GetStockObject(WHITE_BRUSH);
  dc->pen = GetStockObject(BLACK_PEN);
  dc->font = GetStockObject(DEFAULT_GUI_FONT);
  const HDC hdc = desktop().add<HDC>(std::move(dc));
  platform::core::window_dcs().push_back(hdc);
  return hdc;
}

void free_dc(HDC hdc) {
  std::erase(platform::core::window_dcs(), hdc);
  desktop().remove(hdc);
}

// The system colours, 0x00BBGGRR.
constexpr std::array<COLORREF, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000,
    0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000,
    0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800,
    0xF0F0F0};

// A brush handle of 1 to 31 names the system colour one below it.
bool brush_color(HBRUSH brush, COLORREF* color) {
  const auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value >= 1 && value <= kSystemColors.size()) {
    *color = kSystemColors[value - 1];
    return true;
  }
  const auto* b = desktop().find<platform::core::Brush>(brush);
  if (b == nullptr || b->hollow) return false;
  *color = b->color;
  return true;
}

void fill_bitmap(platform::core::Bitmap& bitmap, RECT rect, COLORREF color) {
  const RECT bounds{0, 0, bitmap.width, bitmap.height};
  if (!IntersectRect(&rect, &rect, &bounds)) return;
  const int bytes = bitmap.bits_per_pixel / 8;
  if (bitmap.bits_per_pixel != 24 && bitmap.bits_per_pixel != 32) return;
  const BYTE bgr[4] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    const LONG row = bitmap.top_down ? y : bitmap.height - 1 - y;
    BYTE* line = bitmap.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(bitmap.stride);
    for (LONG x = rect.left; x < rect.right; ++x) std::copy(bgr, bgr + bytes, line + x * bytes);
  }
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

// Breaks a line at spaces so that each piece fits `width` pixels.
std::vector<std::string_view> wrap(std::string_view line, int width, platform::UiFont font) {
  std::vector<std::string_view> pieces;
  platform::DisplayDriver& driver = desktop().driver();
  while (!line.empty()) {
    std::size_t fit = line.size();
    while (fit > 0 && driver.measure_text(line.substr(0, fit), font).width > width) {
      const std::size_t space = line.substr(0, fit).find_last_of(' ');
      if (space == std::string_view::npos || space == 0) break;
      fit = space;
    }
    pieces.push_back(line.substr(0, fit));
    line.remove_prefix(fit);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  }
  if (pieces.empty()) pieces.push_back({});
  return pieces;
}

}  // namespace

HDC GetDC(HWND hwnd) {
  if (hwnd != nullptr && desktop().window(hwnd) == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return new_window_dc(hwnd, false);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  const DeviceContext* dc = desktop().find<DeviceContext>(hdc);
  if (dc == nullptr || dc->memory || dc->painting || dc->window != hwnd) return 0;
  free_dc(hdc);
  return 1;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr || paint == nullptr) return nullptr;
  const bool erase = w->erase_pending;
  *paint = PAINTSTRUCT{};
  paint->rcPaint = w->update.bounds();
  w->update.clear();
  w->erase_pending = false;
  paint->hdc = new_window_dc(hwnd, true);
  if (erase) paint->fErase = send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
  return paint->hdc;
}

BOOL EndPaint(HWND /*hwnd*/, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  const DeviceContext* dc = desktop().find<DeviceContext>(paint->hdc);
  if (dc != nullptr && dc->painting) free_dc(paint->hdc);
  desktop().driver().flush();
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  Desktop& d = desktop();
  if (hwnd == nullptr) {
    for (HWND top : d.top_levels) InvalidateRect(top, nullptr, erase);
    return TRUE;
  }
  Window* w = d.window(hwnd);
  if (w == nullptr) return FALSE;
  platform::core::invalidate(*w, rect, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr) return FALSE;
  if (rect == nullptr) {
    w->update.clear();
    w->erase_pending = false;
  } else {
    w->update.subtract(platform::core::Region(*rect));
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  Window* w = desktop().window(hwnd);
  if (w == nullptr) return FALSE;
  if (rect != nullptr) *rect = w->update.bounds();
  if (erase && w->erase_pending && !w->update.empty()) {
    const HDC hdc = GetDC(hwnd);
    w->erase_pending = send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
    ReleaseDC(hwnd, hdc);
    if ((w = desktop().window(hwnd)) == nullptr) return FALSE;
  }
  return w->update.empty() ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  const Window* w = desktop().window(hwnd);
  if (w == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!w->update.empty() && w->visible) send(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

DWORD GetSysColor(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < kSystemColors.size() ? kSystemColors[static_cast<std::size_t>(index)] : 0;
}

HBRUSH GetSysColorBrush(int index) {
  static std::array<HBRUSH, kSystemColors.size()> brushes{};
  if (index < 0 || static_cast<std::size_t>(index) >= kSystemColors.size()) return nullptr;
  HBRUSH& brush = brushes[static_cast<std::size_t>(index)];
  if (brush == nullptr) {
    auto object = std::make_unique<platform::core::Brush>();
    object->color = kSystemColors[static_cast<std::size_t>(index)];
    object->permanent = true;
    brush = desktop().add<HBRUSH>(std::move(object));
  }
  return brush;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  Desktop& d = desktop();
  const DeviceContext* dc = d.find<DeviceContext>(hdc);
  COLORREF color;
  if (dc == nullptr || rect == nullptr || !brush_color(brush, &color)) return 0;
  if (dc->memory) {
    if (auto* bitmap = d.find<platform::core::Bitmap>(dc->bitmap)) fill_bitmap(*bitmap, *rect, color);
    return 1;
  }
  if (const Window* w = d.window(dc->window)) d.driver().fill_rect(w->native, *rect, color);
  return 1;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  auto* dc = desktop().find<DeviceContext>(hdc);
  if (dc == nullptr) return 0xFFFFFFFF;
  return std::exchange(dc->text_color, color);
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  auto* dc = desktop().find<DeviceContext>(hdc);
  if (dc == nullptr) return 0xFFFFFFFF;
  return std::exchange(dc->background_color, color);
}

int SetBkMode(HDC hdc, int mode) {
  auto* dc = desktop().find<DeviceContext>(hdc);
  if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->background_mode, mode);
}

int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format) {
  Desktop& d = desktop();
  const DeviceContext* dc = d.find<DeviceContext>(hdc);
  if (dc == nullptr || text == nullptr || rect == nullptr) return 0;
  const std::string_view all = count < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(count));
  const auto* font_object = d.find<platform::core::Font>(dc->font);
  const platform::UiFont font = font_object != nullptr ? font_object->face : platform::UiFont::kMessage;
  platform::DisplayDriver& driver = d.driver();

  std::vector<std::string_view> lines;
  if ((format & DT_SINGLELINE) != 0) {
    lines.push_back(all);
  } else {
    for (std::string_view line : split_lines(all)) {
      if ((format & DT_WORDBREAK) != 0) {
        for (std::string_view piece : wrap(line, rect->right - rect->left, font)) lines.push_back(piece);
      } else {
        lines.push_back(line);
      }
    }
  }
  const int line_height = driver.measure_text("Ag", font).height;
  const int total_height = line_height * static_cast<int>(lines.size());
  if ((format & DT_CALCRECT) != 0) {
    int widest = 0;
    for (std::string_view line : lines) widest = std::max(widest, driver.measure_text(line, font).width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total_height;
    return total_height;
  }
  const Window* w = d.window(dc->window);
  int y = rect->top;
  if ((format & DT_SINGLELINE) != 0 && (format & DT_VCENTER) != 0) y = (rect->top + rect->bottom - line_height) / 2;
  if ((format & DT_SINGLELINE) != 0 && (format & DT_BOTTOM) != 0) y = rect->bottom - line_height;
  for (std::string_view line : lines) {
    const int width = driver.measure_text(line, font).width;
    int x = rect->left;
    if ((format & DT_CENTER) != 0) x = (rect->left + rect->right - width) / 2;
    if ((format & DT_RIGHT) != 0) x = rect->right - width;
    if (w != nullptr) {
      const RECT clip = (format & DT_NOCLIP) != 0 ? RECT{0, 0, w->client_width(), w->client_height()} : *rect;
      driver.draw_text(w->native, clip, x, y, line, dc->text_color, font);
    }
    y += line_height;
  }
  return total_height;
}
