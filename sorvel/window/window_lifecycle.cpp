// The library's one OpenGL window: class registration, creation, pixel
// format and context, the status bar, fatal errors and teardown.
#include <cstring>

#include "sorvel/sorvel.h"
#include "sorvel/window/window_internal.h"
#include "sorvel/window/window_texts.h"

HWND HWINDOW = nullptr;
HDC DCWINDOW = nullptr;
HGLRC RCWINDOW = nullptr;
std::int32_t WIDTH = 0;
std::int32_t HEIGHT = 0;
std::int32_t BITS = 0;
bool FULLSCREEN = false;
bool ACTIVE = false;
std::int32_t SETTYPECURSOR = 0;
std::int32_t SETTYPEICON = 0;
const char* CURSORFILE = nullptr;
const char* ICONFILE = nullptr;
void (*CREATEMENUBAR)() = nullptr;
void (*CREATEMOUSEMENU)() = nullptr;
WNDPROC GETINPUTCOMMAND = nullptr;
bool SHOWMENUBAR = false;
bool SHOWSTATUSBAR = false;
HWND HSTATUS = nullptr;
HWND AWND = nullptr;
char FILENAME[261] = {};
constinit sorvel::CheckedTable<std::int32_t, 1, 20> STATUSITEM{"STATUSITEM"};
std::int32_t MAXSTATUSITEM = 0;
constinit sorvel::CheckedTable<std::int32_t, 1, 20> EDGES{"EDGES"};
std::uint32_t OBJNULL = 0;
bool FOGONOFF = false;
std::string SORVELVERSION = sorvel::texts::kVersion;

namespace {

constexpr DWORD kWindowedStyle = 0x96CA0000;    // popup, visible, clipping, caption, system menu, minimize box
constexpr DWORD kFullScreenStyle = 0x96880000;  // popup, visible, clipping, thin border, system menu
constexpr UINT kStatusBarId = 30482;

HCURSOR class_cursor(std::int32_t kind) {
  static constexpr int kSystemCursors[17] = {0,     32512, 32513, 32514, 32515, 32516, 32640, 0,    32642,
                                             32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
  if (kind == FILECURSOR) return LoadCursorFromFileA(CURSORFILE);
  if (kind < 1 || kind > 16) return nullptr;  // no class cursor for an unknown kind
  return LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemCursors[kind]));
}

HICON class_icon(std::int32_t kind) {
  if (kind == GENERIC) return LoadIconA(nullptr, IDI_APPLICATION);
  if (kind == FILEICON) return LoadCursorFromFileA(ICONFILE);  // the cursor loader's handle serves as the icon
  return nullptr;
}

}  // namespace

[[noreturn]] void THROWERROR(const char* PCERRORMESSAGE) {
  MessageBoxA(nullptr, PCERRORMESSAGE, sorvel::texts::kErrorCaption, MB_OK);
  ExitProcess(0);
}

bool WINDOWREGISTER() {
  WNDCLASS window_class{};
  window_class.style = CS_VREDRAW | CS_HREDRAW;
  window_class.lpfnWndProc = GLWNDPROC;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hIcon = class_icon(SETTYPEICON);
  window_class.hCursor = class_cursor(SETTYPECURSOR);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = sorvel::texts::kWindowClass;
  return (RegisterClassA(&window_class) & 0xFFFF) != 0;
}

HWND WINDOWCREATE(const char* PCAPPLICATIONNAME) {
  DWORD style = kWindowedStyle;
  if (FULLSCREEN) {
    // Full screen is only a window as large as the screen; the mode stays.
    WIDTH = GetSystemMetrics(SM_CXSCREEN);
    HEIGHT = GetSystemMetrics(SM_CYSCREEN);
    style = kFullScreenStyle;
  }
  const HWND window = CreateWindowExA(0, sorvel::texts::kWindowClass, PCAPPLICATIONNAME, style, CW_USEDEFAULT,
                                      CW_USEDEFAULT, WIDTH, HEIGHT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr) {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    ShowWindow(window, startup.wShowWindow);
    UpdateWindow(window);
  }
  return window;
}

bool WINDOWINIT(HWND HPARENT) {
  DCWINDOW = GetDC(HPARENT);
  if (BITS < 0 || BITS > 255) sorvel::range_error("BITS", BITS, 0, 255);  // it fills 8-bit fields
  const auto bits = static_cast<BYTE>(BITS);
  PIXELFORMATDESCRIPTOR request;
  std::memset(&request, 0, sizeof request);
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DOUBLEBUFFER | PFD_STEREO | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_GENERIC_FORMAT |
                    PFD_GENERIC_ACCELERATED;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = bits;
  request.cAlphaBits = bits;
  request.cAccumBits = bits;
  request.cDepthBits = bits;
  request.cStencilBits = bits;
  request.cAuxBuffers = bits;
  request.iLayerType = 1;
  const int format = ChoosePixelFormat(DCWINDOW, &request);
  SetPixelFormat(DCWINDOW, format, &request);
  RCWINDOW = wglCreateContext(DCWINDOW);
  wglMakeCurrent(DCWINDOW, RCWINDOW);
  return format != 0 && RCWINDOW != nullptr;
}

void OGLWINDOWSETTING(std::int32_t TYPECURSOR, const char* CURFILE, std::int32_t TYPEICON, const char* ICOFILE) {
  if (MOUSEFREE) {
    START = GetTickCount();
    SetCursorPos(WIDTH / 2, HEIGHT / 2);
  }
  FOGONOFF = true;
  SETTYPECURSOR = TYPECURSOR;
  CURSORFILE = CURFILE;
  SETTYPEICON = TYPEICON;
  ICONFILE = ICOFILE;
  // With no context current yet, GL makes no list and gives 0.
  OBJNULL = glGenLists(1);
  glNewList(OBJNULL, GL_COMPILE);
  glEndList();
}

bool CREATEOGLWINDOW(const char* APPNAME, std::int32_t APPWIDTH, std::int32_t APPHEIGHT, std::int32_t APPBITS,
                     bool APPFULLSCREEN) {
  WIDTH = APPWIDTH;
  HEIGHT = APPHEIGHT;
  BITS = APPBITS;
  FULLSCREEN = APPFULLSCREEN;
  if (!WINDOWREGISTER()) THROWERROR(sorvel::texts::kRegistrationFailed);
  HWINDOW = WINDOWCREATE(APPNAME);
  // Menu and status bar come before the handle is tested, as they always have.
  if (SHOWMENUBAR && CREATEMENUBAR != nullptr) CREATEMENUBAR();
  if (SHOWSTATUSBAR) HSTATUS = CREATESTATUSBAR(HWINDOW);
  if (HWINDOW == nullptr) THROWERROR(sorvel::texts::kCreationFailed);
  if (!WINDOWINIT(HWINDOW)) THROWERROR(sorvel::texts::kContextFailed);
  return true;
}

HWND CREATESTATUSBAR(HWND PARENT) {
  std::memset(FILENAME, 0, sizeof FILENAME);
  std::strcpy(FILENAME, sorvel::texts::kStatusText);
  AWND = CreateStatusWindowA(static_cast<LONG>(WS_CHILD | WS_VISIBLE), FILENAME, PARENT, kStatusBarId);
  if (AWND != nullptr) {
    for (std::int32_t part = 1; part <= MAXSTATUSITEM; ++part) EDGES[part] = STATUSITEM[part];
    SendMessageA(AWND, SB_SETPARTS, static_cast<WPARAM>(MAXSTATUSITEM), reinterpret_cast<LPARAM>(EDGES.data()));
  }
  return AWND;
}

void DELETEOGLWINDOW() {
  // Every step may fail quietly: the user may have closed the window already.
  wglMakeCurrent(DCWINDOW, nullptr);
  wglDeleteContext(RCWINDOW);
  ReleaseDC(HWINDOW, DCWINDOW);
  DestroyWindow(HWINDOW);
}
