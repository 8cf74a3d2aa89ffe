// The steps of CREATEOGLWINDOW, not offered to programs (tests call them).
#pragma once

#include "platform/win32.h"

bool WINDOWREGISTER();
HWND WINDOWCREATE(const char* PCAPPLICATIONNAME);
bool WINDOWINIT(HWND HPARENT);
[[noreturn]] void THROWERROR(const char* PCERRORMESSAGE);
