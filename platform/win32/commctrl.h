// The common-controls subset: the status bar.
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/user.h"

#define STATUSCLASSNAMEA "msctls_statusbar32"

constexpr UINT SB_SETTEXTA = WM_USER + 1;
constexpr UINT SB_GETTEXTA = WM_USER + 2;
constexpr UINT SB_GETTEXTLENGTHA = WM_USER + 3;
constexpr UINT SB_SETPARTS = WM_USER + 4;
constexpr UINT SB_GETPARTS = WM_USER + 6;
constexpr UINT SB_GETBORDERS = WM_USER + 7;
constexpr UINT SB_SETMINHEIGHT = WM_USER + 8;
constexpr UINT SB_SIMPLE = WM_USER + 9;
constexpr UINT SB_GETRECT = WM_USER + 10;
constexpr UINT SB_ISSIMPLE = WM_USER + 14;

constexpr WPARAM SBT_NOBORDERS = 0x0100;
constexpr WPARAM SBT_POPOUT = 0x0200;
constexpr WPARAM SBT_RTLREADING = 0x0400;
constexpr WPARAM SBT_OWNERDRAW = 0x1000;
constexpr DWORD SBARS_SIZEGRIP = 0x0100;

void InitCommonControls();
HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id);
