// The seam between the display-independent core and a display driver.
//
// The core owns every platform object (windows, classes, device contexts,
// bitmaps, regions, the message queue); a driver only shows them. It creates
// and moves native windows, turns the display's input into the platform's
// hardware messages, and gives pixel formats, GL contexts, cursors and the
// few painting primitives that the built-in controls need. The X11 driver
// lives in platform/x11/, a display-less one in platform/null/.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/win32/types.h"

namespace platform {

// A driver's own name for a native window, cursor or GL context; 0 is none.
using NativeId = std::uintptr_t;

// How a top-level window is framed. Child windows have no frame of their own.
enum class Frame {
  kNone,     // no border
  kBorder,   // a 1-pixel border drawn by us, no decorations
  kCaption,  // decorated by the window manager, fixed size, plus our own
             // 3-pixel border and 16-pixel caption strip (client at (3, 19))
};

struct NativeWindowSpec {
  HWND hwnd = nullptr;       // reported back with every event of this window
  NativeId parent = 0;       // 0: a top-level window
  NativeId owner = 0;        // top-level windows: transient-for, 0 if none
  RECT window_rect{};        // screen coordinates (top-level) or parent-client coordinates (child)
  RECT client_rect{};        // the client area, in the same coordinates as window_rect
  Frame frame = Frame::kNone;
  bool dialog = false;       // a message box: dialog type, centred by the core already
  std::string_view title;    // Windows-1252
};

// One image of a cursor or icon: straight (not premultiplied) 0xAARRGGBB
// pixels, rows top-down, stride == width.
struct CursorFrame {
  int width = 0;
  int height = 0;
  int hotspot_x = 0;
  int hotspot_y = 0;
  unsigned delay_ms = 0;  // how long this frame shows in an animation
  std::vector<std::uint32_t> pixels;
};

struct CursorImage {
  std::vector<CursorFrame> frames;  // one frame: a static cursor
};

enum class UiFont { kMessage, kStatus };

struct TextExtent {
  int width = 0;
  int height = 0;  // line height: ascent + descent
  int ascent = 0;
};

// What the driver reports while it polls. All calls come from inside
// DisplayDriver::poll or DisplayDriver::wait.
class EventSink {
 public:
  // A keyboard or mouse message in the platform's terms: hwnd is the window
  // the event happened in, mouse positions are in its client coordinates
  // (negative outside, while the pointer is grabbed), pt is the screen
  // position, time is GetTickCount at translation.
  virtual void input(const MSG& message) = 0;
  // Part of a client area needs repainting (client coordinates).
  virtual void expose(HWND hwnd, const RECT& area) = 0;
  // The window manager asks a top-level window to close.
  virtual void close_request(HWND hwnd) = 0;
  // The window manager moved a top-level window: new outer corner on screen.
  virtual void moved(HWND hwnd, POINT window_origin) = 0;
  // A top-level window gained or lost the keyboard focus.
  virtual void focus_changed(HWND hwnd, bool has_focus) = 0;
  // The connection to the display is gone; the process should end.
  virtual void display_lost() = 0;

 protected:
  ~EventSink() = default;
};

class DisplayDriver {
 public:
  virtual ~DisplayDriver() = default;

  // False for a driver without a display: windows cannot be created then.
  virtual bool has_display() const = 0;
  virtual POINT screen_size() const = 0;
  // The display's preferred cursor size in pixels (32 when it has none).
  virtual int cursor_size() const = 0;

  // ---- Windows ----
  virtual NativeId create_window(const NativeWindowSpec& request) = 0;  // 0: failure
  // The native window goes; a GL context still current on it keeps a hidden
  // drawable until it is released.
  virtual void destroy_window(NativeId window) = 0;
  virtual void show_window(NativeId window, bool visible) = 0;
  // Ask for the keyboard focus for a top-level window (on showing it).
  virtual void activate_window(NativeId window) = 0;
  virtual void set_title(NativeId window, std::string_view title) = 0;
  virtual void set_geometry(NativeId window, const RECT& window_rect, const RECT& client_rect) = 0;
  virtual void set_window_cursor(NativeId window, NativeId cursor) = 0;
  // The window manager's icon of a top-level window; null frame: none.
  virtual void set_window_icon(NativeId window, const CursorFrame* icon) = 0;
  // Shape of the window in window coordinates; an empty span with
  // `shaped` false removes the shape.
  virtual void set_window_shape(NativeId window, std::span<const RECT> rects, bool shaped) = 0;

  // ---- Events ----
  // Translates whatever input has already arrived; never blocks and makes
  // no round trip to the display.
  virtual void poll(EventSink& sink) = 0;
  // Blocks until input arrives or `timeout_ms` passes (-1: no limit).
  virtual void wait(EventSink& sink, int timeout_ms) = 0;

  // ---- Pointer and keyboard ----
  virtual bool grab_pointer(NativeId window) = 0;
  virtual void ungrab_pointer() = 0;
  virtual POINT cursor_position() = 0;
  virtual void set_cursor_position(POINT screen) = 0;
  // The Windows-1252 character that a key makes under `key_state` (256
  // entries indexed by virtual key: 0x80 down, 0x01 toggled); 0 when it
  // makes none. `scan_code` is bits 16 to 24 of the key message's lParam:
  // the X keycode less 8, which is the PC scan code of the key, and the
  // extended-key bit.
  virtual int key_to_char(UINT virtual_key, UINT scan_code, const BYTE key_state[256]) = 0;

  // ---- Cursors ----
  virtual NativeId create_system_cursor(int idc) = 0;  // an IDC_ number
  virtual NativeId create_cursor(const CursorImage& image) = 0;
  virtual void destroy_cursor(NativeId cursor) = 0;

  // ---- OpenGL ----
  // Format n (1-based) is element n - 1.
  virtual std::vector<PIXELFORMATDESCRIPTOR> pixel_formats() = 0;
  virtual bool set_pixel_format(NativeId window, int format) = 0;
  virtual NativeId create_gl_context(NativeId window, int format) = 0;
  // window and context both 0: release the current context.
  virtual bool make_current(NativeId window, NativeId context) = 0;
  virtual void delete_gl_context(NativeId context) = 0;
  virtual bool swap_buffers(NativeId window) = 0;

  // ---- Painting client areas (client coordinates) ----
  virtual void fill_rect(NativeId window, const RECT& rect, COLORREF color) = 0;
  // Text whose line box has its top-left corner at (x, y), cut to `clip`.
  virtual void draw_text(NativeId window, const RECT& clip, int x, int y, std::string_view text,
                         COLORREF color, UiFont font) = 0;
  virtual TextExtent measure_text(std::string_view text, UiFont font) = 0;
  // Straight 0xAARRGGBB pixels; with `blend` the alpha composites over what
  // is there, else the pixels are copied opaque.
  virtual void put_image(NativeId window, int x, int y, int width, int height,
                         const std::uint32_t* pixels, int stride, bool blend) = 0;
  virtual void flush() = 0;
};

// The X11 driver when a display opens, else a driver without a display.
std::unique_ptr<DisplayDriver> make_default_driver();
// A driver without a display. With `headless_windows`, windows exist in
// memory only (for tests): they take input injected through the core.
std::unique_ptr<DisplayDriver> make_null_driver(bool headless_windows);

}  // namespace platform
