// The keyboard: X keycodes to the platform's virtual keys by the layout's
// symbols, and the character a key makes under a given key state.
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <array>

#include "platform/core/text_encoding.h"
#include "platform/win32.h"
#include "platform/x11/x11_internal.h"

namespace platform::x11 {
namespace {

// X keycodes are the kernel's key numbers plus 8.
constexpr unsigned kKeycodeOffset = 8;

bool is_keypad(KeySym sym) { return sym >= XK_KP_Space && sym <= XK_KP_9; }

UINT virtual_key_of(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return static_cast<UINT>('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return static_cast<UINT>('A' + (sym - XK_A));
  if (sym >= XK_0 && sym <= XK_9) return static_cast<UINT>('0' + (sym - XK_0));
  if (sym >= XK_F1 && sym <= XK_F24) return static_cast<UINT>(VK_F1 + static_cast<int>(sym - XK_F1));
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<UINT>(VK_NUMPAD0 + static_cast<int>(sym - XK_KP_0));
  switch (sym) {
    case XK_BackSpace:
      return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return VK_TAB;
    case XK_Clear:
    case XK_KP_Begin:
      return VK_CLEAR;
    case XK_Return:
    case XK_KP_Enter:
      return VK_RETURN;
    case XK_Escape:
      return VK_ESCAPE;
    case XK_space:
      return VK_SPACE;
    case XK_Pause:
      return VK_PAUSE;
    case XK_Print:
      return VK_SNAPSHOT;
    case XK_Scroll_Lock:
      return VK_SCROLL;
    case XK_Num_Lock:
      return VK_NUMLOCK;
    case XK_Caps_Lock:
      return VK_CAPITAL;
    case XK_Shift_L:
    case XK_Shift_R:
      return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
      return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
    case XK_ISO_Level3_Shift:
    case XK_Mode_switch:
      return VK_MENU;
    case XK_Super_L:
      return VK_LWIN;
    case XK_Super_R:
      return VK_RWIN;
    case XK_Menu:
      return VK_APPS;
    case XK_Home:
    case XK_KP_Home:
      return VK_HOME;
    case XK_End:
    case XK_KP_End:
      return VK_END;
    case XK_Prior:
    case XK_KP_Prior:
      return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next:
      return VK_NEXT;
    case XK_Left:
    case XK_KP_Left:
      return VK_LEFT;
    case XK_Up:
    case XK_KP_Up:
      return VK_UP;
    case XK_Right:
    case XK_KP_Right:
      return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down:
      return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert:
      return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete:
      return VK_DELETE;
    case XK_KP_Multiply:
      return VK_MULTIPLY;
    case XK_KP_Add:
      return VK_ADD;
    case XK_KP_Separator:
      return VK_SEPARATOR;
    case XK_KP_Subtract:
      return VK_SUBTRACT;
    case XK_KP_Decimal:
      return VK_DECIMAL;
    case XK_KP_Divide:
      return VK_DIVIDE;
    case XK_semicolon:
    case XK_colon:
      return VK_OEM_1;
    case XK_equal:
    case XK_plus:
      return VK_OEM_PLUS;
    case XK_comma:
      return VK_OEM_COMMA;
    case XK_minus:
      return VK_OEM_MINUS;
    case XK_period:
      return VK_OEM_PERIOD;
    case XK_slash:
      return VK_OEM_2;
    case XK_grave:
      return VK_OEM_3;
    case XK_bracketleft:
      return VK_OEM_4;
    case XK_backslash:
      return VK_OEM_5;
    case XK_bracketright:
      return VK_OEM_6;
    case XK_apostrophe:
      return VK_OEM_7;
    case XK_less:
      return VK_OEM_102;
    default:
      return 0;
  }
}

// Keys whose symbol names no virtual key (a letter of another alphabet, a
// digit-row key whose first symbol is punctuation) take the key of the same
// place on the US layout, as the platform's layouts do.
UINT virtual_key_by_place(unsigned keycode) {
  static constexpr std::array<BYTE, 87> kByPlace = [] {
    std::array<BYTE, 87> table{};
    const char* const rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const unsigned starts[] = {2, 16, 30, 44};
    for (int row = 0; row < 4; ++row) {
      for (unsigned i = 0; rows[row][i] != '\0'; ++i) table[starts[row] + i] = static_cast<BYTE>(rows[row][i]);
    }
    table[12] = VK_OEM_MINUS;
    table[13] = VK_OEM_PLUS;
    table[26] = VK_OEM_4;
    table[27] = VK_OEM_6;
    table[39] = VK_OEM_1;
    table[40] = VK_OEM_7;
    table[41] = VK_OEM_3;
    table[43] = VK_OEM_5;
    table[51] = VK_OEM_COMMA;
    table[52] = VK_OEM_PERIOD;
    table[53] = VK_OEM_2;
    table[86] = VK_OEM_102;
    return table;
  }();
  if (keycode < kKeycodeOffset || keycode - kKeycodeOffset >= kByPlace.size()) return 0;
  return kByPlace[keycode - kKeycodeOffset];
}

}  // namespace

void X11Driver::load_keymap() {
  if (keymap_ != nullptr) XkbFreeKeyboard(keymap_, XkbAllComponentsMask, True);
  keymap_ = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
  keymap_stale_ = false;
  level3_mask_ = num_lock_mask_ = alt_mask_ = 0;
  if (keymap_ != nullptr && keymap_->map != nullptr && keymap_->map->modmap != nullptr) {
    // Which modifier bits AltGr, Num Lock and Alt are bound to on this layout.
    for (unsigned kc = keymap_->min_key_code; kc <= keymap_->max_key_code; ++kc) {
      const int count = XkbKeyNumSyms(keymap_, kc);
      const KeySym* syms = XkbKeySymsPtr(keymap_, kc);
      const unsigned mods = keymap_->map->modmap[kc];
      for (int i = 0; i < count; ++i) {
        if (syms[i] == XK_ISO_Level3_Shift || syms[i] == XK_Mode_switch) level3_mask_ |= mods;
        if (syms[i] == XK_Num_Lock) num_lock_mask_ |= mods;
        if (syms[i] == XK_Alt_L || syms[i] == XK_Alt_R) alt_mask_ |= mods;
      }
    }
  }
  if (level3_mask_ == 0) level3_mask_ = Mod5Mask;
  if (num_lock_mask_ == 0) num_lock_mask_ = Mod2Mask;
  if (alt_mask_ == 0) alt_mask_ = Mod1Mask;
}

KeySym X11Driver::level_one_keysym(unsigned keycode, int group) const {
  if (keymap_ == nullptr || keycode < keymap_->min_key_code || keycode > keymap_->max_key_code) return NoSymbol;
  const int groups = XkbKeyNumGroups(keymap_, keycode);
  if (groups <= 0) return NoSymbol;
  return XkbKeySymEntry(keymap_, keycode, 0, group % groups);
}

KeySym X11Driver::keysym_for(unsigned keycode, unsigned modifiers) const {
  KeySym sym = NoSymbol;
  unsigned consumed = 0;
  if (keymap_ == nullptr || !XkbTranslateKeyCode(keymap_, static_cast<KeyCode>(keycode), modifiers, &consumed, &sym)) {
    return NoSymbol;
  }
  return sym;
}

UINT X11Driver::virtual_key(unsigned keycode, unsigned state) const {
  KeySym sym = level_one_keysym(keycode, XkbGroupForCoreState(state));
  // The keypad's keys are digits or moves as Num Lock says.
  if (is_keypad(sym)) sym = keysym_for(keycode, (state & num_lock_mask_) | (state & 0x6000));
  if (const UINT vk = virtual_key_of(sym)) return vk;
  return virtual_key_by_place(keycode);
}

bool is_extended_key(KeySym level_one) {
  switch (level_one) {
    case XK_Control_R:
    case XK_Alt_R:
    case XK_ISO_Level3_Shift:
    case XK_Home:
    case XK_End:
    case XK_Prior:
    case XK_Next:
    case XK_Left:
    case XK_Up:
    case XK_Right:
    case XK_Down:
    case XK_Insert:
    case XK_Delete:
    case XK_KP_Enter:
    case XK_KP_Divide:
    case XK_Num_Lock:
    case XK_Print:
    case XK_Super_L:
    case XK_Super_R:
    case XK_Menu:
      return true;
    default:
      return false;
  }
}

int X11Driver::key_to_char(UINT virtual_key, UINT scan_code, const BYTE key_state[256]) {
  if (keymap_stale_) load_keymap();
  const unsigned keycode = (scan_code & 0xFF) + kKeycodeOffset;
  auto down = [key_state](int vk) { return (key_state[vk] & 0x80) != 0; };
  const bool control = down(VK_CONTROL);
  // AltGr, or Ctrl+Alt standing in for it.
  const bool alt_gr = down(VK_RMENU) || (control && down(VK_MENU));
  const unsigned group = static_cast<unsigned>(keyboard_group_) << 13;
  unsigned mods = group;
  if (down(VK_SHIFT)) mods |= ShiftMask;
  if ((key_state[VK_CAPITAL] & 0x01) != 0) mods |= LockMask;
  if (alt_gr) mods |= level3_mask_;
  if (virtual_key >= static_cast<UINT>(VK_NUMPAD0) && virtual_key <= static_cast<UINT>(VK_DIVIDE)) {
    mods |= num_lock_mask_;  // the virtual key already says digit, not move
  }
  if (virtual_key == static_cast<UINT>(VK_DELETE)) return 0;  // a key, not a character

  if (control && !alt_gr) {
    const KeySym base = keysym_for(keycode, group);
    if (base >= XK_a && base <= XK_z) return static_cast<int>(base - XK_a + 1);
    if (base >= XK_A && base <= XK_Z) return static_cast<int>(base - XK_A + 1);
    switch (base) {
      case XK_bracketleft:
        return 0x1B;
      case XK_backslash:
        return 0x1C;
      case XK_bracketright:
        return 0x1D;
      case XK_space:
        return ' ';
      case XK_Return:
        return '\n';
      case XK_BackSpace:
        return 0x7F;
      default:
        return 0;
    }
  }
  const KeySym sym = keysym_for(keycode, mods);
  if (sym == NoSymbol) return 0;
  const char32_t character = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(sym));
  if (character == 0 || character == 0x7F) return 0;
  const int byte = core::unicode_to_cp1252(character);
  return byte > 0 ? byte : 0;
}

}  // namespace platform::x11
