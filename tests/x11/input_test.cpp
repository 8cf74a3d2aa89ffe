// Real key and pointer input from XTest becoming the platform's messages:
// virtual keys by the layout's symbols, lParam bits, repeats, characters,
// mouse flags and coordinates, capture, and move coalescing.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <thread>

#include "platform/win32.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::input_only;
using sorvel::testing::Probe;
using sorvel::testing::pump;
using sorvel::testing::pump_arrived;

constexpr DWORD kCaptionStyle = 0x96CA0000;
constexpr LPARAM kScanBits = 0xFF0000;

int count_of(const std::vector<MSG>& messages, UINT message) {
  return static_cast<int>(
      std::count_if(messages.begin(), messages.end(), [message](const MSG& m) { return m.message == message; }));
}

// One captioned window at the origin with the keyboard focus, for the whole suite.
class X11Input : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    probe_ = new Probe();
    hwnd_ = CreateWindowExA(0, sorvel::testing::logging_class(), "input", kCaptionStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    outer_ = probe_->wait_for_top_level("input");
  }
  static void TearDownTestSuite() {
    DestroyWindow(hwnd_);
    delete probe_;
  }
  void SetUp() override {
    ASSERT_NE(outer_, 0u);
    probe_->move_pointer(200, 150);
    pump_arrived();
  }
  // Presses and releases a key (with modifiers held around it) and returns
  // the key messages it made.
  std::vector<MSG> keys_of(std::initializer_list<KeySym> held, KeySym key) {
    for (KeySym k : held) probe_->key(k, true);
    probe_->tap(key);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) probe_->key(*it, false);
    return input_only(pump_arrived());
  }
  static Probe* probe_;
  static HWND hwnd_;
  static Window outer_;
};
Probe* X11Input::probe_ = nullptr;
HWND X11Input::hwnd_ = nullptr;
Window X11Input::outer_ = 0;

TEST_F(X11Input, KeysBecomeVirtualKeysWithScanCodeAndExtendedBit) {
  struct Case {
    KeySym keysym;
    WPARAM vk;
    bool extended;
  };
  const Case cases[] = {
      {XK_a, 'A', false},
      {XK_z, 'Z', false},
      {XK_1, '1', false},
      {XK_0, '0', false},
      {XK_Escape, VK_ESCAPE, false},
      {XK_Return, VK_RETURN, false},
      {XK_Tab, VK_TAB, false},
      {XK_BackSpace, VK_BACK, false},
      {XK_space, VK_SPACE, false},
      {XK_Left, VK_LEFT, true},
      {XK_Down, VK_DOWN, true},
      {XK_Home, VK_HOME, true},
      {XK_Delete, VK_DELETE, true},
      {XK_Prior, VK_PRIOR, true},
      {XK_Insert, VK_INSERT, true},
      {XK_KP_Enter, VK_RETURN, true},
      {XK_KP_Divide, VK_DIVIDE, true},
      {XK_KP_Home, VK_HOME, false},
      {XK_KP_Add, VK_ADD, false},
      {XK_F1, VK_F1, false},
      {XK_F12, VK_F12, false},
      {XK_Shift_L, VK_SHIFT, false},
      {XK_Shift_R, VK_SHIFT, false},
      {XK_Control_L, VK_CONTROL, false},
      {XK_Control_R, VK_CONTROL, true},
      {XK_comma, VK_OEM_COMMA, false},
      {XK_minus, VK_OEM_MINUS, false},
      {XK_slash, VK_OEM_2, false},
      {XK_bracketleft, VK_OEM_4, false},
      {XK_apostrophe, VK_OEM_7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(XKeysymToString(c.keysym));
    const std::vector<MSG> keys = keys_of({}, c.keysym);
    ASSERT_EQ(keys.size(), 2u);
    const LPARAM scan = static_cast<LPARAM>(probe_->keycode(c.keysym) - 8) << 16;
    EXPECT_EQ(keys[0].message, WM_KEYDOWN);
    EXPECT_EQ(keys[0].hwnd, hwnd_);
    EXPECT_EQ(keys[0].wParam, c.vk);
    EXPECT_EQ(keys[0].lParam, 1 | scan | (c.extended ? KF_EXTENDED_BIT : 0));
    EXPECT_EQ(keys[1].message, WM_KEYUP);
    EXPECT_EQ(keys[1].wParam, c.vk);
    EXPECT_EQ(keys[1].lParam, 1 | scan | (c.extended ? KF_EXTENDED_BIT : 0) | KF_REPEAT_BIT | KF_UP_BIT);
  }
}

TEST_F(X11Input, AltAndF10MakeSystemKeysWithTheContextBit) {
  const std::vector<MSG> alt_x = keys_of({XK_Alt_L}, XK_x);
  ASSERT_EQ(alt_x.size(), 4u);
  EXPECT_EQ(alt_x[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(alt_x[0].wParam, static_cast<WPARAM>(VK_MENU));
  EXPECT_NE(alt_x[0].lParam & KF_ALTDOWN_BIT, 0);
  EXPECT_EQ(alt_x[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ(alt_x[1].wParam, static_cast<WPARAM>('X'));
  EXPECT_NE(alt_x[1].lParam & KF_ALTDOWN_BIT, 0);
  EXPECT_EQ(alt_x[2].message, WM_SYSKEYUP);
  EXPECT_EQ(alt_x[3].message, WM_SYSKEYUP);
  EXPECT_EQ(alt_x[3].wParam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(alt_x[3].lParam & KF_ALTDOWN_BIT, 0) << "Alt is up once released";

  const std::vector<MSG> f10 = keys_of({}, XK_F10);
  ASSERT_EQ(f10.size(), 2u);
  EXPECT_EQ(f10[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(f10[0].lParam & KF_ALTDOWN_BIT, 0);
  EXPECT_EQ(f10[1].message, WM_SYSKEYUP);

  const std::vector<MSG> control_alt = keys_of({XK_Control_L, XK_Alt_L}, XK_x);
  ASSERT_EQ(control_alt.size(), 6u);
  EXPECT_EQ(control_alt[2].message, WM_KEYDOWN) << "Ctrl+Alt is no system key";
  EXPECT_NE(control_alt[2].lParam & KF_ALTDOWN_BIT, 0);
}

TEST_F(X11Input, HeldKeyRepeatsKeyDownsWithoutKeyUps) {
  probe_->key(XK_b, true);
  const std::vector<MSG> held =
      input_only(pump([](const std::vector<MSG>& taken) { return count_of(input_only(taken), WM_KEYDOWN) >= 3; },
                      std::chrono::milliseconds(3000)));
  probe_->key(XK_b, false);
  const std::vector<MSG> released = input_only(pump_arrived());
  ASSERT_GE(held.size(), 3u) << "the server repeats a held key";
  EXPECT_EQ(count_of(held, WM_KEYUP), 0);
  EXPECT_EQ(held[0].lParam & KF_REPEAT_BIT, 0) << "first press";
  for (std::size_t i = 1; i < held.size(); ++i) {
    EXPECT_EQ(held[i].message, WM_KEYDOWN);
    EXPECT_EQ(held[i].wParam, static_cast<WPARAM>('B'));
    EXPECT_NE(held[i].lParam & KF_REPEAT_BIT, 0) << "already down";
    EXPECT_EQ(held[i].lParam & 0xFFFF, 1) << "repeat count";
  }
  ASSERT_FALSE(released.empty());
  EXPECT_EQ(released.back().message, WM_KEYUP);
}

// Maps one key's symbols for a test and puts them back afterwards.
class RemappedKey {
 public:
  RemappedKey(Probe& probe, KeySym key, KeySym lower, KeySym upper) : probe_(probe), keycode_(probe.keycode(key)) {
    int per_keycode = 0;
    KeySym* old = XGetKeyboardMapping(probe_.display(), static_cast<KeyCode>(keycode_), 1, &per_keycode);
    saved_.assign(old, old + per_keycode);
    XFree(old);
    KeySym syms[2] = {lower, upper};
    XChangeKeyboardMapping(probe_.display(), static_cast<int>(keycode_), 2, syms, 1);
    probe_.sync();
  }
  ~RemappedKey() {
    XChangeKeyboardMapping(probe_.display(), static_cast<int>(keycode_), static_cast<int>(saved_.size()), saved_.data(),
                           1);
    probe_.sync();
  }
  void tap() {
    XTestFakeKeyEvent(probe_.display(), keycode_, True, CurrentTime);
    XTestFakeKeyEvent(probe_.display(), keycode_, False, CurrentTime);
    probe_.sync();
  }

 private:
  Probe& probe_;
  unsigned keycode_;
  std::vector<KeySym> saved_;
};

TEST_F(X11Input, LettersFollowTheLayoutsSymbolsNotThePlace) {
  RemappedKey key(*probe_, XK_a, XK_q, XK_Q);  // the A key of an AZERTY board
  key.tap();
  const std::vector<MSG> keys = input_only(pump_arrived());
  ASSERT_GE(keys.size(), 2u);
  EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('Q'));
}

TEST_F(X11Input, TranslateMessageMakesTheCharacterOfTheKeyState) {
  struct Case {
    std::vector<KeySym> held;
    KeySym key;
    int character;  // 0: none
  };
  const Case cases[] = {
      {{}, XK_a, 'a'},       {{XK_Shift_L}, XK_a, 'A'}, {{XK_Control_L}, XK_c, 3},
      {{}, XK_1, '1'},       {{XK_Shift_L}, XK_1, '!'}, {{}, XK_Return, '\r'},
      {{}, XK_Escape, 0x1B}, {{}, XK_KP_Add, '+'},      {{}, XK_F1, 0},
      {{}, XK_Delete, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(XKeysymToString(c.key));
    for (KeySym k : c.held) probe_->key(k, true);
    probe_->tap(c.key);
    for (KeySym k : c.held) probe_->key(k, false);
    const std::vector<MSG> taken = pump_arrived();
    const auto found = std::find_if(taken.begin(), taken.end(), [](const MSG& m) { return m.message == WM_CHAR; });
    if (c.character == 0) {
      EXPECT_EQ(found, taken.end());
    } else {
      ASSERT_NE(found, taken.end());
      EXPECT_EQ(found->wParam, static_cast<WPARAM>(c.character));
    }
  }
  // Caps Lock toggles the case of letters only.
  probe_->tap(XK_Caps_Lock);
  probe_->tap(XK_a);
  probe_->tap(XK_Caps_Lock);
  std::vector<WPARAM> characters;
  for (const MSG& m : pump_arrived()) {
    if (m.message == WM_CHAR) characters.push_back(m.wParam);
  }
  EXPECT_EQ(characters, std::vector<WPARAM>{'A'});
}

TEST_F(X11Input, LayoutCharactersComeOutInWindows1252) {
  RemappedKey egrave(*probe_, XK_a, XK_egrave, XK_Egrave);
  egrave.tap();
  RemappedKey euro(*probe_, XK_e, XK_EuroSign, XK_EuroSign);
  euro.tap();
  std::vector<WPARAM> characters;
  std::vector<WPARAM> keys;
  for (const MSG& m : pump_arrived()) {
    if (m.message == WM_CHAR) characters.push_back(m.wParam);
    if (m.message == WM_KEYDOWN) keys.push_back(m.wParam);
  }
  EXPECT_EQ(characters, (std::vector<WPARAM>{0xE8, 0x80}));
  EXPECT_EQ(keys, (std::vector<WPARAM>{'A', 'E'})) << "symbols without a key of their own keep the place's";
}

TEST_F(X11Input, ButtonsCarryFlagsAfterTheEventAndClientCoordinates) {
  probe_->move_pointer(103, 119);  // client (100, 100)
  probe_->key(XK_Shift_L, true);
  probe_->button(1, true);
  probe_->button(3, true);
  probe_->button(3, false);
  probe_->button(1, false);
  probe_->key(XK_Shift_L, false);
  probe_->button(2, true);
  probe_->button(2, false);
  std::vector<MSG> mouse;
  for (const MSG& m : input_only(pump_arrived())) {
    if (m.message > WM_MOUSEFIRST) mouse.push_back(m);  // buttons only
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT},
                                                         {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_SHIFT},
                                                         {WM_RBUTTONUP, MK_LBUTTON | MK_SHIFT},
                                                         {WM_LBUTTONUP, MK_SHIFT},
                                                         {WM_MBUTTONDOWN, MK_MBUTTON},
                                                         {WM_MBUTTONUP, 0}};
  ASSERT_EQ(mouse.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(mouse[i].message, expected[i].first) << i;
    EXPECT_EQ(mouse[i].wParam, expected[i].second) << i;
    EXPECT_EQ(mouse[i].lParam, MAKELPARAM(100, 100)) << i;
    EXPECT_EQ(mouse[i].pt.x, 103);
    EXPECT_EQ(mouse[i].pt.y, 119);
  }
}

TEST_F(X11Input, WheelStepsAreOneMessageEachInScreenCoordinates) {
  probe_->move_pointer(50, 60);
  pump_arrived();
  probe_->click(4);
  probe_->click(5);
  const std::vector<MSG> wheel = input_only(pump_arrived());
  ASSERT_EQ(wheel.size(), 2u);
  EXPECT_EQ(wheel[0].message, WM_MOUSEWHEEL);
  EXPECT_EQ(static_cast<short>(HIWORD(wheel[0].wParam)), 120);
  EXPECT_EQ(static_cast<short>(HIWORD(wheel[1].wParam)), -120);
  EXPECT_EQ(wheel[0].lParam, MAKELPARAM(50, 60));
}

TEST_F(X11Input, CapturedPointerOutsideGivesNegativeClientCoordinates) {
  probe_->move_pointer(100, 100);
  pump_arrived();
  SetCapture(hwnd_);
  probe_->move_pointer(500, 400);  // right of and below the window
  probe_->move_pointer(1, 5);      // left of and above the client area
  std::vector<MSG> moves = input_only(pump_arrived());
  ASSERT_FALSE(moves.empty());
  const MSG& last = moves.back();
  EXPECT_EQ(last.message, WM_MOUSEMOVE);
  EXPECT_EQ(last.hwnd, hwnd_);
  EXPECT_EQ(GET_X_LPARAM(last.lParam), -2);
  EXPECT_EQ(GET_Y_LPARAM(last.lParam), -14);
  EXPECT_EQ(LOWORD(last.lParam), 0xFFFE) << "the low 16 bits, as the platform packs them";
  ReleaseCapture();
  probe_->move_pointer(600, 500);  // outside, not captured: no message
  EXPECT_TRUE(input_only(pump_arrived()).empty());
}

TEST_F(X11Input, MovesWaitingTogetherCoalesceIntoTheLatest) {
  probe_->move_pointer(10, 30);
  pump_arrived();
  for (int x = 20; x <= 200; x += 20) probe_->move_pointer(x, 40);
  POINT caught_up;
  GetCursorPos(&caught_up);  // every move is now in the driver's queue
  MSG first;
  ASSERT_TRUE(PeekMessageA(&first, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(first.message, WM_MOUSEMOVE);
  EXPECT_EQ(first.lParam, MAKELPARAM(197, 21));
  MSG next;
  EXPECT_FALSE(PeekMessageA(&next, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) << "one pending move";
}

}  // namespace
