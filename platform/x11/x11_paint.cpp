// The painting primitives of the built-in controls: filled rectangles,
// anti-aliased text through Xft and fontconfig, and images, blended through
// XRender where they carry alpha.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/core/text_encoding.h"
#include "platform/win32.h"
#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

constexpr int kLargestImageSide = 16384;

// An 8-bit channel placed into a visual's mask.
unsigned long place(unsigned long mask, unsigned value) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
  return (scaled << shift) & mask;
}

XRenderColor render_color(COLORREF color) {
  return XRenderColor{static_cast<unsigned short>(GetRValue(color) * 257),
                      static_cast<unsigned short>(GetGValue(color) * 257),
                      static_cast<unsigned short>(GetBValue(color) * 257), 0xFFFF};
}

// An image of host-order 32-bit pixels that we own; X only borrows them.
XImage* borrowed_image(Display* display, Visual* visual, int depth, std::vector<std::uint32_t>& pixels, int width,
                       int height) {
  XImage* image =
      XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                   static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (image == nullptr) return nullptr;
  if (image->bits_per_pixel != 32) {
    image->data = nullptr;
    XDestroyImage(image);
    return nullptr;
  }
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  return image;
}

void release_borrowed(XImage* image) {
  image->data = nullptr;  // the pixels stay ours
  XDestroyImage(image);
}

}  // namespace

std::uint32_t premultiplied(std::uint32_t argb) {
  const std::uint32_t alpha = argb >> 24;
  auto channel = [alpha](std::uint32_t value) { return (value * alpha + 127) / 255; };
  return (alpha << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
         channel(argb & 0xFF);
}

unsigned long X11Driver::pixel_for(const Visual* visual, COLORREF color) const {
  const unsigned long pixel = place(visual->red_mask, GetRValue(color)) | place(visual->green_mask, GetGValue(color)) |
                              place(visual->blue_mask, GetBValue(color));
  // Bits beyond the colour channels (the alpha of a 32-bit visual): opaque.
  return pixel | ~(visual->red_mask | visual->green_mask | visual->blue_mask);
}

GC X11Driver::gc_for(Drawable drawable, int depth) {
  if (const auto it = gcs_.find(depth); it != gcs_.end()) return it->second;
  const GC gc = XCreateGC(display_, drawable, 0, nullptr);
  gcs_.emplace(depth, gc);
  return gc;
}

XftFont* X11Driver::font(UiFont face) {
  XftFont*& slot = face == UiFont::kMessage ? message_font_ : status_font_;
  if (slot != nullptr) return slot;
  // DejaVu Sans at a dialog's size, or whatever fontconfig has for sans.
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, face == UiFont::kMessage ? 12.0 : 11.0);
  XftResult result;
  FcPattern* match = XftFontMatch(display_, screen_, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  slot = XftFontOpenPattern(display_, match);
  if (slot == nullptr) FcPatternDestroy(match);
  return slot;
}

XftDraw* X11Driver::client_draw(WindowRecord& w) {
  if (w.client_draw == nullptr && w.client != 0) {
    w.client_draw = XftDrawCreate(display_, w.client, w.client_visual,
                                  w.client_colormap != 0 ? w.client_colormap : default_colormap_);
  }
  return w.client_draw;
}

void X11Driver::fill_rect(NativeId window, const RECT& rect, COLORREF color) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  const GC gc = gc_for(w->client, w->client_depth);
  XSetForeground(display_, gc, pixel_for(w->client_visual, color));
  const LONG left = std::clamp<LONG>(rect.left, SHRT_MIN, SHRT_MAX);
  const LONG top = std::clamp<LONG>(rect.top, SHRT_MIN, SHRT_MAX);
  XFillRectangle(display_, w->client, gc, left, top,
                 static_cast<unsigned>(std::min<LONG>(rect.right - left, USHRT_MAX)),
                 static_cast<unsigned>(std::min<LONG>(rect.bottom - top, USHRT_MAX)));
}

void X11Driver::draw_text(NativeId window, const RECT& clip, int x, int y, std::string_view text, COLORREF color,
                          UiFont face) {
  WindowRecord* w = record(window);
  if (w == nullptr || text.empty() || clip.right <= clip.left || clip.bottom <= clip.top) return;
  XftDraw* draw = client_draw(*w);
  XftFont* f = font(face);
  if (draw == nullptr || f == nullptr) return;
  const LONG left = std::clamp<LONG>(clip.left, SHRT_MIN, SHRT_MAX);
  const LONG top = std::clamp<LONG>(clip.top, SHRT_MIN, SHRT_MAX);
  XRectangle area{static_cast<short>(left), static_cast<short>(top),
                  static_cast<unsigned short>(std::min<LONG>(clip.right - left, USHRT_MAX)),
                  static_cast<unsigned short>(std::min<LONG>(clip.bottom - top, USHRT_MAX))};
  XftDrawSetClipRectangles(draw, 0, 0, &area, 1);
  const XRenderColor wanted = render_color(color);
  XftColor ink;
  const Colormap colormap = w->client_colormap != 0 ? w->client_colormap : default_colormap_;
  if (!XftColorAllocValue(display_, w->client_visual, colormap, &wanted, &ink)) return;
  const std::string utf8 = core::cp1252_to_utf8(text);
  XftDrawStringUtf8(draw, &ink, f, x, y + f->ascent, reinterpret_cast<const FcChar8*>(utf8.data()),
                    static_cast<int>(utf8.size()));
  XftColorFree(display_, w->client_visual, colormap, &ink);
}

TextExtent X11Driver::measure_text(std::string_view text, UiFont face) {
  XftFont* f = font(face);
  if (f == nullptr) return {static_cast<int>(text.size()) * 7, 16, 12};
  const std::string utf8 = core::cp1252_to_utf8(text);
  XGlyphInfo extents{};
  XftTextExtentsUtf8(display_, f, reinterpret_cast<const FcChar8*>(utf8.data()), static_cast<int>(utf8.size()),
                     &extents);
  return {extents.xOff, f->ascent + f->descent, f->ascent};
}

void X11Driver::put_image(NativeId window, int x, int y, int width, int height, const std::uint32_t* pixels, int stride,
                          bool blend) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0 || pixels == nullptr || width <= 0 || height <= 0 || width > kLargestImageSide ||
      height > kLargestImageSide || stride < width) {
    return;
  }
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto row_bytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
  for (int row = 0; row < height; ++row) {
    std::memcpy(rows.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width),
                pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride), row_bytes);
  }
  if (blend && have_render_) {
    // Over what is there: a premultiplied ARGB picture composited by the server.
    std::transform(rows.begin(), rows.end(), rows.begin(), premultiplied);
    const Pixmap pixmap =
        XCreatePixmap(display_, w->client, static_cast<unsigned>(width), static_cast<unsigned>(height), 32);
    XImage* image = borrowed_image(display_, nullptr, 32, rows, width, height);
    if (image != nullptr) {
      XPutImage(display_, pixmap, gc_for(pixmap, 32), image, 0, 0, 0, 0, static_cast<unsigned>(width),
                static_cast<unsigned>(height));
      release_borrowed(image);
      if (w->client_picture == 0) {
        w->client_picture =
            XRenderCreatePicture(display_, w->client, XRenderFindVisualFormat(display_, w->client_visual), 0, nullptr);
      }
      const Picture source =
          XRenderCreatePicture(display_, pixmap, XRenderFindStandardFormat(display_, PictStandardARGB32), 0, nullptr);
      XRenderComposite(display_, PictOpOver, source, None, w->client_picture, 0, 0, 0, 0, x, y,
                       static_cast<unsigned>(width), static_cast<unsigned>(height));
      XRenderFreePicture(display_, source);
    }
    XFreePixmap(display_, pixmap);
    return;
  }
  // Opaque: the pixels in the client visual's own layout.
  const Visual* visual = w->client_visual;
  for (std::uint32_t& pixel : rows) {
    pixel = static_cast<std::uint32_t>(pixel_for(
        visual, RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel))));
  }
  XImage* image = borrowed_image(display_, w->client_visual, w->client_depth, rows, width, height);
  if (image == nullptr) return;
  XPutImage(display_, w->client, gc_for(w->client, w->client_depth), image, 0, 0, x, y, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  release_borrowed(image);
}

}  // namespace platform::x11
