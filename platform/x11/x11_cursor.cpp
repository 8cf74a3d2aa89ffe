// Cursors: the system's by the cursor theme's names with the X cursor font
// behind them, and cursors made from images (animated when they have
// several frames).
#include <X11/Xcursor/Xcursor.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <array>

#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

struct SystemCursor {
  int idc;
  std::array<const char*, 3> theme_names;  // the freedesktop name first
  unsigned font_shape;                     // always there, even with no theme
};

constexpr SystemCursor kSystemCursors[] = {
    {32512, {"default", "left_ptr", nullptr}, XC_left_ptr},
    {32513, {"text", "xterm", nullptr}, XC_xterm},
    {32514, {"wait", "watch", nullptr}, XC_watch},
    {32515, {"crosshair", "cross", nullptr}, XC_crosshair},
    {32516, {"up-arrow", "center_ptr", nullptr}, XC_center_ptr},
    {32640, {"all-scroll", "fleur", nullptr}, XC_fleur},
    {32641, {"default", "left_ptr", nullptr}, XC_icon},
    {32642, {"nwse-resize", "size_fdiag", "bottom_right_corner"}, XC_bottom_right_corner},
    {32643, {"nesw-resize", "size_bdiag", "bottom_left_corner"}, XC_bottom_left_corner},
    {32644, {"ew-resize", "size_hor", "sb_h_double_arrow"}, XC_sb_h_double_arrow},
    {32645, {"ns-resize", "size_ver", "sb_v_double_arrow"}, XC_sb_v_double_arrow},
    {32646, {"move", "all-scroll", "fleur"}, XC_fleur},
    {32648, {"not-allowed", "crossed_circle", nullptr}, XC_X_cursor},
    {32649, {"pointer", "hand2", nullptr}, XC_hand2},
    {32650, {"progress", "left_ptr_watch", nullptr}, XC_watch},
    {32651, {"help", "question_arrow", nullptr}, XC_question_arrow},
};

bool usable(const CursorFrame& frame) {
  constexpr int kLargest = 1024;
  return frame.width > 0 && frame.height > 0 && frame.width <= kLargest && frame.height <= kLargest &&
         frame.pixels.size() >= static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
}

}  // namespace

int X11Driver::cursor_size() const {
  const int size = XcursorGetDefaultSize(display_);
  return size > 0 ? size : 32;
}

NativeId X11Driver::create_system_cursor(int idc) {
  const SystemCursor* entry = &kSystemCursors[0];
  for (const SystemCursor& candidate : kSystemCursors) {
    if (candidate.idc == idc) entry = &candidate;
  }
  Cursor cursor = 0;
  for (const char* name : entry->theme_names) {
    if (name == nullptr || cursor != 0) continue;
    cursor = XcursorLibraryLoadCursor(display_, name);
  }
  if (cursor == 0) cursor = XCreateFontCursor(display_, entry->font_shape);
  // Named, so that the server can tell which one is shown.
  if (cursor != 0) XFixesSetCursorName(display_, cursor, entry->theme_names[0]);
  return cursor;
}

NativeId X11Driver::create_cursor(const CursorImage& image) {
  const auto frames = static_cast<int>(std::count_if(image.frames.begin(), image.frames.end(), usable));
  if (frames == 0) return 0;
  XcursorImages* images = XcursorImagesCreate(frames);
  if (images == nullptr) return 0;
  for (const CursorFrame& frame : image.frames) {
    if (!usable(frame)) continue;
    XcursorImage* out = XcursorImageCreate(frame.width, frame.height);
    if (out == nullptr) break;
    out->xhot = static_cast<XcursorDim>(std::clamp(frame.hotspot_x, 0, frame.width - 1));
    out->yhot = static_cast<XcursorDim>(std::clamp(frame.hotspot_y, 0, frame.height - 1));
    out->delay = frame.delay_ms;
    const std::size_t count = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
    // Xcursor wants premultiplied alpha; ours is straight.
    std::transform(frame.pixels.begin(), frame.pixels.begin() + static_cast<std::ptrdiff_t>(count), out->pixels,
                   premultiplied);
    images->images[images->nimage++] = out;
  }
  const Cursor cursor = images->nimage > 0 ? XcursorImagesLoadCursor(display_, images) : 0;
  XcursorImagesDestroy(images);
  return cursor;
}

void X11Driver::destroy_cursor(NativeId cursor) {
  if (cursor == 0) return;
  for (auto& [id, window] : windows_) {
    if (window->cursor == cursor) window->cursor = 0;  // X keeps it while windows use it
  }
  XFreeCursor(display_, static_cast<Cursor>(cursor));
}

}  // namespace platform::x11
