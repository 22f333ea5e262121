// The main window's message plumbing: creation, full screen, host records, the lock indicator, the focus, and
// the messages other programs send it.
#include "win/app/main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app_fixture_win.h"
#include "look/menu_ids.h"
#include "win/toolbar/lock_indicator.h"

namespace vantor {
namespace {

using namespace wintest;
using host_records::ScreenBuilder;
namespace field = host_records::field;

// Numbers other programs on the handheld send: they never change.
constexpr UINT kIndicator = 3040, kFeedChar = 3044, kKeyboardState = 3052, kClearField = 3053;

// Whether the window was hidden while the action ran (a hook on the thread's sent messages).
bool HiddenDuring(HWND window, const std::function<void()>& action) {
  static HWND watched = nullptr;
  static bool hidden = false;
  watched = window;
  hidden = false;
  HHOOK hook = SetWindowsHookExW(
      WH_CALLWNDPROC,
      [](int code, WPARAM wparam, LPARAM lparam) -> LRESULT {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (code == HC_ACTION && sent->hwnd == watched && sent->message == WM_SHOWWINDOW && sent->wParam == FALSE) {
          hidden = true;
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
      },
      nullptr, GetCurrentThreadId());
  action();
  UnhookWindowsHookEx(hook);
  return hidden;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(terminal_.Open()) << "Vantor.exe must be built beside win_tests.exe";
    window_ = terminal_.window;
  }
  const vantor::Screen& Screen() { return terminal_.Screen(); }
  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) { return terminal_.Send(message, wparam, lparam); }
  void Receive(const ScreenBuilder& screen) { terminal_.Receive(screen); }
  HWND Indicator() const {
    return app_.window->GetIndicator() != nullptr ? app_.window->GetIndicator()->Window() : nullptr;
  }

  AppWindow terminal_{L"VantorMainWindowTest"};
  AppGlobals& app_ = terminal_.app;
  HWND window_ = nullptr;
};

TEST_F(MainWindowTest, OpensFromTheSettingsWithTheAdministratorMenuAndSixteenPages) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right - rect.left}), std::vector<LONG>({10, 20, 240}));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(GetMenu(window_), 0), 0), static_cast<UINT>(IDM_ABOUT)) << "administrator menu";
  for (int n = 0; n < PageList::kPageCount; ++n) {
    ASSERT_EQ(GetParent(app_.window->PageWindow(n)), window_) << n;
    EXPECT_EQ(IsWindowVisible(app_.window->PageWindow(n)) != FALSE, n == 0) << n;
  }
  EXPECT_EQ(terminal_.loop.Filter(), app_.window->GetFrame());
}

TEST_F(MainWindowTest, FullScreenIgnoresCloseAndExitUntilToggledOff) {
  Send(WM_COMMAND, IDM_FULLSCREEN);
  EXPECT_TRUE(app_.settings->FullScreen());
  EXPECT_EQ(GetMenu(window_), nullptr);
  for (UINT command : {IDM_EXIT, IDM_ALT_F4}) Send(WM_COMMAND, command);
  Send(WM_CLOSE);
  ASSERT_TRUE(IsWindow(window_));
  Send(WM_COMMAND, IDM_FULLSCREEN);
  EXPECT_FALSE(app_.settings->FullScreen());
  EXPECT_NE(GetMenu(window_), nullptr);
  ShowWindow(window_, SW_HIDE);
  Send(WM_COMMAND, IDM_EXIT);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(MainWindowTest, LockIndicatorStaysAboveThePagesAtTheRightEdgeAndTicksWithoutLeaks) {
  Receive(ScreenBuilder().Input(2, 1, 0, 6).FocusAndUnlock(2));
  const long pictures = gdi::LiveObjects();  // loaded with the window
  for (int round = 0; round < 2; ++round) {
    Send(kIndicator, 0, 1);  // as the session thread does when it starts
    const HWND connecting = Indicator();
    ASSERT_NE(connecting, nullptr);
    EXPECT_EQ(LockIndicator::Counter().value, 0) << "a new window counts from 0";
    EXPECT_FALSE(IsWindowEnabled(app_.window->PageWindow(0))) << "input off";
    Send(kIndicator, 1, 1);
    EXPECT_EQ(Indicator(), connecting);
    EXPECT_EQ(WindowText(connecting), L"Lock-B") << "never back to Lock-H";
    Receive(ScreenBuilder().Lock().ShowPage(2 + round));
    const HWND shown = Indicator();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return GetWindow(window_, GW_CHILD) == shown; }, 3000)) << "raised when it paints";
    EXPECT_EQ(GetWindow(shown, GW_HWNDNEXT), app_.window->PageWindow(2 + round));
    SetWindowPos(window_, nullptr, 0, 0, 230 - 10 * round, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(window_, &client);
    EXPECT_EQ(RectInParent(shown).right, client.right);
    std::set<int> counts;
    const auto ticked = [&] {
      counts.insert(LockIndicator::Counter().value);
      return counts.size() > 4;
    };
    EXPECT_TRUE(PumpUntil(ticked, 5000)) << "the picture moves on the 100 ms timer";
    EXPECT_FALSE(HiddenDuring(shown, [&] { Receive(ScreenBuilder().Lock()); })) << "a record ending locked keeps it up";
    EXPECT_EQ(Indicator(), shown);
    EXPECT_EQ(LockIndicator::Counter().value, 0) << "counting again as a new window";
    Receive(ScreenBuilder().FocusAndUnlock(2));
    EXPECT_EQ(Indicator(), nullptr);
    EXPECT_FALSE(IsWindowVisible(shown));
    EXPECT_EQ(gdi::LiveObjects(), pictures);
  }
}

TEST_F(MainWindowTest, AnotherProgramReadsTheKeyboardStateAndShowsOrRemovesTheIndicator) {
  EXPECT_EQ(Send(kKeyboardState), 2) << "locked until the host's first screen";
  Receive(ScreenBuilder().Input(2, 1, 0, 6).FocusAndUnlock(2));
  EXPECT_EQ(Send(kKeyboardState), 0);
  for (const WPARAM mode : {1, 0}) {
    Send(kIndicator, 1, 1);
    ASSERT_NE(Indicator(), nullptr);
    EXPECT_EQ(WindowText(Indicator()), L"Lock-H");
    EXPECT_FALSE(IsWindowEnabled(app_.window->PageWindow(0))) << "input off";
    Send(kIndicator, mode, 0);
    EXPECT_EQ(Indicator(), nullptr) << mode;
  }
}

TEST_F(MainWindowTest, AnotherProgramEmptiesAndFeedsAnEntryFieldAsTheSerialFeedDoes) {
  Receive(ScreenBuilder().Input(3, 0, 0, 5).Input(4, 1, 0, 5).Text(4, "xy").FocusAndUnlock(3));
  Field& field = *Screen().CurrentField(4);
  SendMessageW(Hwnd(field), kClearField, 0, 0);
  EXPECT_EQ(field.Text(), u"");
  EXPECT_EQ(field.edit.modified, 1) << "emptied by another program is a change";
  for (wchar_t c : std::wstring(L"ab")) SendMessageW(Hwnd(field), kFeedChar, c, 1);
  EXPECT_EQ(field.Text(), u"ab") << "fed although another field has the focus";
  SendMessageW(Hwnd(field), kFeedChar, L'\r', 1);
  EXPECT_EQ(Send(kKeyboardState), 2) << "a fed carriage return is Enter: the key went to the host";
}

TEST_F(MainWindowTest, FocusGoesToTheFocusFieldsControlOrElseToThePage) {
  Receive(ScreenBuilder().Input(3, 0, 0, 5).Fixed(4, 1, 0, "text").FocusAndUnlock(3));
  const HWND entry = Hwnd(*Screen().CurrentField(3));
  ASSERT_NE(entry, nullptr);
  for (int focus : {3, 4, -1}) {
    app_.window->GetTerminal()->FieldFocused(focus);
    SetFocus(nullptr);
    Send(WM_SETFOCUS);
    EXPECT_EQ(GetFocus(), focus == 3 ? entry : app_.window->PageWindow(0)) << focus;
  }
  SetFocus(entry);
  EXPECT_EQ(Screen().focusField, 3) << "the entry makes itself the focus field";
}

TEST_F(MainWindowTest, APasswordFieldShowsOneStarPerCharacter) {
  constexpr std::uint8_t kPassword = field::kBase | field::kInput | field::kPassword;
  ScreenBuilder screen;
  screen.Define(2, 2, 0, kPassword, field::kBase, 6).Text(2, "abc").Define(3, 3, 0, kPassword, field::kBase, 6);
  screen.Text(3, "xyz").Define(4, 4, 0, kPassword, field::kBase, 6).Text(4, "ab").Input(5, 5, 0, 6).Text(5, "***");
  Receive(screen.Input(6, 6, 0, 6).FocusAndUnlock(6));
  SetForegroundWindow(window_);
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == window_; }, 2000));
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const auto shown = [&](int id) { return Pixels(Hwnd(*Screen().CurrentField(id))); };
  EXPECT_TRUE(shown(2) == shown(3)) << "the characters show";
  EXPECT_TRUE(shown(2) != shown(4)) << "as many stars as characters";
  EXPECT_TRUE(shown(2) == shown(5)) << "stars";
}

// The page in front at once, another when it comes to the front.
TEST_F(MainWindowTest, TheFontStepCommandLaysThePagesOutAgain) {
  Receive(ScreenBuilder().SelectPage(1).Input(5, 2, 3, 4).ShowPage(1).SelectPage(0).Input(6, 3, 2, 4).ShowPage(0));
  const int width = app_.settings->CellWidth();
  Receive(ScreenBuilder().FontStep(4).FocusAndUnlock(6));
  ASSERT_GT(app_.settings->CellWidth(), width);
  const int cell = app_.settings->CellWidth(), row = app_.settings->CellHeight();
  for (const auto& [page, id, top, left] : {std::tuple{0, 6, 3, 2}, std::tuple{1, 5, 2, 3}}) {
    if (page != Screen().shownPage) Receive(ScreenBuilder().ShowPage(page));
    const RECT place = RectInParent(Hwnd(*Screen().pages.At(page)->Fields().Find(id)));
    EXPECT_EQ(std::vector<LONG>({place.left, place.top}), std::vector<LONG>({left * cell, top * row})) << page;
  }
}

}  // namespace
}  // namespace vantor
