// The process-wide state of the window system: the object table, window
// classes, the message queue, focus and capture, and the display driver.
// One thread uses it; nothing here locks.
#pragma once

#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/driver.h"
#include "platform/core/object_table.h"
#include "platform/core/objects.h"
#include "platform/win32/types.h"

namespace platform::core {

// Posted and hardware messages. Paint messages are not queued: they are made
// from the windows' update areas when nothing else waits.
class MessageQueue {
 public:
  void post(const MSG& message) { posted_.push_back(message); }
  // TranslateMessage's characters come before anything posted after the key.
  void post_front(const MSG& message) { posted_.push_front(message); }
  // A move replaces a move still waiting at the back, as the platform
  // coalesces them: one pending move, the latest.
  void post_input(const MSG& message);
  void post_quit(int exit_code) {
    quit_pending_ = true;
    quit_code_ = exit_code;
  }

  // The first posted, quit or hardware message that passes the filter.
  bool take(MSG* out, HWND filter, UINT first, UINT last, bool remove);
  void discard(HWND hwnd);

 private:
  std::deque<MSG> posted_;
  std::deque<MSG> input_;
  bool quit_pending_ = false;
  int quit_code_ = 0;
};

class Desktop final : public EventSink {
 public:
  static Desktop& get();

  DisplayDriver& driver();
  bool has_driver() const { return driver_ != nullptr; }
  void set_driver(std::unique_ptr<DisplayDriver> driver) { driver_ = std::move(driver); }

  // ---- Objects ----
  template <class T>
  T* find(const void* handle) const {
    return objects.find_as<T>(reinterpret_cast<std::uintptr_t>(handle));
  }
  Window* window(HWND hwnd) const { return find<Window>(hwnd); }
  template <class Handle, class T>
  Handle add(std::unique_ptr<T> object) {
    return reinterpret_cast<Handle>(objects.add(std::move(object)));
  }
  void remove(const void* handle) { objects.remove(reinterpret_cast<std::uintptr_t>(handle)); }

  ObjectTable objects;

  // ---- Classes ----
  std::vector<std::unique_ptr<WindowClass>> classes;
  ATOM next_atom = 0xC000;
  WindowClass* find_class(std::string_view name, HINSTANCE instance) const;

  // ---- Windows ----
  std::vector<HWND> top_levels;  // top of the z-order first
  HWND top_level_of(HWND hwnd) const;
  bool is_descendant(HWND ancestor, HWND hwnd) const;
  // Visible, and so are all its parents.
  bool shown(const Window* window) const;
  // Client origin of a window in screen coordinates.
  POINT client_origin(const Window& window) const;
  POINT window_origin(const Window& window) const;

  // ---- Messages and input ----
  MessageQueue queue;
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND foreground = nullptr;
  BYTE key_state[256] = {};  // as of the last key message taken off the queue
  DWORD last_error = 0;

  // ---- OpenGL ----
  HGLRC current_context = nullptr;
  HDC current_dc = nullptr;

  // ---- EventSink ----
  void input(const MSG& message) override;
  void expose(HWND hwnd, const RECT& area) override;
  void close_request(HWND hwnd) override;
  void moved(HWND hwnd, POINT window_origin) override;
  void focus_changed(HWND hwnd, bool has_focus) override;
  void display_lost() override;

 private:
  Desktop() = default;
  std::unique_ptr<DisplayDriver> driver_;
};

inline Desktop& desktop() { return Desktop::get(); }

// ---- Shared steps of the core (defined beside the calls they serve) ----
void set_last_error(DWORD error);
LRESULT send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
void activate(HWND top_level);
void invalidate(Window& window, const RECT* area, bool erase);
void release_window_dcs(HWND hwnd);
// Device contexts handed out for windows (GetDC, BeginPaint), freed with them.
std::vector<HDC>& window_dcs();
NativeId native_cursor(HCURSOR cursor);
const CursorFrame* icon_frame(HICON icon);
void register_system_classes();
// Non-client insets (left, top, right, bottom) for a style.
RECT frame_insets(DWORD style, Frame* frame);
bool case_insensitive_equal(std::string_view a, std::string_view b);

}  // namespace platform::core
