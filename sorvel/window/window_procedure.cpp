// The GL window's procedure with its keyboard and mouse state, and the
// message pump of the frame loop.
#include "sorvel/sorvel.h"

constinit sorvel::CheckedTable<std::int32_t, 0, 500> SETKEY{"SETKEY"};
bool LEFTMOUSEDOWN = false;
bool RIGHTMOUSEDOWN = false;
bool LEFTMOUSEDOWN2 = false;
bool RIGHTMOUSEDOWN2 = false;
bool MOUSEFREE = false;
float XROT = 0.0f;
float YROT = 0.0f;
float XROT2 = 0.0f;
float YROT2 = 0.0f;
float DEPTH = 0.0f;
float DEPTH2 = 0.0f;
std::int32_t XCOORD = 0;
std::int32_t YCOORD = 0;
std::int32_t ZCOORD = 0;
std::int32_t SETMX = 0;
std::int32_t SETMY = 0;
std::int32_t SETOMX = 0;
std::int32_t SETOMY = 0;
TPOINT MPOS = {0, 0};
std::int32_t MSPEED = 0;
std::uint32_t START = 0;
MSG MSG_ = {};

namespace {

constexpr std::int32_t kKeyDown = -1;
constexpr std::int32_t kKeyUp = 0;
constexpr WPARAM kHighestKey = 500;  // codes above have no entry and are not recorded

// value + increment in extended precision, rounded once when stored.
float add(float value, long double increment) { return static_cast<float>(static_cast<long double>(value) + increment); }

float clamp_look(float value) {
  if (value > 60.0f) value = 60.0f;
  if (!(value >= -60.0f)) value = -60.0f;
  return value;
}

void mouse_move(std::int32_t x, std::int32_t y) {
  SETOMX = x;
  SETOMY = y;
  if (LEFTMOUSEDOWN) {
    const std::int32_t dy = y - YCOORD;
    const std::int32_t dx = x - XCOORD;
    XROT = add(XROT, dy / 2.0L * MSPEED);
    YROT = add(YROT, dx / 2.0L * MSPEED);
    XROT2 = add(XROT2, dy / 2.0L * MSPEED);
    YROT2 = add(YROT2, dx / 2.0L * MSPEED);
    XCOORD = x;
    YCOORD = y;
  }
  if (RIGHTMOUSEDOWN && !MOUSEFREE) {
    const std::int32_t dz = y - ZCOORD;
    DEPTH = add(DEPTH, -(dz / 10.0L * MSPEED));
    DEPTH2 = add(DEPTH2, -(dz / 10.0L * MSPEED));
    ZCOORD = y;
  }
  if (MOUSEFREE && GetForegroundWindow() == HWINDOW) {
    const std::int32_t cx = WIDTH / 2;
    const std::int32_t cy = HEIGHT / 2;
    POINT cursor{};
    GetCursorPos(&cursor);
    MPOS = {cursor.x, cursor.y};
    SetCursorPos(cx, cy);
    XROT = add(XROT, (MPOS.X - cx) / 100.0L * MSPEED);
    YROT = clamp_look(add(YROT, -((cy - MPOS.Y) / 100.0L * MSPEED)));
    XROT2 = add(XROT2, (MPOS.X - cx) / 100.0L * MSPEED);
    YROT2 = clamp_look(add(YROT2, -((cy - MPOS.Y) / 100.0L * MSPEED)));
  }
}

}  // namespace

LRESULT GLWNDPROC(HWND WINDOW, UINT AMESSAGE, WPARAM wparam, LPARAM lparam) {
  // Positions are signed 16-bit numbers, so a captured drag past the left or
  // top edge keeps turning smoothly instead of jumping by 65535 pixels.
  const std::int32_t x = GET_X_LPARAM(lparam);
  const std::int32_t y = GET_Y_LPARAM(lparam);
  switch (AMESSAGE) {
    case WM_CREATE:
      ACTIVE = true;
      return 0;
    case WM_DESTROY:
      ACTIVE = false;
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(WINDOW, &paint);
      RECT client;
      GetClientRect(WINDOW, &client);
      UpdateWindow(HSTATUS);
      EndPaint(WINDOW, &paint);
      return 0;
    }
    case WM_CONTEXTMENU:
      if (SHOWMENUBAR && CREATEMOUSEMENU != nullptr) CREATEMOUSEMENU();
      break;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        // Escape only sends the destroy; the window lives until teardown.
        SendMessageA(HWINDOW, WM_DESTROY, 0, 0);
        return 0;
      }
      if (wparam <= kHighestKey) SETKEY[static_cast<long long>(wparam)] = kKeyDown;
      break;
    case WM_KEYUP:
      if (wparam <= kHighestKey) SETKEY[static_cast<long long>(wparam)] = kKeyUp;
      MOUSEFREE = false;
      break;
    case WM_COMMAND:
      if (SHOWMENUBAR && GETINPUTCOMMAND != nullptr) GETINPUTCOMMAND(WINDOW, AMESSAGE, wparam, lparam);
      return 0;
    case WM_MOUSEMOVE:
      mouse_move(x, y);
      break;
    case WM_LBUTTONDOWN:
      ReleaseCapture();
      SetCapture(HWINDOW);
      LEFTMOUSEDOWN = LEFTMOUSEDOWN2 = true;
      XCOORD = SETMX = x;
      YCOORD = SETMY = y;
      break;
    case WM_LBUTTONUP:
      ReleaseCapture();
      LEFTMOUSEDOWN = LEFTMOUSEDOWN2 = false;
      XCOORD = YCOORD = SETMX = SETMY = 0;
      break;
    case WM_RBUTTONDOWN:
      ReleaseCapture();
      SetCapture(HWINDOW);
      RIGHTMOUSEDOWN = RIGHTMOUSEDOWN2 = true;
      ZCOORD = y;
      break;
    case WM_RBUTTONUP:
      ReleaseCapture();
      RIGHTMOUSEDOWN = RIGHTMOUSEDOWN2 = false;
      break;
    default:  // WM_SYSCOMMAND and the rest: screen saver and power-off pass on
      break;
  }
  if (wparam == 0) UpdateWindow(HSTATUS);
  return DefWindowProcA(WINDOW, AMESSAGE, wparam, lparam);
}

void SETGLMSG() {
  if (PeekMessageA(&MSG_, nullptr, 0, 0, PM_NOREMOVE)) {
    GetMessageA(&MSG_, nullptr, 0, 0);  // WM_QUIT too is just taken off
    TranslateMessage(&MSG_);
    DispatchMessageA(&MSG_);
  }
}
