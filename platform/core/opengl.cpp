// Pixel formats, OpenGL contexts and buffer swaps on window device contexts.
#include <cstdlib>
#include <limits>

#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::Desktop;
using platform::core::desktop;
using platform::core::DeviceContext;
using platform::core::GlContext;
using platform::core::Window;

namespace {

Window* window_of(HDC hdc) {
  const DeviceContext* dc = desktop().find<DeviceContext>(hdc);
  return dc != nullptr ? desktop().window(dc->window) : nullptr;
}

// How far a count falls from the one asked for: a shortfall weighs more than
// a surplus, and a missing buffer that was asked for weighs most.
long long count_distance(int asked, int offered, long long missing_weight) {
  if (asked > 0 && offered == 0) return missing_weight;
  if (offered < asked) return static_cast<long long>(asked - offered) * 16;
  return offered - asked;
}

// Lower is closer. The request's flags and counts are matched in the order a
// GL program depends on them: buffering, then colour, depth, alpha, stereo,
// stencil, accumulation, auxiliary buffers.
long long distance(const PIXELFORMATDESCRIPTOR& asked, const PIXELFORMATDESCRIPTOR& offered) {
  long long score = 0;
  if ((asked.dwFlags & PFD_DOUBLEBUFFER_DONTCARE) == 0 &&
      ((asked.dwFlags ^ offered.dwFlags) & PFD_DOUBLEBUFFER) != 0) {
    score += 1'000'000'000'000LL;
  }
  score += count_distance(asked.cColorBits, offered.cColorBits, 1'000'000'000) * 1'000'000;
  if ((asked.dwFlags & PFD_DEPTH_DONTCARE) == 0) {
    score += count_distance(asked.cDepthBits, offered.cDepthBits, 1'000'000) * 10'000;
  }
  score += count_distance(asked.cAlphaBits, offered.cAlphaBits, 100'000) * 1'000;
  if ((asked.dwFlags & PFD_STEREO_DONTCARE) == 0 && ((asked.dwFlags ^ offered.dwFlags) & PFD_STEREO) != 0) {
    score += 10'000'000;
  }
  score += count_distance(asked.cStencilBits, offered.cStencilBits, 1'000) * 100;
  score += count_distance(asked.cAccumBits, offered.cAccumBits, 100) * 10;
  score += count_distance(asked.cAuxBuffers, offered.cAuxBuffers, 10);
  return score;
}

bool usable(const PIXELFORMATDESCRIPTOR& asked, const PIXELFORMATDESCRIPTOR& offered) {
  constexpr DWORD kRequired = PFD_DRAW_TO_WINDOW | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI;
  return (asked.dwFlags & kRequired & ~offered.dwFlags) == 0 && asked.iPixelType == offered.iPixelType;
}

}  // namespace

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* request) {
  if (desktop().find<DeviceContext>(hdc) == nullptr || request == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto formats = desktop().driver().pixel_formats();
  int best = 0;
  long long best_distance = std::numeric_limits<long long>::max();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (!usable(*request, formats[i])) continue;
    const long long d = distance(*request, formats[i]);
    if (d < best_distance) {
      best_distance = d;
      best = static_cast<int>(i) + 1;
    }
  }
  if (best == 0) platform::core::set_last_error(ERROR_INVALID_PIXEL_FORMAT);
  return best;
}

int DescribePixelFormat(HDC hdc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* descriptor) {
  if (desktop().find<DeviceContext>(hdc) == nullptr) return 0;
  const auto formats = desktop().driver().pixel_formats();
  const int count = static_cast<int>(formats.size());
  if (descriptor != nullptr) {
    if (format < 1 || format > count || bytes < sizeof(PIXELFORMATDESCRIPTOR)) {
      platform::core::set_last_error(ERROR_INVALID_PARAMETER);
      return 0;
    }
    *descriptor = formats[static_cast<std::size_t>(format - 1)];
  }
  return count;
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* /*request*/) {
  Window* w = window_of(hdc);
  if (w == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const int count = static_cast<int>(desktop().driver().pixel_formats().size());
  // A window's pixel format is set once, as on the platform.
  if (format < 1 || format > count || w->pixel_format != 0) {
    platform::core::set_last_error(ERROR_INVALID_PIXEL_FORMAT);
    return w->pixel_format == format && format != 0 ? TRUE : FALSE;
  }
  if (!desktop().driver().set_pixel_format(w->native, format)) {
    platform::core::set_last_error(ERROR_INVALID_PIXEL_FORMAT);
    return FALSE;
  }
  w->pixel_format = format;
  return TRUE;
}

int GetPixelFormat(HDC hdc) {
  const Window* w = window_of(hdc);
  return w != nullptr ? w->pixel_format : 0;
}

BOOL SwapBuffers(HDC hdc) {
  const Window* w = window_of(hdc);
  if (w == nullptr || w->pixel_format == 0) return FALSE;
  return desktop().driver().swap_buffers(w->native) ? TRUE : FALSE;
}

HGLRC wglCreateContext(HDC hdc) {
  const Window* w = window_of(hdc);
  if (w == nullptr || w->pixel_format == 0) {
    platform::core::set_last_error(ERROR_INVALID_PIXEL_FORMAT);
    return nullptr;
  }
  const platform::NativeId native = desktop().driver().create_gl_context(w->native, w->pixel_format);
  if (native == 0) return nullptr;
  auto context = std::make_unique<GlContext>();
  context->native = native;
  context->pixel_format = w->pixel_format;
  return desktop().add<HGLRC>(std::move(context));
}

BOOL wglMakeCurrent(HDC hdc, HGLRC context) {
  Desktop& d = desktop();
  if (context == nullptr) {
    if (d.current_context != nullptr) d.driver().make_current(0, 0);
    d.current_context = nullptr;
    d.current_dc = nullptr;
    return TRUE;
  }
  const GlContext* gl = d.find<GlContext>(context);
  const Window* w = window_of(hdc);
  if (gl == nullptr || w == nullptr || w->pixel_format != gl->pixel_format) {
    platform::core::set_last_error(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!d.driver().make_current(w->native, gl->native)) return FALSE;
  d.current_context = context;
  d.current_dc = hdc;
  return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
  Desktop& d = desktop();
  const GlContext* gl = d.find<GlContext>(context);
  if (gl == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (d.current_context == context) wglMakeCurrent(nullptr, nullptr);
  d.driver().delete_gl_context(gl->native);
  d.remove(context);
  return TRUE;
}

HGLRC wglGetCurrentContext() { return desktop().current_context; }
HDC wglGetCurrentDC() { return desktop().current_dc; }
