// The message loop: WM_QUIT's code, the filter's veto, the frame's accelerator translation and layout
// request.
#include "win/base/message_loop.h"

#include <gtest/gtest.h>

#include "win/base/messages.h"
#include "app_fixture_win.h"

namespace vantor {
namespace {

constexpr UINT kProbe = WM_USER + 77;

// Ends the loop with 99 if a test's own WM_QUIT never came, so that a broken loop cannot hang.
class Watchdog {
 public:
  explicit Watchdog(UINT ms) : timer_(SetTimer(nullptr, 0, ms, &Watchdog::Fire)) {}
  ~Watchdog() { KillTimer(nullptr, timer_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); }
  UINT_PTR timer_;
};

class CountingFilter final : public MessageFilter {
 public:
  explicit CountingFilter(bool consume) : consume_(consume) {}
  bool FilterMessage(MSG* message) override {
    if (message->message == kProbe) ++seen;
    return consume_ && message->message == kProbe;
  }
  int seen = 0;

 private:
  bool consume_;
};

TEST(MessageLoopTest, RunReturnsTheQuitCodeAndDispatchesUnfilteredMessages) {
  wintest::RecordingWindow window;
  MessageLoop loop;
  PostMessageW(window.get(), kProbe, 1, 2);
  PostQuitMessage(7);
  Watchdog watchdog(5000);
  EXPECT_EQ(loop.Run(), 7);
  ASSERT_EQ(window.Of(kProbe).size(), 1u);
  EXPECT_EQ(window.Of(kProbe)[0].wparam, 1u);
}

TEST(MessageLoopTest, AConsumingFilterKeepsMessagesFromTheirWindow) {
  wintest::RecordingWindow window;
  MessageLoop loop;
  CountingFilter filter(true);
  EXPECT_TRUE(loop.SetFilter(&filter));
  PostMessageW(window.get(), kProbe, 0, 0);
  PostMessageW(window.get(), kProbe + 1, 0, 0);
  PostQuitMessage(0);
  Watchdog watchdog(5000);
  EXPECT_EQ(loop.Run(), 0);
  EXPECT_EQ(filter.seen, 1);
  EXPECT_TRUE(window.Of(kProbe).empty());
  EXPECT_EQ(window.Of(kProbe + 1).size(), 1u);
}

TEST(MessageLoopTest, ClearedOrReplacedFilterIsNoLongerAsked) {
  MessageLoop loop;
  CountingFilter first(true);
  CountingFilter second(false);
  MSG probe{nullptr, kProbe, 0, 0, 0, {}};
  EXPECT_FALSE(loop.FilterMessage(&probe));
  loop.SetFilter(&first);
  EXPECT_TRUE(loop.FilterMessage(&probe));
  loop.SetFilter(&second);
  EXPECT_FALSE(loop.FilterMessage(&probe));
  EXPECT_EQ(first.seen, 1);
  EXPECT_EQ(second.seen, 1);
  EXPECT_TRUE(loop.ClearFilter());
  EXPECT_FALSE(loop.FilterMessage(&probe));
  EXPECT_EQ(second.seen, 1);
  EXPECT_EQ(loop.Filter(), nullptr);
}

TEST(MessageLoopTest, FrameTranslatesAcceleratorsAgainstTheMainWindowWhateverTheTarget) {
  wintest::RecordingWindow main;
  wintest::RecordingWindow other;
  ACCEL entries[] = {{FVIRTKEY, VK_F2, 1234}};
  HACCEL table = CreateAcceleratorTableW(entries, 1);
  ASSERT_NE(table, nullptr);
  AppFrame frame(main.get(), table);
  wintest::HeldKeys keys(false, false, false);
  MSG f2{other.get(), WM_KEYDOWN, VK_F2, 1, 0, {}};
  EXPECT_TRUE(frame.FilterMessage(&f2));
  MSG f3{other.get(), WM_KEYDOWN, VK_F3, 1, 0, {}};
  EXPECT_FALSE(frame.FilterMessage(&f3));
  ASSERT_EQ(main.Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(LOWORD(main.Of(WM_COMMAND)[0].wparam), 1234);
  EXPECT_TRUE(other.Of(WM_COMMAND).empty());
  DestroyAcceleratorTable(table);

  AppFrame withoutTable(main.get(), nullptr);
  EXPECT_FALSE(withoutTable.FilterMessage(&f2));
}

}  // namespace
}  // namespace vantor
