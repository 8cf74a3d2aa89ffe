// The X11 driver's own state, shared by its files: x11_display (connection,
// atoms, errors, events), x11_window, x11_input, x11_keymap, x11_cursor,
// glx_context and x11_paint each fill in their part of X11Driver.
#pragma once

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>

#include <bitset>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/driver.h"

namespace platform::x11 {

// What the process-wide error handler has seen.
struct ErrorRecord {
  unsigned long count = 0;
  unsigned char error_code = 0;
  unsigned char request_code = 0;
  unsigned char minor_code = 0;
  XID resource = 0;
};

const ErrorRecord& error_record();
// Installs the non-fatal error handler and the I/O error handler once per
// process; `sink` (may be null) is told when the display goes away.
void install_error_handlers();
void set_lost_display_sink(EventSink* sink);
bool display_was_lost();

// Names every request of this driver needs, interned in one round trip.
struct Atoms {
  Atom wm_protocols, wm_delete_window, wm_state, wm_change_state;
  Atom net_wm_name, net_wm_icon_name, utf8_string, net_wm_icon, net_wm_pid, net_wm_ping;
  Atom net_wm_window_type, net_wm_window_type_dialog, net_wm_window_type_normal;
  Atom net_active_window, net_supporting_wm_check, motif_wm_hints;
};

struct WindowRecord {
  HWND hwnd = nullptr;
  Window outer = 0;   // the frame: top-level or child of the parent's client
  Window client = 0;  // the client area, child of `outer`
  WindowRecord* parent = nullptr;
  Frame frame = Frame::kNone;
  bool dialog = false;
  RECT window_rect{};
  RECT client_rect{};
  std::string title_utf8;

  Visual* client_visual = nullptr;
  int client_depth = 0;
  Colormap client_colormap = 0;  // ours to free when not the default one
  Cursor cursor = 0;
  bool mapped = false;
  bool focus_on_map = false;
  bool zombie = false;  // destroyed by the core, kept while a GL context uses it

  XftDraw* client_draw = nullptr;
  XftDraw* frame_draw = nullptr;
  Picture client_picture = 0;

  bool top_level() const { return parent == nullptr; }
};

// An X window an event may name, and what it is of its record.
struct EventTarget {
  WindowRecord* record = nullptr;
  bool client = false;
};

// Keys the platform marks extended (bit 24 of lParam), by their first symbol.
bool is_extended_key(KeySym level_one);

// Straight 0xAARRGGBB to the premultiplied form XRender and Xcursor take.
std::uint32_t premultiplied(std::uint32_t argb);

struct PixelFormat {
  GLXFBConfig config = nullptr;
  VisualID visual_id = 0;
  PIXELFORMATDESCRIPTOR descriptor{};
};

struct GlContextRecord {
  GLXContext context = nullptr;
  int format = 0;
};

class X11Driver final : public DisplayDriver {
 public:
  explicit X11Driver(Display* display);
  ~X11Driver() override;
  X11Driver(const X11Driver&) = delete;
  X11Driver& operator=(const X11Driver&) = delete;

  Display* display() const { return display_; }

  // ---- DisplayDriver ----
  bool has_display() const override { return true; }
  POINT screen_size() const override;
  int cursor_size() const override;

  NativeId create_window(const NativeWindowSpec& request) override;
  void destroy_window(NativeId window) override;
  void show_window(NativeId window, bool visible) override;
  void activate_window(NativeId window) override;
  void set_title(NativeId window, std::string_view title) override;
  void set_geometry(NativeId window, const RECT& window_rect, const RECT& client_rect) override;
  void set_window_cursor(NativeId window, NativeId cursor) override;
  void set_window_icon(NativeId window, const CursorFrame* icon) override;
  void set_window_shape(NativeId window, std::span<const RECT> rects, bool shaped) override;

  void poll(EventSink& sink) override;
  void wait(EventSink& sink, int timeout_ms) override;

  bool grab_pointer(NativeId window) override;
  void ungrab_pointer() override;
  POINT cursor_position() override;
  void set_cursor_position(POINT screen) override;
  int key_to_char(UINT virtual_key, UINT scan_code, const BYTE key_state[256]) override;

  NativeId create_system_cursor(int idc) override;
  NativeId create_cursor(const CursorImage& image) override;
  void destroy_cursor(NativeId cursor) override;

  std::vector<PIXELFORMATDESCRIPTOR> pixel_formats() override;
  bool set_pixel_format(NativeId window, int format) override;
  NativeId create_gl_context(NativeId window, int format) override;
  bool make_current(NativeId window, NativeId context) override;
  void delete_gl_context(NativeId context) override;
  bool swap_buffers(NativeId window) override;

  void fill_rect(NativeId window, const RECT& rect, COLORREF color) override;
  void draw_text(NativeId window, const RECT& clip, int x, int y, std::string_view text, COLORREF color,
                 UiFont font) override;
  TextExtent measure_text(std::string_view text, UiFont font) override;
  void put_image(NativeId window, int x, int y, int width, int height, const std::uint32_t* pixels, int stride,
                 bool blend) override;
  void flush() override;

 private:
  // x11_display.cpp
  void translate(XEvent& event, EventSink& sink);
  bool window_manager_running();
  // x11_window.cpp
  WindowRecord* record(NativeId window) const;
  const EventTarget* target(Window xid) const;
  Window create_client(WindowRecord& record, Visual* visual, int depth);
  void recreate_client(WindowRecord& record, Visual* visual, int depth);
  void release_record(WindowRecord& record);
  void destroy_zombies();
  void set_size_hints(const WindowRecord& record);
  void paint_frame(WindowRecord& record);
  void handle_structure(const XEvent& event, WindowRecord& record, EventSink& sink);
  // x11_input.cpp
  void translate_key(const XKeyEvent& event, WindowRecord& record, EventSink& sink);
  void translate_button(const XButtonEvent& event, WindowRecord& record, EventSink& sink);
  void translate_motion(const XMotionEvent& event, WindowRecord& record, EventSink& sink);
  bool release_is_repeat(const XKeyEvent& event);
  // x11_keymap.cpp
  void load_keymap();
  KeySym level_one_keysym(unsigned keycode, int group) const;
  KeySym keysym_for(unsigned keycode, unsigned modifiers) const;
  UINT virtual_key(unsigned keycode, unsigned state) const;
  // x11_paint.cpp
  XftFont* font(UiFont face);
  XftDraw* client_draw(WindowRecord& record);
  GC gc_for(Drawable drawable, int depth);  // one per depth
  unsigned long pixel_for(const Visual* visual, COLORREF color) const;

  Display* display_;
  int screen_;
  Window root_;
  Visual* default_visual_;
  int default_depth_;
  Colormap default_colormap_;
  Atoms atoms_{};
  bool have_shape_ = false;
  bool have_render_ = false;
  bool detectable_repeat_ = false;
  int xkb_event_base_ = 0;

  std::unordered_map<NativeId, std::unique_ptr<WindowRecord>> windows_;  // by outer window
  std::unordered_map<Window, EventTarget> targets_;                      // outer and client windows
  std::vector<std::unique_ptr<WindowRecord>> zombies_;

  // Input state that X does not keep for us.
  std::bitset<256> keys_down_;
  unsigned x_buttons_ = 0;  // MK_XBUTTON1 / MK_XBUTTON2 held
  int keyboard_group_ = 0;
  Window grab_window_ = 0;

  // The keyboard description, reloaded when the mapping changes.
  XkbDescPtr keymap_ = nullptr;
  bool keymap_stale_ = true;
  unsigned level3_mask_ = Mod5Mask;
  unsigned num_lock_mask_ = Mod2Mask;
  unsigned alt_mask_ = Mod1Mask;

  // GL.
  bool formats_loaded_ = false;
  std::vector<PixelFormat> formats_;
  std::unordered_map<NativeId, std::unique_ptr<GlContextRecord>> contexts_;
  NativeId current_context_ = 0;
  Window current_drawable_ = 0;

  // Painting.
  XftFont* message_font_ = nullptr;
  XftFont* status_font_ = nullptr;
  std::map<int, GC> gcs_;  // by depth
};

}  // namespace platform::x11
