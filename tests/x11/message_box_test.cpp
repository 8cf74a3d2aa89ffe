// The message box as a real dialog on the display, answered from another
// thread through XTest keys and clicks, as a person at the screen would.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool, Status) clash with names there.
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <functional>
#include <thread>

#include "platform/win32.h"
#include "tests/support/x11_probe.h"

namespace {

using sorvel::testing::Probe;

constexpr int kMargin = 12;  // the dialog's layout: margins, 80 x 26 buttons at the bottom right
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

struct Seen {
  Window dialog = 0;
  std::string wm_name;
  bool dialog_type = false;
  Window transient_for = 0;
  bool text_drawn = false;
  bool icon_drawn = false;
};

// From its own connection and thread: waits for the box titled `caption`,
// notes what the server shows of it, then answers it with `answer`.
void answer_box(const std::string& caption, const std::function<void(Probe&, Window client)>& answer, Seen* seen) {
  Probe probe;
  seen->dialog = probe.wait_for_top_level(caption, false);
  if (seen->dialog == 0) return;
  seen->wm_name = probe.bytes_property(seen->dialog, "WM_NAME").value_or("");
  seen->dialog_type = probe.long_property(seen->dialog, "_NET_WM_WINDOW_TYPE") ==
                      std::vector<long>{static_cast<long>(probe.atom("_NET_WM_WINDOW_TYPE_DIALOG"))};
  XGetTransientForHint(probe.display(), seen->dialog, &seen->transient_for);
  const auto inside = probe.viewable_children(seen->dialog);
  if (inside.size() != 1) return;
  const Window client = inside[0];
  for (int i = 0; i < 200 && !(seen->text_drawn && seen->icon_drawn); ++i) {
    seen->icon_drawn = probe.first_inked_row(client, kMargin, kMargin, 32, 32) >= 0;
    seen->text_drawn = probe.first_inked_row(client, kMargin + 32 + kMargin, kMargin, 100, 32) >= 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  answer(probe, client);
}

int run_box(HWND owner, const char* text, const char* caption, UINT type,
            const std::function<void(Probe&, Window)>& answer, Seen* seen) {
  std::thread helper(answer_box, std::string(caption), answer, seen);
  const int result = MessageBoxA(owner, text, caption, type);
  helper.join();
  return result;
}

std::function<void(Probe&, Window)> keys(std::vector<KeySym> sequence) {
  return [sequence](Probe& probe, Window) {
    for (KeySym key : sequence) probe.tap(key);
  };
}

// Clicks the middle of the last (rightmost) button.
void click_last_button(Probe& probe, Window client) {
  const auto area = probe.geometry(client);
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(probe.display(), client, probe.root(), area.width - kMargin - kButtonWidth / 2,
                        area.height - kMargin - kButtonHeight / 2, &x, &y, &child);
  probe.move_pointer(x, y);
  probe.click(1);
}

TEST(X11MessageBox, QuestionIsADialogShowingTextAndIconAnsweredByKeys) {
  struct Case {
    std::vector<KeySym> keys;
    int answer;
  };
  const Case cases[] = {{{XK_n}, IDNO},
                        {{XK_y}, IDYES},
                        {{XK_Return}, IDYES},
                        {{XK_Tab, XK_Return}, IDNO},
                        {{XK_Tab, XK_Tab, XK_space}, IDYES}};
  for (const Case& c : cases) {
    Seen seen;
    const int answer =
        run_box(nullptr, "Settare lo schermo intero?  ", "Video!", MB_YESNO | MB_ICONQUESTION, keys(c.keys), &seen);
    ASSERT_NE(seen.dialog, 0u) << "no dialog titled Video! appeared";
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(seen.wm_name, "Video!");
    EXPECT_TRUE(seen.dialog_type);
    EXPECT_EQ(seen.transient_for, 0u) << "the box has no owner";
    EXPECT_TRUE(seen.text_drawn);
    EXPECT_TRUE(seen.icon_drawn);
  }
}

TEST(X11MessageBox, ClickOnAButtonAnswersAndAnOwnedBoxIsTransientForItsOwner) {
  const HWND owner = CreateWindowExA(0, sorvel::testing::logging_class(), "owner", 0x96CA0000, CW_USEDEFAULT,
                                     CW_USEDEFAULT, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  Probe probe;
  const Window owner_window = probe.wait_for_top_level("owner");
  ASSERT_NE(owner_window, 0u);
  Seen seen;
  EXPECT_EQ(run_box(owner, "Vuoi?", "Domanda", MB_YESNO | MB_ICONQUESTION, click_last_button, &seen), IDNO);
  EXPECT_EQ(seen.transient_for, owner_window);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again after the box";

  Seen error_box;
  EXPECT_EQ(run_box(nullptr, "la rispettiva applicazione non \xE8 stata inizilizata!", "Error", MB_OK,
                    click_last_button, &error_box),
            IDOK);
  EXPECT_TRUE(error_box.text_drawn);
  DestroyWindow(owner);
}

}  // namespace
