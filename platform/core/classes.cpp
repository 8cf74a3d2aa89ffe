// Window classes: registration, look-up and the built-in classes.
#include <cstring>

#include "platform/core/desktop.h"
#include "platform/core/system_classes.h"
#include "platform/win32.h"

using platform::core::desktop;
using platform::core::WindowClass;

namespace platform::core {

void register_system_classes() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const SystemClass& system : system_classes()) {
    auto window_class = std::make_unique<WindowClass>();
    window_class->name = system.name;
    window_class->proc = system.proc;
    window_class->style = system.style;
    window_class->window_extra = system.window_extra;
    window_class->cursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class->background = system.background;
    window_class->system = true;
    window_class->atom = desktop().next_atom++;
    desktop().classes.push_back(std::move(window_class));
  }
}

}  // namespace platform::core

namespace {

ATOM register_class(const WNDCLASSEXA& wc) {
  platform::core::register_system_classes();
  if (wc.lpszClassName == nullptr || IS_INTRESOURCE(wc.lpszClassName) || wc.lpfnWndProc == nullptr ||
      wc.cbClsExtra < 0 || wc.cbWndExtra < 0) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const HINSTANCE instance = wc.hInstance != nullptr ? wc.hInstance : GetModuleHandleA(nullptr);
  for (const auto& existing : desktop().classes) {
    if (!existing->system && existing->instance == instance &&
        platform::core::case_insensitive_equal(existing->name, wc.lpszClassName)) {
      platform::core::set_last_error(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  auto window_class = std::make_unique<WindowClass>();
  window_class->name = wc.lpszClassName;
  window_class->style = wc.style;
  window_class->proc = wc.lpfnWndProc;
  window_class->class_extra = wc.cbClsExtra;
  window_class->window_extra = wc.cbWndExtra;
  window_class->instance = instance;
  window_class->icon = wc.hIcon;
  window_class->small_icon = wc.hIconSm;
  window_class->cursor = wc.hCursor;
  window_class->background = wc.hbrBackground;
  if (wc.lpszMenuName != nullptr && !IS_INTRESOURCE(wc.lpszMenuName)) window_class->menu_name = wc.lpszMenuName;
  window_class->atom = desktop().next_atom++;
  const ATOM atom = window_class->atom;
  desktop().classes.push_back(std::move(window_class));
  return atom;
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (wc == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return register_class(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return register_class(*wc);
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance) {
  auto& classes = desktop().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    WindowClass& wc = **it;
    if (wc.system || !platform::core::case_insensitive_equal(wc.name, class_name)) continue;
    if (instance != nullptr && wc.instance != instance) continue;
    for (const auto& handle : desktop().top_levels) {
      if (const auto* w = desktop().window(handle); w != nullptr && w->window_class == &wc) return FALSE;
    }
    classes.erase(it);
    return TRUE;
  }
  platform::core::set_last_error(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR class_name, WNDCLASSEXA* wc) {
  platform::core::register_system_classes();
  if (class_name == nullptr || wc == nullptr) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const WindowClass* found = desktop().find_class(class_name, instance);
  if (found == nullptr) {
    platform::core::set_last_error(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  wc->style = found->style;
  wc->lpfnWndProc = found->proc;
  wc->cbClsExtra = found->class_extra;
  wc->cbWndExtra = found->window_extra;
  wc->hInstance = found->instance;
  wc->hIcon = found->icon;
  wc->hCursor = found->cursor;
  wc->hbrBackground = found->background;
  wc->lpszMenuName = found->menu_name.empty() ? nullptr : found->menu_name.c_str();
  wc->lpszClassName = class_name;
  wc->hIconSm = found->small_icon;
  return TRUE;
}
