// LockIndicator under Wine: window title and mode rules, placement at the top-right, timer ticks, painting, GDI balance.
#include "win/toolbar/lock_indicator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app_fixture_win.h"
#include "win/base/gdi.h"

namespace vantor {
namespace {

using namespace wintest;

class IndicatorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // A popup: under Wine without a window manager, destroying a shown captioned window waits 2 s.
    ASSERT_NE(main_, nullptr) << "error " << GetLastError();
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    UpdateWindow(main_);
    baseline_ = gdi::LiveObjects();
    indicator_ = std::make_unique<LockIndicator>(main_, GetModuleHandleW(nullptr));
  }
  void TearDown() override {
    indicator_.reset();
    Pump();
    EXPECT_EQ(gdi::LiveObjects(), baseline_) << "every picture and DC is released with the indicator";
    if (main_ != nullptr) DestroyWindow(main_);
    Pump();
  }
  bool WaitForTicks(int ticks, int timeoutMs) {
    std::set<int> seen;
    return PumpUntil(
        [&] {
          seen.insert(LockIndicator::Counter().value);
          return static_cast<int>(seen.size()) > ticks;
        },
        timeoutMs);
  }

  RecordingWindow host_{WM_USER, 0x7FFF, WS_POPUP | WS_CLIPCHILDREN};
  HWND main_ = host_.get();
  long baseline_ = 0;
  std::unique_ptr<LockIndicator> indicator_;
};

TEST_F(IndicatorWindow, ShownAsACaptionedToolWindowAtTheTopRight) {
  indicator_->Hide();
  indicator_->Reposition();
  EXPECT_EQ(indicator_->Window(), nullptr) << "no window until shown";
  indicator_->Show(LockMode::Host);
  const HWND window = indicator_->Window();
  ASSERT_NE(window, nullptr);
  Pump();
  EXPECT_EQ(ClassOf(window), L"VdxCAnimate");
  EXPECT_EQ(TitleOf(window), L"Lock-H");
  EXPECT_EQ(GetParent(window), main_);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowEnabled(window)) << "it never takes input";
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 70);
  const RECT r = RectInParent(window);
  EXPECT_EQ(r.right, 240);
  EXPECT_EQ(r.top, 0);
  EXPECT_GT(r.bottom - r.top, 70) << "the caption sits above the picture";
}

TEST_F(IndicatorWindow, AnyNonZeroModeIsLockHWhichTurnsIntoLockBButNotBack) {
  indicator_->Show(LockMode::Host);
  const HWND window = indicator_->Window();
  EXPECT_EQ(TitleOf(window), L"Lock-H");
  EXPECT_EQ(indicator_->Mode(), LockMode::Host);
  indicator_->Show(LockMode::Connecting);
  EXPECT_EQ(indicator_->Window(), window);
  EXPECT_EQ(TitleOf(window), L"Lock-B");
  EXPECT_EQ(indicator_->Mode(), LockMode::Connecting);
  indicator_->Show(LockMode::Host);
  EXPECT_EQ(indicator_->Window(), window);
  EXPECT_EQ(TitleOf(window), L"Lock-B");
  EXPECT_EQ(indicator_->Mode(), LockMode::Connecting);
}

TEST_F(IndicatorWindow, TimerStepsTheCounterAndHideThenShowStartsItAgain) {
  indicator_->Show(LockMode::Connecting);
  const HWND first = indicator_->Window();
  EXPECT_EQ(LockIndicator::Counter().value, 0);
  ASSERT_TRUE(WaitForTicks(3, 5000)) << "the counter moves on the 100 ms timer";
  EXPECT_GT(LockIndicator::Counter().value, 0);
  EXPECT_LE(LockIndicator::Counter().value, 8);

  indicator_->Hide();
  EXPECT_EQ(indicator_->Window(), nullptr);
  EXPECT_TRUE(IsWindow(first)) << "the close is posted, not done at once";
  indicator_->Show(LockMode::Host);
  const HWND second = indicator_->Window();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(TitleOf(second), L"Lock-H");
  EXPECT_EQ(LockIndicator::Counter().value, 0) << "a new window starts the counter from 0";
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(first); }, 2000));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_TRUE(WaitForTicks(2, 5000));
}

TEST_F(IndicatorWindow, StaysGluedToTheRightEdgeWhenTheMainWindowNarrows) {
  indicator_->Show(LockMode::Connecting);
  const HWND window = indicator_->Window();
  const RECT before = RectInParent(window);
  SetWindowPos(main_, nullptr, 0, 0, 220, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  indicator_->Reposition();
  const RECT after = RectInParent(window);
  EXPECT_EQ(after.right, 220);
  EXPECT_EQ(after.top, 0);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(IndicatorWindow, PaintingLeavesTheGdiCountFlat) {
  const long loaded = gdi::LiveObjects();
  EXPECT_GE(loaded - baseline_, 19) << "the pictures are held while the indicator lives";
  indicator_->Show(LockMode::Host);
  ASSERT_TRUE(WaitForTicks(4, 5000));
  indicator_->Show(LockMode::Connecting);
  ASSERT_TRUE(WaitForTicks(6, 5000));
  indicator_->Hide();
  Pump();
  EXPECT_EQ(gdi::LiveObjects(), loaded);
}

TEST_F(IndicatorWindow, MainWindowDestroyedWhileShownLeavesNoStaleWindow) {
  indicator_->Show(LockMode::Host);
  DestroyWindow(main_);
  main_ = nullptr;
  EXPECT_EQ(indicator_->Window(), nullptr);
  indicator_->Reposition();
  indicator_->Hide();
}

TEST_F(IndicatorWindow, DeletedWhileShownTakesItsWindowAndClass) {
  indicator_->Show(LockMode::Connecting);
  const HWND window = indicator_->Window();
  indicator_.reset();
  EXPECT_FALSE(IsWindow(window));
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"VdxCAnimate", &info));
}

}  // namespace
}  // namespace vantor
