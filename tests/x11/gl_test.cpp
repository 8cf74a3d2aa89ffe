// GL through the layer on the X server's GLX: the formats it offers, the
// demo's request, a compatibility context that draws and swaps onto the
// window, and a window destroyed while its context is current.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <GL/gl.h>

#include <cstring>

#include "platform/win32.h"
#include "platform/x11/x11_testing.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::Probe;
using sorvel::testing::pump_arrived;

constexpr DWORD kCaptionStyle = 0x96CA0000;

// The library's request: 32 of everything, stereo and double buffering.
PIXELFORMATDESCRIPTOR demo_request() {
  PIXELFORMATDESCRIPTOR request;
  std::memset(&request, 0, sizeof request);
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DOUBLEBUFFER | PFD_STEREO | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_GENERIC_FORMAT |
                    PFD_GENERIC_ACCELERATED;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = request.cAlphaBits = request.cAccumBits = 32;
  request.cDepthBits = request.cStencilBits = request.cAuxBuffers = 32;
  request.iLayerType = 1;
  return request;
}

class X11Gl : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = CreateWindowExA(0, sorvel::testing::logging_class(), "gl", kCaptionStyle, CW_USEDEFAULT, CW_USEDEFAULT, 200,
                           150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    outer = probe.wait_for_top_level("gl");
    ASSERT_NE(outer, 0u);
    hdc = GetDC(hwnd);
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  // The demo's format set and a context made current on it.
  HGLRC current_demo_context() {
    const PIXELFORMATDESCRIPTOR request = demo_request();
    const int format = ChoosePixelFormat(hdc, &request);
    if (format == 0 || !SetPixelFormat(hdc, format, &request)) return nullptr;
    const HGLRC context = wglCreateContext(hdc);
    if (context == nullptr || !wglMakeCurrent(hdc, context)) return nullptr;
    return context;
  }
  Window client_window() {
    const auto inside = probe.viewable_children(outer);
    return inside.size() == 1 ? inside[0] : 0;
  }

  Probe probe;
  HWND hwnd = nullptr;
  Window outer = 0;
  HDC hdc = nullptr;
};

TEST_F(X11Gl, FormatsAreWindowRgbaAndTheDemoRequestFindsDoubleBufferedWithDepth) {
  const int count = DescribePixelFormat(hdc, 1, 0, nullptr);
  ASSERT_GT(count, 0);
  for (int i = 1; i <= count; ++i) {
    PIXELFORMATDESCRIPTOR pfd;
    ASSERT_EQ(DescribePixelFormat(hdc, i, sizeof pfd, &pfd), count);
    EXPECT_EQ(pfd.nSize, sizeof pfd);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL), PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL);
    EXPECT_GE(pfd.cColorBits, pfd.cRedBits + pfd.cGreenBits + pfd.cBlueBits);
    EXPECT_EQ(pfd.cAccumBits, pfd.cAccumRedBits + pfd.cAccumGreenBits + pfd.cAccumBlueBits + pfd.cAccumAlphaBits);
    EXPECT_NE(pfd.cRedShift, pfd.cGreenShift);
  }
  const PIXELFORMATDESCRIPTOR request = demo_request();
  const int chosen = ChoosePixelFormat(hdc, &request);
  ASSERT_GT(chosen, 0);
  PIXELFORMATDESCRIPTOR pfd;
  DescribePixelFormat(hdc, chosen, sizeof pfd, &pfd);
  EXPECT_NE(pfd.dwFlags & PFD_DOUBLEBUFFER, 0u);
  EXPECT_GT(pfd.cDepthBits, 0);
  EXPECT_GE(pfd.cRedBits, 8);
  EXPECT_EQ(ChoosePixelFormat(hdc, &request), chosen) << "a stable order";
}

TEST_F(X11Gl, ContextClearsDrawsFixedFunctionAndSwapsOntoTheWindow) {
  const HGLRC context = current_demo_context();
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), context);
  pump_arrived();  // the class background is painted first, as on any expose
  glViewport(0, 0, 194, 128);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  // The fixed pipeline: a compatibility context.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_QUADS);
  glVertex2f(-1.0f, -1.0f);
  glVertex2f(0.0f, -1.0f);
  glVertex2f(0.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glEnd();
  unsigned char left[4] = {};
  unsigned char right[4] = {};
  glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
  glReadPixels(150, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(left[0], 255);
  EXPECT_EQ(left[2], 0);
  EXPECT_EQ(right[0], 0);
  EXPECT_EQ(right[2], 255);

  ASSERT_TRUE(SwapBuffers(hdc));
  glFinish();
  POINT caught_up;
  GetCursorPos(&caught_up);  // a round trip: the swap's image has reached the server
  const Window client = client_window();
  ASSERT_NE(client, 0u);
  EXPECT_EQ(probe.pixel(client, 10, 117), 0xFF0000u) << "red on the left, seen by the server";
  EXPECT_EQ(probe.pixel(client, 150, 117), 0x0000FFu);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
}

TEST_F(X11Gl, WindowClosedUnderACurrentContextHidesAndGoesWhenReleased) {
  const HGLRC context = current_demo_context();
  ASSERT_NE(context, nullptr);
  const unsigned long errors = platform::x11::testing::error_count();
  DestroyWindow(hwnd);  // as the system close does, with the frame loop still drawing
  pump_arrived();
  EXPECT_TRUE(probe.exists(outer)) << "kept for the context";
  EXPECT_FALSE(probe.viewable(outer)) << "but hidden at once";

  // The last pass of the loop still draws; nothing fails.
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char pixel[4] = {};
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(pixel[1], 255);
  EXPECT_FALSE(SwapBuffers(hdc)) << "the device context went with the window";

  // The library's teardown: release, delete.
  EXPECT_TRUE(wglMakeCurrent(hdc, nullptr));
  EXPECT_TRUE(wglDeleteContext(context));
  pump_arrived();
  EXPECT_FALSE(probe.exists(outer));
  EXPECT_EQ(platform::x11::testing::error_count(), errors) << "no X error on the way";
}

}  // namespace
