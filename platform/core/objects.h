// The platform objects the core keeps behind handles.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/driver.h"
#include "platform/core/object_table.h"
#include "platform/core/region.h"
#include "platform/win32/types.h"

namespace platform::core {

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int class_extra = 0;
  int window_extra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON small_icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menu_name;
  bool system = false;  // built in: registered by the core, found from any instance
};

struct Window final : Object {
  static constexpr Kind kKind = Kind::kWindow;
  Window() : Object(kKind) {}

  HWND handle = nullptr;
  WindowClass* window_class = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;  // child windows
  HWND owner = nullptr;   // owned top-level windows
  UINT_PTR id = 0;        // control identifier of a child
  HINSTANCE instance = nullptr;
  std::string title;      // Windows-1252
  RECT rect{};            // outer rectangle: screen (top-level) or parent-client coordinates
  RECT client{};          // client area, in the same coordinates as rect
  Frame frame = Frame::kNone;
  std::vector<HWND> children;  // top of the z-order first
  std::vector<std::pair<std::string, HANDLE>> properties;
  std::vector<BYTE> extra_bytes;
  LONG_PTR user_data = 0;

  Region update;  // client coordinates
  bool erase_pending = false;
  bool visible = false;
  bool enabled = true;
  bool destroying = false;
  bool minimized = false;
  int pixel_format = 0;
  HRGN window_region = nullptr;  // the system's after SetWindowRgn
  NativeId native = 0;

  bool is_child() const { return (style & 0x40000000u) != 0; }  // WS_CHILD
  LONG client_width() const { return client.right - client.left; }
  LONG client_height() const { return client.bottom - client.top; }
};

struct DeviceContext final : Object {
  static constexpr Kind kKind = Kind::kDeviceContext;
  DeviceContext() : Object(kKind) {}

  HWND window = nullptr;  // window and paint DCs; null for memory DCs
  bool memory = false;
  bool painting = false;  // handed out by BeginPaint
  HGDIOBJ bitmap = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;
  HGDIOBJ font = nullptr;
  HPALETTE palette = nullptr;
  COLORREF text_color = 0x000000;
  COLORREF background_color = 0xFFFFFF;
  int background_mode = 2;  // OPAQUE
};

// Pixel memory aligned for any access width, kept by malloc/free so that a
// refused allocation is an answer (null), not an exception.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  ~PixelBuffer() { std::free(data_); }
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;
  PixelBuffer(PixelBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  PixelBuffer& operator=(PixelBuffer&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
  }

  // Zero-filled; false when the memory cannot be had.
  bool allocate(std::size_t bytes) {
    std::free(data_);
    data_ = static_cast<BYTE*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
    size_ = data_ != nullptr ? bytes : 0;
    return data_ != nullptr;
  }
  BYTE* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  BYTE* data_ = nullptr;
  std::size_t size_ = 0;
};

struct Bitmap final : Object {
  static constexpr Kind kKind = Kind::kBitmap;
  Bitmap() : Object(kKind) {}

  LONG width = 0;
  LONG height = 0;  // always positive; top_down tells the row order
  WORD planes = 1;
  WORD bits_per_pixel = 1;
  LONG stride = 0;  // bytes per row: a multiple of 4 for DIB sections, of 2 otherwise
  bool top_down = false;
  bool dib_section = false;
  DWORD compression = 0;    // BI_RGB or BI_BITFIELDS for a section
  DWORD masks[3] = {0, 0, 0};  // red, green, blue bit fields of 16- and 32-bit sections
  std::vector<RGBQUAD> color_table;
  PixelBuffer pixels;
  HDC selected_into = nullptr;
};

struct Palette final : Object {
  static constexpr Kind kKind = Kind::kPalette;
  Palette() : Object(kKind) {}
  std::vector<PALETTEENTRY> entries;
};

struct Brush final : Object {
  static constexpr Kind kKind = Kind::kBrush;
  Brush() : Object(kKind) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct Pen final : Object {
  static constexpr Kind kKind = Kind::kPen;
  Pen() : Object(kKind) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct Font final : Object {
  static constexpr Kind kKind = Kind::kFont;
  Font() : Object(kKind) {}
  UiFont face = UiFont::kMessage;
};

struct RegionObject final : Object {
  static constexpr Kind kKind = Kind::kRegion;
  RegionObject() : Object(kKind) {}
  Region region;
};

// Cursors and icons share one object, as on the platform.
struct Cursor final : Object {
  static constexpr Kind kKind = Kind::kCursor;
  Cursor() : Object(kKind) {}
  int system_id = 0;  // IDC_ or IDI_ number for system cursors and icons
  bool icon = false;
  CursorImage image;  // file cursors and system icons
  NativeId native = 0;  // made on first use
};

struct GlContext final : Object {
  static constexpr Kind kKind = Kind::kGlContext;
  GlContext() : Object(kKind) {}
  NativeId native = 0;
  int pixel_format = 0;
};

struct GlobalMemory final : Object {
  static constexpr Kind kKind = Kind::kGlobalMemory;
  GlobalMemory() : Object(kKind) {}
  PixelBuffer bytes;
  std::size_t size = 0;
  unsigned locks = 0;
};

}  // namespace platform::core
