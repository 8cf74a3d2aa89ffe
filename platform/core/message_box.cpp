// MessageBoxA: a modal dialog window of our own window class on a display,
// the terminal without one, and a handler in their place for tests.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/desktop.h"
#include "platform/core/system_classes.h"
#include "platform/core/system_images.h"
#include "platform/core/text_encoding.h"
#include "platform/testing.h"
#include "platform/win32.h"

using platform::core::desktop;

namespace {

platform::testing::MessageBoxHandler& handler() {
  static platform::testing::MessageBoxHandler h;
  return h;
}

struct Button {
  const char* label;
  int id;
};

std::vector<Button> buttons_for(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE: return {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}};
    case MB_YESNOCANCEL: return {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO: return {{"Yes", IDYES}, {"No", IDNO}};
    case MB_RETRYCANCEL: return {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}};
    default: return {{"OK", IDOK}};
  }
}

std::size_t default_index(UINT type, std::size_t count) {
  const std::size_t chosen = (type & MB_DEFMASK) >> 8;
  return chosen < count ? chosen : 0;
}

// What Escape and the window's close give: Cancel where there is one, OK
// for a box with only OK, nothing for a question without Cancel.
int cancel_answer(const std::vector<Button>& buttons) {
  for (const Button& b : buttons) {
    if (b.id == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons.front().id : 0;
}

int icon_id(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return 32513;
    case MB_ICONQUESTION: return 32514;
    case MB_ICONEXCLAMATION: return 32515;
    case MB_ICONASTERISK: return 32516;
    default: return 0;
  }
}

std::string escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// SORVEL_MESSAGE_BOX_LOG names a file that gets one line per box shown and
// one per answer, so that a test outside the process can follow the boxes.
void log_line(const std::string& line) {
  const char* path = std::getenv("SORVEL_MESSAGE_BOX_LOG");
  if (path == nullptr || *path == '\0') return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
  }
}

// ---- Without a display: the terminal ----

int ask_terminal(std::string_view text, std::string_view caption, UINT type) {
  const std::vector<Button> buttons = buttons_for(type);
  const int fallback = buttons[default_index(type, buttons.size())].id;
  std::fprintf(stderr, "%s: %s\n", platform::core::cp1252_to_utf8(caption).c_str(),
               platform::core::cp1252_to_utf8(text).c_str());
  const bool interactive = isatty(STDIN_FILENO) != 0;
  if (buttons.size() == 1) {
    if (interactive && isatty(STDERR_FILENO) != 0) {
      std::fputs("(press Enter) ", stderr);
      std::string line;
      std::getline(std::cin, line);
    }
    return fallback;
  }
  std::string choices;
  for (const Button& b : buttons) choices += std::string(choices.empty() ? "" : " / ") + "[" + b.label[0] + "]" + (b.label + 1);
  if (!interactive) {
    for (const Button& b : buttons) {
      if (b.id == fallback) std::fprintf(stderr, "%s? %s (no terminal: the default answer)\n", choices.c_str(), b.label);
    }
    return fallback;
  }
  while (true) {
    std::fprintf(stderr, "%s? ", choices.c_str());
    std::string line;
    if (!std::getline(std::cin, line)) return fallback;
    const auto first = std::find_if(line.begin(), line.end(), [](unsigned char c) { return !std::isspace(c); });
    if (first == line.end()) return fallback;
    for (const Button& b : buttons) {
      if (std::toupper(static_cast<unsigned char>(*first)) == b.label[0]) return b.id;
    }
  }
}

// ---- On a display: a dialog window ----

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;

struct Dialog {
  std::string text;
  UINT type = 0;
  std::vector<Button> buttons;
  std::size_t focused = 0;
  int pressed = -1;  // button held down by the mouse
  bool pressed_inside = false;
  int result = 0;
  RECT text_rect{};
  std::vector<RECT> button_rects;
  platform::CursorImage icon;
};

Dialog* dialog_of(HWND hwnd) { return reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

int button_at(const Dialog& dialog, LPARAM lparam) {
  const POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  for (std::size_t i = 0; i < dialog.button_rects.size(); ++i) {
    if (PtInRect(&dialog.button_rects[i], p)) return static_cast<int>(i);
  }
  return -1;
}

void paint(HWND hwnd, Dialog& dialog) {
  PAINTSTRUCT ps;
  const HDC hdc = BeginPaint(hwnd, &ps);
  if (ps.fErase) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  const auto* w = desktop().window(hwnd);
  if (!dialog.icon.frames.empty() && w != nullptr) {
    const platform::CursorFrame& frame = dialog.icon.frames.front();
    desktop().driver().put_image(w->native, kMargin, kMargin, frame.width, frame.height, frame.pixels.data(),
                                 frame.width, true);
  }
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(hdc, TRANSPARENT);
  RECT text = dialog.text_rect;
  DrawTextA(hdc, dialog.text.c_str(), static_cast<int>(dialog.text.size()), &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  for (std::size_t i = 0; i < dialog.buttons.size(); ++i) {
    RECT r = dialog.button_rects[i];
    const bool focused = i == dialog.focused;
    const bool down = static_cast<int>(i) == dialog.pressed && dialog.pressed_inside;
    FillRect(hdc, &r, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    InflateRect(&r, focused ? -2 : -1, focused ? -2 : -1);
    FillRect(hdc, &r, GetSysColorBrush(down ? COLOR_3DLIGHT : COLOR_WINDOW));
    DrawTextA(hdc, dialog.buttons[i].label, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  EndPaint(hwnd, &ps);
}

void move_focus(HWND hwnd, Dialog& dialog, int step) {
  const auto count = static_cast<int>(dialog.buttons.size());
  dialog.focused = static_cast<std::size_t>((static_cast<int>(dialog.focused) + step + count) % count);
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT on_key(HWND hwnd, Dialog& dialog, WPARAM key) {
  switch (key) {
    case VK_TAB: move_focus(hwnd, dialog, (GetKeyState(VK_SHIFT) & 0x8000) != 0 ? -1 : 1); return 0;
    case VK_LEFT:
    case VK_UP: move_focus(hwnd, dialog, -1); return 0;
    case VK_RIGHT:
    case VK_DOWN: move_focus(hwnd, dialog, 1); return 0;
    case VK_RETURN:
    case VK_SPACE: dialog.result = dialog.buttons[dialog.focused].id; return 0;
    case VK_ESCAPE: dialog.result = cancel_answer(dialog.buttons); return 0;
    default: break;
  }
  // A button's first letter answers, as its mnemonic does.
  for (const Button& b : dialog.buttons) {
    if (static_cast<WPARAM>(b.label[0]) == key) dialog.result = b.id;
  }
  return 0;
}

// Sizes the dialog for its text and buttons; returns the client size.
POINT lay_out(Dialog& dialog) {
  const POINT screen = desktop().driver().screen_size();
  const int text_left = kMargin + (dialog.icon.frames.empty() ? 0 : kIconSize + kMargin);
  const int widest_text = std::max(200, static_cast<int>(screen.x * 3 / 5) - text_left - kMargin);
  const HDC hdc = CreateCompatibleDC(nullptr);
  RECT text{text_left, kMargin, text_left + widest_text, kMargin};
  DrawTextA(hdc, dialog.text.c_str(), static_cast<int>(dialog.text.size()), &text,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  DeleteDC(hdc);
  const int content_bottom = std::max<int>(text.bottom, dialog.icon.frames.empty() ? 0 : kMargin + kIconSize);
  if (!dialog.icon.frames.empty() && text.bottom - text.top < kIconSize) {
    OffsetRect(&text, 0, (kIconSize - (text.bottom - text.top)) / 2);  // centred on the icon
  }
  dialog.text_rect = text;
  const int count = static_cast<int>(dialog.buttons.size());
  const int buttons_width = count * kButtonWidth + (count - 1) * kButtonGap;
  const int width = std::max<int>(text.right + kMargin, buttons_width + 2 * kMargin);
  const int buttons_top = content_bottom + 2 * kMargin;
  dialog.button_rects.clear();
  int x = width - kMargin - buttons_width;
  for (int i = 0; i < count; ++i, x += kButtonWidth + kButtonGap) {
    dialog.button_rects.push_back({x, buttons_top, x + kButtonWidth, buttons_top + kButtonHeight});
  }
  return {width, buttons_top + kButtonHeight + kMargin};
}

int run_dialog(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  Dialog dialog;
  dialog.text = std::string(text);
  dialog.type = type;
  dialog.buttons = buttons_for(type);
  dialog.focused = default_index(type, dialog.buttons.size());
  if (const int id = icon_id(type)) dialog.icon = platform::core::system_icon_image(id);
  const POINT client = lay_out(dialog);
  const POINT screen = desktop().driver().screen_size();
  const int width = client.x + 6;
  const int height = client.y + 22;
  const std::string title(caption);
  const HWND hwnd = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, platform::core::kMessageBoxClass,
                                    title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                                    std::max(0, (screen.x - width) / 2), std::max(0, (screen.y - height) / 2), width,
                                    height, owner, nullptr, nullptr, &dialog);
  if (hwnd == nullptr) return ask_terminal(text, caption, type);
  const bool owner_was_enabled = owner != nullptr && IsWindowEnabled(owner);
  if (owner_was_enabled) EnableWindow(owner, FALSE);
  MSG msg;
  bool quit = false;
  while (dialog.result == 0 && IsWindow(hwnd)) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      quit = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (owner_was_enabled) EnableWindow(owner, TRUE);
  DestroyWindow(hwnd);
  if (quit) {
    PostQuitMessage(static_cast<int>(msg.wParam));  // the caller's loop still sees it
    return 0;
  }
  return dialog.result;
}

}  // namespace

namespace platform::core {

LRESULT message_box_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Dialog* dialog = dialog_of(hwnd);
  if (dialog == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_PAINT:
      paint(hwnd, *dialog);
      return 0;
    case WM_KEYDOWN:
      return on_key(hwnd, *dialog, wparam);
    case WM_LBUTTONDOWN:
      dialog->pressed = button_at(*dialog, lparam);
      dialog->pressed_inside = dialog->pressed >= 0;
      if (dialog->pressed >= 0) {
        dialog->focused = static_cast<std::size_t>(dialog->pressed);
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (dialog->pressed >= 0) {
        const bool inside = button_at(*dialog, lparam) == dialog->pressed;
        if (inside != dialog->pressed_inside) InvalidateRect(hwnd, nullptr, FALSE);
        dialog->pressed_inside = inside;
      }
      return 0;
    case WM_LBUTTONUP:
      if (dialog->pressed >= 0) {
        if (button_at(*dialog, lparam) == dialog->pressed) {
          dialog->result = dialog->buttons[static_cast<std::size_t>(dialog->pressed)].id;
        }
        dialog->pressed = -1;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_CLOSE:
      dialog->result = cancel_answer(dialog->buttons);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

}  // namespace platform::core

namespace platform::testing {

void set_message_box_handler(MessageBoxHandler handler_function) { handler() = std::move(handler_function); }

}  // namespace platform::testing

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const std::string_view body = text != nullptr ? text : "";
  const std::string_view title = caption != nullptr ? caption : "Error";
  char style[16];
  std::snprintf(style, sizeof style, "0x%08X", type);
  log_line("box\t" + std::string(style) + "\t" + escaped(title) + "\t" + escaped(body));
  int answer;
  if (handler()) {
    answer = handler()(platform::testing::MessageBoxCall{owner, std::string(body), std::string(title), type});
  } else if (desktop().driver().has_display()) {
    answer = run_dialog(owner, body, title, type);
  } else {
    answer = ask_terminal(body, title, type);
  }
  log_line("answer\t" + std::to_string(answer));
  return answer;
}
