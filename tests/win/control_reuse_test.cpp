// A control window the page takes from its pool is indistinguishable from a new one: after each screen
// of a sequence, every control of the page in front looks, paints and stands as in a fresh terminal
// given only that screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app_fixture_win.h"
#include "session/wire_format.h"
#include "win/controls/page_window.h"

namespace vantor {
namespace {

using namespace wintest;
using host_records::ScreenBuilder;
namespace field = host_records::field;
namespace option = host_records::option;

// Every kind of control on page 0: ids 1..9.
ScreenBuilder FirstScreen(std::string_view entryText) {
  ScreenBuilder b;
  b.Define(1, 0, 0, field::kBase | field::kDisplay, field::kBase | field::kReverse, 8).Text(1, "Title");
  b.Input(2, 1, 0, 8).Text(2, entryText);
  b.Input(3, 2, 0, 8).Text(3, "secret");
  b.Input(4, 3, 0, 6).Options(4, {option::Type('B')}).Text(4, "OK");
  b.Input(5, 4, 0, 8).Options(5, {option::Type('C')}).Text(5, " Check");
  b.Input(6, 5, 0, 8).Options(6, {option::Type('R')}).Text(6, "XRadio");
  b.Input(7, 6, 0, 8).Options(7, {option::Type('S')}).Text(7, " Pick");
  b.Define(8, 7, 0, field::kBase | field::kSystemLine, field::kBase, 10);
  return b.Fixed(9, 8, 0, "Plain text");
}

// Other kinds at the same ids (9 gone), two cells to the right.
ScreenBuilder SecondScreen() {
  ScreenBuilder b;
  b.Input(1, 0, 2, 8).Text(1, "one");
  b.Input(2, 1, 2, 6).Options(2, {option::Type('B')}).Text(2, "Two");
  b.Fixed(3, 2, 2, "three");
  b.Input(4, 3, 2, 8).Options(4, {option::Type('C')}).Text(4, "XFour");
  b.Define(5, 4, 2, field::kBase | field::kSystemLine, field::kBase, 8);
  b.Input(6, 5, 2, 8).Text(6, "six");
  b.Input(7, 6, 2, 8).Options(7, {option::Type('R')}).Text(7, " Seven");
  return b.Fixed(8, 7, 2, "eight");
}

ScreenBuilder Join(ScreenBuilder first, const ScreenBuilder& second) { return first.Append(second); }

// The page in front as another program and the operator see it: its controls in z-order (top first),
// each described, with its pixels; the focus and the caret.
struct PageShot {
  std::vector<std::string> controls;
  std::vector<std::vector<std::uint32_t>> pixels;
  std::string focus;
};

PageShot Shoot(const AppWindow& terminal) {
  Pump();
  const HWND page = terminal.app.window->PageWindow(terminal.Screen().shownPage);
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HideCaret(nullptr);  // the blinking caret is compared by its place
  PageShot shot;
  for (HWND control = GetWindow(page, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    const ControlWindowState* state = ControlStateOf(control);
    if (state == nullptr || state->field == nullptr) continue;
    // The clock's pixels and blink phase follow the time, not the window.
    const bool clock = state->kind == ControlKind::System;
    const ControlColours& c = state->look.colours;
    const RECT rect = RectInParent(control);
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    std::wostringstream line;
    line << name << " id " << GetDlgCtrlID(control) << " text '" << WindowText(control) << "' style " << std::hex
         << GetWindowLongW(control, GWL_STYLE) << " ex " << GetWindowLongW(control, GWL_EXSTYLE) << std::dec << " at "
         << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom << " colours " << c.text << ","
         << c.selectedText << "," << c.background << "," << c.focusBackground << "," << c.frame << "," << c.reverseText
         << "," << c.reverseBackground << "," << c.selectedFrame << "," << c.selectedBackground << " blink "
         << (!clock && state->look.blinkPhase) << " caret " << state->caretX << " pressed " << state->pressed
         << " focused " << state->focused << " captured " << state->captured;
    const std::wstring text = line.str();
    shot.controls.emplace_back(text.begin(), text.end());
    shot.pixels.push_back(clock ? std::vector<std::uint32_t>{} : Pixels(control));
  }
  ShowCaret(nullptr);
  GUITHREADINFO input{};
  input.cbSize = sizeof input;
  GetGUIThreadInfo(GetCurrentThreadId(), &input);
  const auto placeOf = [&](HWND window) {
    return window == nullptr ? std::string("none")
           : window == page  ? std::string("page")
                             : std::to_string(GetDlgCtrlID(window));
  };
  shot.focus = "focus " + placeOf(input.hwndFocus) + ", caret in " + placeOf(input.hwndCaret) + " at " +
               std::to_string(input.rcCaret.left) + "," + std::to_string(input.rcCaret.top);
  return shot;
}

// The screen with the focus on field `id`, unlocked.
ScreenBuilder Focused(ScreenBuilder screen, int id) { return screen.FocusAndUnlock(id); }

struct Step {
  const char* what;
  const wchar_t* typed;  // typed into the focused control first
  bool reset;            // an I record first; then a fresh terminal receives the same record
  ScreenBuilder record;  // what the terminal that reuses its windows receives
  ScreenBuilder screen;  // what a fresh terminal receives (after an I record) when there is no reset
  bool customColours;    // set in both terminals' settings before the records
};

TEST(ControlReuseTest, ReusedWindowsLookPaintAndStandAsAFreshTerminalsWindows) {
  // Changes in place, and the screens they make of the first one.
  const ScreenBuilder toReadOnly =
      ScreenBuilder().Attributes(2, field::kBase | field::kInput, field::kBase | field::kReadOnly);
  const ScreenBuilder toPassword =
      ScreenBuilder().Attributes(3, field::kBase | field::kInput | field::kPassword, field::kBase);
  const ScreenBuilder newValue = ScreenBuilder().Text(2, "new");
  const ScreenBuilder toButton = ScreenBuilder().Options(3, {option::Type('B')});
  const ScreenBuilder first = FirstScreen("again");
  const ScreenBuilder readOnly = Join(first, toReadOnly);
  const ScreenBuilder password = Join(readOnly, toPassword);
  const ScreenBuilder updated = Join(password, newValue);
  const ScreenBuilder coloured = Join(FirstScreen("colour"), ScreenBuilder().Options(2, {option::Selected(true)}));
  const ScreenBuilder otherPage = Join(ScreenBuilder().SelectPage(1), SecondScreen()).ShowPage(1);
  const std::vector<Step> steps = {
      {"a screen built after I", nullptr, true, Focused(FirstScreen("abc"), 2), {}, false},
      {"other kinds at the same ids", nullptr, true, Focused(SecondScreen(), 1), {}, false},
      {"the first screen again, after typing", L"zz", true, Focused(first, 2), {}, false},
      {"an entry made read-only", nullptr, false, Focused(toReadOnly, 2), Focused(readOnly, 2), false},
      {"an entry made a password field", nullptr, false, Focused(toPassword, 3), Focused(password, 3), false},
      {"a value set in place, the focus moved", nullptr, false, Focused(newValue, 5), Focused(updated, 5), false},
      {"an entry turned into a button among others", nullptr, false, Focused(toButton, 3),
       Focused(Join(updated, toButton), 3), false},
      {"custom colours, a selected entry", nullptr, true, Focused(coloured, 2), {}, true},
      {"another page in front", nullptr, false, Focused(otherPage, 6), Focused(otherPage, 6), true},
      {"the first page in front again", nullptr, false, ScreenBuilder().SelectPage(0).ShowPage(0).FocusAndUnlock(2),
       Focused(coloured, 2), true},
      {"erased and built again in one record", nullptr, false,
       Join(ScreenBuilder().ErasePage(), SecondScreen()).FocusAndUnlock(4), Focused(SecondScreen(), 4), true},
  };
  const std::string reset = "I" + std::string(kTerminator);
  const auto receiveReset = [&](const AppWindow& terminal) {
    RecordBytes bytes(reinterpret_cast<const std::uint8_t*>(reset.data()), reset.size());
    terminal.Send(WM_VDX_SESSION_RECORD, 0, reinterpret_cast<LPARAM>(&bytes));
  };
  AppWindow reusing(L"VantorReusingTerminal", 0, 0);
  ASSERT_TRUE(reusing.Open()) << "Vantor.exe must be built beside win_tests.exe";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    SetForegroundWindow(reusing.window);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == reusing.window; }, 2000));
    reusing.app.settings->SetCustomColours(step.customColours);
    for (const wchar_t* c = step.typed; c != nullptr && *c != 0; ++c) SendMessageW(GetFocus(), WM_CHAR, *c, 1);
    if (step.reset) receiveReset(reusing);
    reusing.Receive(step.record);
    const PageShot reused = Shoot(reusing);
    PageShot fresh;
    {
      AppWindow made(L"VantorFreshTerminal", 300, 0);
      ASSERT_TRUE(made.Open());
      made.app.settings->SetCustomColours(step.customColours);
      receiveReset(made);
      made.Receive(step.reset ? step.record : step.screen);
      fresh = Shoot(made);
    }
    EXPECT_EQ(reused.controls, fresh.controls);
    EXPECT_EQ(reused.focus, fresh.focus);
    ASSERT_EQ(reused.pixels.size(), fresh.pixels.size());
    for (std::size_t i = 0; i < fresh.pixels.size(); ++i) {
      EXPECT_TRUE(reused.pixels[i] == fresh.pixels[i]) << "pixels of " << fresh.controls[i];
    }
  }
}

}  // namespace
}  // namespace vantor
