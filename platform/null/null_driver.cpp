// A driver without a display. With headless windows on, windows exist in
// memory only: tests drive them with injected input and read their state.
#include <time.h>

#include <algorithm>

#include "platform/core/driver.h"
#include "platform/win32/user.h"

namespace platform {
namespace {

class NullDriver final : public DisplayDriver {
 public:
  explicit NullDriver(bool headless_windows) : headless_windows_(headless_windows) {}

  bool has_display() const override { return false; }
  POINT screen_size() const override { return {1024, 768}; }
  int cursor_size() const override { return 32; }

  NativeId create_window(const NativeWindowSpec&) override { return headless_windows_ ? ++next_id_ : 0; }
  void destroy_window(NativeId) override {}
  void show_window(NativeId, bool) override {}
  void activate_window(NativeId) override {}
  void set_title(NativeId, std::string_view) override {}
  void set_geometry(NativeId, const RECT&, const RECT&) override {}
  void set_window_cursor(NativeId, NativeId) override {}
  void set_window_icon(NativeId, const CursorFrame*) override {}
  void set_window_shape(NativeId, std::span<const RECT>, bool) override {}

  void poll(EventSink&) override {}
  void wait(EventSink&, int timeout_ms) override {
    // Nothing will ever arrive; keep a waiting loop from spinning hot.
    const long ms = timeout_ms < 0 ? 10 : std::min(timeout_ms, 10);
    timespec pause{0, ms * 1'000'000L};
    nanosleep(&pause, nullptr);
  }

  bool grab_pointer(NativeId) override { return true; }
  void ungrab_pointer() override {}
  POINT cursor_position() override { return cursor_; }
  void set_cursor_position(POINT screen) override { cursor_ = screen; }

  int key_to_char(UINT virtual_key, UINT, const BYTE key_state[256]) override {
    const bool shift = (key_state[VK_SHIFT] & 0x80) != 0;
    const bool caps = (key_state[VK_CAPITAL] & 0x01) != 0;
    const bool control = (key_state[VK_CONTROL] & 0x80) != 0;
    if (virtual_key >= 'A' && virtual_key <= 'Z') {
      if (control) return static_cast<int>(virtual_key - 'A' + 1);
      return static_cast<int>(shift != caps ? virtual_key : virtual_key + ('a' - 'A'));
    }
    if (virtual_key >= '0' && virtual_key <= '9' && !shift) return static_cast<int>(virtual_key);
    switch (virtual_key) {
      case VK_SPACE: return ' ';
      case VK_RETURN: return '\r';
      case VK_TAB: return '\t';
      case VK_BACK: return '\b';
      case VK_ESCAPE: return 0x1B;
      default: return 0;
    }
  }

  NativeId create_system_cursor(int) override { return ++next_id_; }
  NativeId create_cursor(const CursorImage&) override { return ++next_id_; }
  void destroy_cursor(NativeId) override {}

  std::vector<PIXELFORMATDESCRIPTOR> pixel_formats() override { return {}; }
  bool set_pixel_format(NativeId, int) override { return false; }
  NativeId create_gl_context(NativeId, int) override { return 0; }
  bool make_current(NativeId, NativeId) override { return false; }
  void delete_gl_context(NativeId) override {}
  bool swap_buffers(NativeId) override { return false; }

  void fill_rect(NativeId, const RECT&, COLORREF) override {}
  void draw_text(NativeId, const RECT&, int, int, std::string_view, COLORREF, UiFont) override {}
  TextExtent measure_text(std::string_view text, UiFont) override {
    return {static_cast<int>(text.size()) * 7, 16, 12};
  }
  void put_image(NativeId, int, int, int, int, const std::uint32_t*, int, bool) override {}
  void flush() override {}

 private:
  bool headless_windows_;
  NativeId next_id_ = 0;
  POINT cursor_{0, 0};
};

}  // namespace

std::unique_ptr<DisplayDriver> make_null_driver(bool headless_windows) {
  return std::make_unique<NullDriver>(headless_windows);
}

}  // namespace platform
