// GL over GLX: the window-drawable RGBA frame-buffer configurations as
// pixel formats, compatibility contexts, making them current, swaps, and
// windows that outlive their destruction while a context draws on them.
#include <algorithm>
#include <bit>

#include "platform/win32.h"
#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

int attribute(Display* display, GLXFBConfig config, int name) {
  int value = 0;
  glXGetFBConfigAttrib(display, config, name, &value);
  return value;
}

BYTE byte_of(int value) { return static_cast<BYTE>(std::clamp(value, 0, 255)); }

BYTE shift_of(unsigned long mask) { return mask != 0 ? static_cast<BYTE>(std::countr_zero(mask)) : 0; }

}  // namespace

std::vector<PIXELFORMATDESCRIPTOR> X11Driver::pixel_formats() {
  if (!formats_loaded_) {
    formats_loaded_ = true;
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(display_, screen_, &count);
    for (int i = 0; i < count; ++i) {
      const GLXFBConfig config = configs[i];
      // What a window can show: RGBA, window-drawable, with a true-colour
      // visual; multisampled copies would only repeat a descriptor.
      if ((attribute(display_, config, GLX_RENDER_TYPE) & GLX_RGBA_BIT) == 0 ||
          (attribute(display_, config, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) == 0 ||
          attribute(display_, config, GLX_X_VISUAL_TYPE) != GLX_TRUE_COLOR ||
          attribute(display_, config, GLX_SAMPLE_BUFFERS) != 0) {
        continue;
      }
      const auto visual_id = static_cast<VisualID>(attribute(display_, config, GLX_VISUAL_ID));
      if (visual_id == 0) continue;
      XVisualInfo wanted{};
      wanted.visualid = visual_id;
      int matches = 0;
      XVisualInfo* visual = XGetVisualInfo(display_, VisualIDMask, &wanted, &matches);
      if (visual == nullptr) continue;

      PIXELFORMATDESCRIPTOR pfd{};
      pfd.nSize = sizeof pfd;
      pfd.nVersion = 1;
      pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
      if (attribute(display_, config, GLX_DOUBLEBUFFER) != 0) pfd.dwFlags |= PFD_DOUBLEBUFFER;
      if (attribute(display_, config, GLX_STEREO) != 0) pfd.dwFlags |= PFD_STEREO;
      pfd.iPixelType = PFD_TYPE_RGBA;
      pfd.cColorBits = byte_of(attribute(display_, config, GLX_BUFFER_SIZE));
      pfd.cRedBits = byte_of(attribute(display_, config, GLX_RED_SIZE));
      pfd.cGreenBits = byte_of(attribute(display_, config, GLX_GREEN_SIZE));
      pfd.cBlueBits = byte_of(attribute(display_, config, GLX_BLUE_SIZE));
      pfd.cAlphaBits = byte_of(attribute(display_, config, GLX_ALPHA_SIZE));
      pfd.cRedShift = shift_of(visual->red_mask);
      pfd.cGreenShift = shift_of(visual->green_mask);
      pfd.cBlueShift = shift_of(visual->blue_mask);
      if (pfd.cAlphaBits != 0) {
        // Alpha sits in the bits the colour channels leave.
        const unsigned long colour = visual->red_mask | visual->green_mask | visual->blue_mask;
        pfd.cAlphaShift = shift_of(~colour & ((pfd.cColorBits >= 64 ? ~0UL : (1UL << pfd.cColorBits) - 1)));
      }
      XFree(visual);
      pfd.cAccumRedBits = byte_of(attribute(display_, config, GLX_ACCUM_RED_SIZE));
      pfd.cAccumGreenBits = byte_of(attribute(display_, config, GLX_ACCUM_GREEN_SIZE));
      pfd.cAccumBlueBits = byte_of(attribute(display_, config, GLX_ACCUM_BLUE_SIZE));
      pfd.cAccumAlphaBits = byte_of(attribute(display_, config, GLX_ACCUM_ALPHA_SIZE));
      pfd.cAccumBits = byte_of(pfd.cAccumRedBits + pfd.cAccumGreenBits + pfd.cAccumBlueBits + pfd.cAccumAlphaBits);
      pfd.cDepthBits = byte_of(attribute(display_, config, GLX_DEPTH_SIZE));
      pfd.cStencilBits = byte_of(attribute(display_, config, GLX_STENCIL_SIZE));
      pfd.cAuxBuffers = byte_of(attribute(display_, config, GLX_AUX_BUFFERS));
      pfd.iLayerType = PFD_MAIN_PLANE;
      formats_.push_back(PixelFormat{config, visual_id, pfd});
    }
    if (configs != nullptr) XFree(configs);
  }
  std::vector<PIXELFORMATDESCRIPTOR> descriptors;
  descriptors.reserve(formats_.size());
  for (const PixelFormat& format : formats_) descriptors.push_back(format.descriptor);
  return descriptors;
}

bool X11Driver::set_pixel_format(NativeId window, int format) {
  WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0) return false;
  pixel_formats();
  if (format < 1 || static_cast<std::size_t>(format) > formats_.size()) return false;
  XVisualInfo* visual = glXGetVisualFromFBConfig(display_, formats_[static_cast<std::size_t>(format - 1)].config);
  if (visual == nullptr) return false;
  // The client window takes the format's visual; a different one means a
  // new window in the same place.
  if (visual->visual != w->client_visual) recreate_client(*w, visual->visual, visual->depth);
  XFree(visual);
  return true;
}

NativeId X11Driver::create_gl_context(NativeId window, int format) {
  if (record(window) == nullptr) return 0;
  pixel_formats();
  if (format < 1 || static_cast<std::size_t>(format) > formats_.size()) return 0;
  // The legacy entry gives a compatibility context: the fixed pipeline works.
  const unsigned long errors_before = error_record().count;
  const GLXContext context = glXCreateNewContext(display_, formats_[static_cast<std::size_t>(format - 1)].config,
                                                 GLX_RGBA_TYPE, nullptr, True);
  XSync(display_, False);
  if (context == nullptr || error_record().count != errors_before) {
    if (context != nullptr) glXDestroyContext(display_, context);
    return 0;
  }
  auto owned = std::make_unique<GlContextRecord>();
  owned->context = context;
  owned->format = format;
  const auto id = reinterpret_cast<NativeId>(context);
  contexts_.emplace(id, std::move(owned));
  return id;
}

bool X11Driver::make_current(NativeId window, NativeId context) {
  if (window == 0 && context == 0) {
    glXMakeCurrent(display_, None, nullptr);
    current_context_ = 0;
    current_drawable_ = 0;
    destroy_zombies();
    return true;
  }
  const WindowRecord* w = record(window);
  const auto found = contexts_.find(context);
  if (w == nullptr || w->client == 0 || found == contexts_.end()) return false;
  if (!glXMakeCurrent(display_, w->client, found->second->context)) return false;
  current_context_ = context;
  current_drawable_ = w->client;
  destroy_zombies();
  return true;
}

void X11Driver::delete_gl_context(NativeId context) {
  const auto found = contexts_.find(context);
  if (found == contexts_.end()) return;
  if (current_context_ == context) {
    glXMakeCurrent(display_, None, nullptr);
    current_context_ = 0;
    current_drawable_ = 0;
  }
  glXDestroyContext(display_, found->second->context);
  contexts_.erase(found);
  destroy_zombies();
}

bool X11Driver::swap_buffers(NativeId window) {
  const WindowRecord* w = record(window);
  if (w == nullptr || w->client == 0) return false;
  glXSwapBuffers(display_, w->client);
  return true;
}

}  // namespace platform::x11
