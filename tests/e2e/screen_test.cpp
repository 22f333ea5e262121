// What Vantor.exe's real windows show on the virtual display: a host screen with every kind of control,
// the lock indicator, and the toolbar with the host's key labels, rebuilt by the Screen options.
#include <array>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using ScreenTest = TerminalTest;

// The pixels of a rectangle, to compare two screenshots by.
std::vector<Rgb> Pixels(const Image& shot, int x, int y, int width, int height) {
  std::vector<Rgb> pixels;
  for (int row = y; row < y + height; ++row)
    for (int column = x; column < x + width; ++column) pixels.push_back(shot.At(column, row));
  return pixels;
}

TEST_F(ScreenTest, EveryControlKindDrawsItsTextAndTheClockBlinks) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .ErasePage()
                 .Fixed(1, 0, 0, " PUT-AWAY          ")
                 .Attributes(1, 'A', kReverseAttributes)
                 .Define(2, 0, 19, kSystemFlags, kReverseAttributes, 5)
                 .Fixed(3, 2, 0, "Item:")
                 .Define(4, 2, 6, kInputFlags, kPlainAttributes, 12)
                 .Text(4, "A100")
                 .Fixed(5, 3, 0, "Qty:")
                 .Define(6, 3, 6, kInputFlags, kPlainAttributes, 6)
                 .Text(6, "12")
                 .Define(7, 5, 0, kInputFlags, kPlainAttributes, 13)
                 .Options(7, {option::Type('C')})
                 .Text(7, "XPrint label")
                 .Define(8, 5, 14, kInputFlags, kPlainAttributes, 9)
                 .Options(8, {option::Type('C')})
                 .Text(8, " Urgent")
                 .Define(9, 7, 0, kInputFlags, kPlainAttributes, 8)
                 .Options(9, {option::Type('R')})
                 .Text(9, "XPallet")
                 .Define(10, 7, 8, kInputFlags, kPlainAttributes, 7)
                 .Options(10, {option::Type('R')})
                 .Text(10, " Case")
                 .Define(11, 7, 15, kInputFlags, kPlainAttributes, 8)
                 .Options(11, {option::Type('R')})
                 .Text(11, " Loose")
                 .Define(12, 9, 0, kInputFlags, kPlainAttributes, 11)
                 .Options(12, {option::Type('S')})
                 .Text(12, "XFragile")
                 .Define(13, 9, 12, kInputFlags, kPlainAttributes, 11)
                 .Options(13, {option::Type('S')})
                 .Text(13, " Cold")
                 .Define(14, 11, 0, kInputFlags, kPlainAttributes, 11)
                 .Options(14, {option::Type('B')})
                 .Text(14, "Store")
                 .Define(15, 11, 12, kInputFlags, kPlainAttributes, 11)
                 .Options(15, {option::Type('B')})
                 .Text(15, "Back")
                 .Define(16, 12, 0, kInputFlags, kPlainAttributes | 0x02, 6)
                 .KeyLabel(1, "SAVE")
                 .KeyLabel(7, "NEXT")
                 .KeyLabel(8, "EXIT")
                 .ShowPage(0)
                 .FocusAndUnlock(4));
  ASSERT_TRUE(WaitControl(15).has_value()) << Describe(windows_);
  const std::pair<long long, const char*> kinds[] = {
      {1, "VdxFixed"},        {2, "VdxSystem"},       {4, "VdxEntry"},        {7, "VdxCheckBox"},
      {9, "VdxRadioButton"},  {12, "VdxSelectButton"}, {14, "VdxButton"}, {15, "VdxButton"}};
  for (const auto& [id, className] : kinds) {
    const auto control = Control(windows_, id);
    ASSERT_TRUE(control.has_value()) << "field " << id << "\n" << Describe(windows_);
    EXPECT_EQ(control->className, className) << "field " << id;
  }
  const auto hidden = Control(windows_, 16);
  ASSERT_TRUE(hidden.has_value());
  EXPECT_FALSE(hidden->visible) << "the hidden attribute makes a window that is not shown";

  // Each control draws its text: pixels darker than any page, face or outline colour in its rectangle.
  std::string undrawn;
  const auto drawn = [&](const Image& shot) {
    undrawn.clear();
    for (const WindowInfo& control : ChildrenOf(windows_, ShownPage(windows_)->handle)) {
      bool text = false;
      for (const Rgb& c : Pixels(shot, control.x, control.y, control.width, control.height))
        text = text || std::min({c.r, c.g, c.b}) < 100;
      if (control.visible && !text) undrawn += " " + std::to_string(control.id);
    }
    return undrawn.empty();
  };
  EXPECT_TRUE(ShotWhen(drawn)) << "fields without text:" << undrawn;

  // The system field is a clock whose colon blanks every other second: the middle of its five cells shows
  // one picture, then another, then the first again, while the first digit stays as it is.
  const auto clock = Control(windows_, 2);
  ASSERT_TRUE(clock.has_value());
  const int cell = clock->width / 5;
  std::vector<std::vector<Rgb>> colons, digits;
  WaitFor(
      [&] {
        const auto shot = Screenshot();
        if (!shot) return false;
        const auto colon = Pixels(*shot, clock->x + 2 * cell, clock->y, cell, clock->height);
        if (colons.empty() || colons.back() != colon) colons.push_back(colon);
        digits.push_back(Pixels(*shot, clock->x, clock->y, cell, clock->height));
        return colons.size() >= 3;
      },
      Millis(4000), Millis(100));
  ASSERT_GE(colons.size(), 3u) << "the colon did not blink";
  EXPECT_TRUE(colons[0] == colons[2] && colons[0] != colons[1]);
  EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [&](const auto& d) { return d == digits[0]; }));
  Picture("controls", main_.x, main_.y, main_.width, main_.height);
}

// The indicator hugs the top-right corner of the main window's client area, 200 x 70 inside.
void ExpectInCorner(const WindowInfo& indicator, const WindowInfo& main) {
  EXPECT_EQ(indicator.x + indicator.width, main.clientX + main.clientWidth);
  EXPECT_EQ(indicator.y, main.clientY);
  EXPECT_EQ(indicator.clientWidth, 200);
  EXPECT_EQ(indicator.clientHeight, 70);
}

// The indicator's picture moves: a later screenshot differs from the first.
bool Moves(const WindowInfo& indicator) {
  const auto picture = [&](const Image& shot) {
    return Pixels(shot, indicator.clientX, indicator.clientY, indicator.clientWidth, indicator.clientHeight);
  };
  const auto first = Screenshot();
  return first && ShotWhen([&](const Image& shot) { return picture(shot) != picture(*first); }, Millis(3000));
}

// "Lock-B" while the terminal waits for its first screen, "Lock-H" while the host holds one, gone with
// the next screen: always in the corner, animating, and taking no input.
TEST_F(ScreenTest, LockIndicatorShowsWhileTheTerminalWaits) {
  StartConnected();
  const auto connecting = WaitIndicator("Lock-B");
  ASSERT_TRUE(connecting.has_value()) << Describe(windows_);
  ExpectInCorner(*connecting, main_);
  EXPECT_TRUE(Moves(*connecting)) << "the pictures slide";
  SendScreen(ScreenBuilder().SelectPage(0).Fixed(1, 0, 0, "Please wait").ShowPage(0));
  ASSERT_TRUE(WaitIndicator("Lock-H").has_value()) << "a first screen that leaves the keyboard locked";
  EXPECT_EQ(OfClass(windows_, "VdxCAnimate").size(), 1u) << Describe(windows_);

  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Fixed(1, 0, 0, "Picking")
                 .Fixed(2, 2, 0, "Location")
                 .Define(20, 3, 0, kInputFlags, kPlainAttributes, 10)
                 .Text(20, "A-12-03")
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto field = WaitControl(20);
  ASSERT_TRUE(field.has_value()) << Describe(windows_);
  ASSERT_EQ(Press(field->handle, {"enter"}), KeyResponse(0, 20));
  const auto held = WaitIndicator("Lock-H");
  ASSERT_TRUE(held.has_value()) << Describe(windows_);
  ExpectInCorner(*held, main_);
  EXPECT_FALSE(held->enabled) << "the indicator never takes input";
  EXPECT_TRUE(Moves(*held));
  SaveDocPicture("indicator", main_.x, main_.y, main_.width, main_.height);

  ASSERT_TRUE(probe_.Move(main_.handle, main_.x, main_.y, 300, main_.height)) << probe_.LastError();
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto indicator = Indicator(w);
    return main_.width == 300 && indicator && indicator->x + indicator->width == main_.clientX + main_.clientWidth;
  })) << Describe(windows_);
  ExpectInCorner(*Indicator(windows_), main_);

  SendScreen(ScreenBuilder().Text(20, "A-12-04").FocusAndUnlock(20));
  EXPECT_TRUE(WaitNoIndicator()) << Describe(windows_);
  EXPECT_TRUE(OfClass(windows_, "VdxCAnimate").empty()) << "the window is destroyed, not only hidden";
}

// ---- the toolbar ----------------------------------------------------------------------------------

constexpr int kSave = 0, kBack = 1, kExit = 2, kNext = 3;
constexpr Rgb kFace{191, 191, 191};
constexpr Rgb kBevelLight{230, 230, 230};

class ToolbarTest : public TerminalTest {
 protected:
  // Waits until the five buttons' enabled states are as given; the buttons are then in buttons_.
  bool WaitEnabled(const std::array<bool, 5>& enabled) {
    return WaitWindows([&](const WindowList& windows) {
      const WindowList bars = OfClass(ChildrenOf(windows, main_.handle), "VdxCToolBar");
      if (bars.size() != 1) return false;
      bar_ = bars[0];
      const WindowList buttons = OfClass(ChildrenOf(windows, bar_.handle), "VdxCToolBarButton");
      for (size_t i = 0; i < 5; ++i) {
        const auto button = std::find_if(buttons.begin(), buttons.end(),
                                         [&](const WindowInfo& w) { return w.id == static_cast<long long>(i); });
        if (button == buttons.end() || button->enabled != enabled[i]) return false;
        buttons_[i] = *button;
      }
      return true;
    });
  }

  // Whether a button is drawn enabled: the bevel's light ring on its top edge and its coloured picture
  // (a greyed picture blends every pixel half-way to grey 191, so no channel falls below 95).
  std::optional<bool> DrawnEnabled(const Image& shot, int index) {
    const WindowInfo& b = buttons_[static_cast<size_t>(index)];
    const auto inside = Pixels(shot, b.clientX + 2, b.clientY + 2, b.clientWidth - 4, b.clientHeight - 4);
    const bool coloured = std::any_of(inside.begin(), inside.end(), [](const Rgb& c) {
      return std::min({c.r, c.g, c.b}) < 90;
    });
    const Rgb edge = shot.At(b.clientX + 1, b.clientY);
    if (edge == kBevelLight && coloured) return true;
    if (edge == kFace && !coloured) return false;
    return std::nullopt;
  }

  // Waits until each listed button is drawn as its enabled state says.
  bool WaitDrawn(std::initializer_list<int> indexes) {
    return ShotWhen([&](const Image& shot) {
      return std::all_of(indexes.begin(), indexes.end(),
                         [&](int i) { return DrawnEnabled(shot, i) == buttons_[static_cast<size_t>(i)].enabled; });
    });
  }

  void ShowReceivingScreen() {
    SendScreen(ScreenBuilder()
                   .SelectPage(0)
                   .Fixed(1, 0, 0, "Goods receiving")
                   .Fixed(2, 2, 0, "Item")
                   .Define(20, 3, 0, kInputFlags, kPlainAttributes, 12)
                   .Text(20, "4711-02")
                   .Fixed(3, 5, 0, "NEXT: next item")
                   .ShowPage(0)
                   .FocusAndUnlock(20));
    ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  }

  WindowInfo bar_;
  std::array<WindowInfo, 5> buttons_;
};

// The host's labels bind buttons by their text: bound ones are drawn with a bevel and their picture and
// send their code when tapped, once per screen; a label that no longer matches frees the button.
TEST_F(ToolbarTest, HostLabelsBindTheButtonsThatTapsSend) {
  StartConnected();
  ShowReceivingScreen();
  ASSERT_TRUE(WaitEnabled({false, false, false, false, false})) << Describe(windows_);
  EXPECT_TRUE(WaitDrawn({kNext})) << "greyed before the host defines the key";

  SendScreen(ScreenBuilder().KeyLabel(7, "NEXT").KeyLabel(1, "SAVE"));
  ASSERT_TRUE(WaitEnabled({true, false, false, true, false})) << Describe(windows_);
  EXPECT_TRUE(WaitDrawn({kNext, kBack}));
  SaveDocPicture("toolbar", main_.x, main_.y, main_.width, main_.height);
  ASSERT_TRUE(TapCentre(buttons_[kNext])) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(7, 20));
  ASSERT_TRUE(WaitLocked(true));
  // While the host holds the screen a second tap goes nowhere: the host's next record is its answer.
  ASSERT_TRUE(TapCentre(buttons_[kNext]));

  // The same letters in lower case match no label, so the button holding code 7 is freed.
  SendScreen(ScreenBuilder().KeyLabel(7, "next").FocusAndUnlock(20));
  ASSERT_TRUE(WaitEnabled({true, false, false, false, false})) << Describe(windows_);
  EXPECT_TRUE(WaitDrawn({kNext}));
  ASSERT_TRUE(WaitLocked(false));
  ASSERT_TRUE(TapCentre(buttons_[kNext]));
  ASSERT_TRUE(TapCentre(buttons_[kSave]));
  EXPECT_EQ(NextBody(), KeyResponse(1, 20)) << "SAVE's key, and none from the freed button";
}

// Screen Options from the real menu: Cancel writes nothing; OK with the largest size writes it, and the
// main window builds a new bar whose buttons wait for the host's labels again.
TEST_F(ToolbarTest, ScreenOptionsRebuildTheBarWithEveryButtonFreed) {
  StartConnected({{"KorvathAdminMode", "true"}});
  ShowReceivingScreen();
  SendScreen(ScreenBuilder().KeyLabel(1, "SAVE").KeyLabel(4, "NEXT"));
  ASSERT_TRUE(WaitEnabled({true, false, false, true, false})) << Describe(windows_);
  const std::string before = ReadIni();
  constexpr long long kSize3x = 1021;
  for (const long long button : {2, 1}) {
    const auto dialog = OpenFromFileMenu({"s"}, "Screen Options");
    ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
    if (button == 2) {
      ASSERT_TRUE(SetItemText(*dialog, 1014, "20"));
    }
    const auto large = Item(*dialog, kSize3x);
    ASSERT_TRUE(large.has_value());
    ASSERT_TRUE(probe_.Tap(large->x + 6, large->y + large->height / 2));
    ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, kSize3x) == 1; }, Millis(3000)));
    ASSERT_TRUE(TapItem(*dialog, button));
    ASSERT_TRUE(Gone("Screen Options"));
    if (button == 2) {
      EXPECT_EQ(ReadIni(), before) << "Cancel wrote the file";
    }
  }
  EXPECT_EQ(Ini("toolbarsize"), "2");
  EXPECT_EQ(Ini("screencols"), "80");
  ASSERT_TRUE(WaitWindows([&](const WindowList& windows) {
    const WindowList bars = OfClass(windows, "VdxCToolBar");
    const auto page = ShownPage(windows);
    return bars.size() == 1 && bars[0].height == 59 && page && page->YIn(main_) == 59;
  })) << Describe(windows_);
  ASSERT_TRUE(WaitEnabled({false, false, false, false, false})) << Describe(windows_);
  EXPECT_EQ(buttons_[kNext].width, 52);

  SendScreen(ScreenBuilder().KeyLabel(1, "SAVE").KeyLabel(4, "NEXT").KeyLabel(8, "EXIT").FocusAndUnlock(20));
  ASSERT_TRUE(WaitEnabled({true, false, true, true, false})) << Describe(windows_);
  EXPECT_TRUE(WaitDrawn({kExit, kBack}));
  SaveDocPicture("toolbar-large", main_.x, main_.y, main_.width, main_.height);
  ASSERT_TRUE(WaitLocked(false));
  ASSERT_TRUE(TapCentre(buttons_[kNext]));
  EXPECT_EQ(NextBody(), KeyResponse(4, 20));
}

}  // namespace
}  // namespace vantor::e2e
