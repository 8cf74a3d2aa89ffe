// OpenGL rendering contexts on device contexts, over the display's GL.
#pragma once

#include "platform/win32/types.h"

// A compatibility-profile context, so that the fixed-function pipeline works.
HGLRC wglCreateContext(HDC hdc);
BOOL wglDeleteContext(HGLRC context);
// A null context releases the thread's current one; the device context is then ignored.
BOOL wglMakeCurrent(HDC hdc, HGLRC context);
HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();
