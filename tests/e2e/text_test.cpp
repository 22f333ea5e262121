// Fixed text and the system line on Vantor.exe under Wine: joined reverse frames and a live clock.
#include <ctime>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using TextTest = TerminalTest;

constexpr std::uint8_t kReverseAttributes = '@' | 0x30;
const Rgb kPageColour{149, 178, 195};
const Rgb kWhite{255, 255, 255};

TEST_F(TextTest, ReverseTextsSideBySideShowOneFrame) {
  StartConnected({{"ShowWaterMark", "false"}});
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Fixed(1, 3, 0, "    ")
                 .Attributes(1, 'A', kReverseAttributes)
                 .Fixed(2, 3, 4, "    ")
                 .Attributes(2, 'A', kReverseAttributes)
                 .Fixed(3, 6, 0, "    ")
                 .Attributes(3, 'A', kReverseAttributes)
                 .Define(20, 9, 0, kInputFlags, kPlainAttributes, 4)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    for (long long id : {1, 2, 3}) {
      const auto control = Control(w, id);
      if (!control || !control->visible) return false;
    }
    return true;
  })) << Describe(windows_);
  const auto left = Control(windows_, 1);
  const auto right = Control(windows_, 2);
  const auto lone = Control(windows_, 3);
  ASSERT_TRUE(left && right && lone) << Describe(windows_);
  const int mid = left->y + left->height / 2;
  const auto shot = ShotWhen([&](const Image& s) { return s.At(left->x + left->width / 2, mid) == kWhite; });
  ASSERT_TRUE(shot && shot->At(left->x + left->width / 2, mid) == kWhite) << "reverse text not painted";
  // Outer edges carry the frame's outermost line in the page colour; the shared edge is fill.
  EXPECT_EQ(shot->At(left->x, mid), kPageColour);
  EXPECT_EQ(shot->At(right->x + right->width - 1, mid), kPageColour);
  EXPECT_EQ(shot->At(left->x + left->width - 1, mid), kWhite);
  EXPECT_EQ(shot->At(right->x, mid), kWhite);
  // A lone block closes its own frame on the right.
  EXPECT_EQ(shot->At(lone->x + lone->width - 1, lone->y + lone->height / 2), kPageColour);
}

TEST_F(TextTest, SystemLineShowsTheTime) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(5, 0, 0, kSystemFlags, kPlainAttributes, 5)
                 .Define(20, 2, 0, kInputFlags, kPlainAttributes, 4)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto control = Control(w, 5);
    return control && control->visible;
  })) << Describe(windows_);
  const auto clock = Control(windows_, 5);
  ASSERT_TRUE(clock.has_value());
  // The clock is re-read at every blink tick and its colon blanks on odd seconds: the middle cell
  // changes within a few shots.
  std::optional<Image> first, second;
  bool blinked = false;
  const auto cellWidth = clock->width / 5;
  // Dark pixels in cells [from, to) of the clock.
  auto dark = [&](const Image& shot, int from, int to) {
    int count = 0;
    for (int x = clock->x + from * cellWidth; x < clock->x + to * cellWidth; ++x)
      for (int y = clock->y + 1; y < clock->y + clock->height - 2; ++y) {
        const Rgb c = shot.At(x, y);
        count += c.r < 80 && c.g < 80 && c.b < 80;
      }
    return count;
  };
  auto middleDark = [&](const Image& shot) { return dark(shot, 2, 3); };
  WaitFor(
      [&] {
        auto shot = Screenshot();
        if (!shot) return false;
        if (!first) {
          first = shot;
          return false;
        }
        if (middleDark(*shot) != middleDark(*first)) {
          second = shot;
          blinked = true;
        }
        return blinked;
      },
      Millis(4000), Millis(200));
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(blinked) << "the colon never blinked";
  // Digits are drawn in the cells around the colon.
  EXPECT_GT(dark(*first, 0, 2), 5);
}

}  // namespace
}  // namespace vantor::e2e
