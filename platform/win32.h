// Our Win32 subset over X11, GLX and Mesa: the one header applications and
// the library include. Single-threaded: every call comes from the thread
// that created the windows.
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/user.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wgl.h"
#include "platform/win32/kernel.h"
#include "platform/win32/commctrl.h"
