// Buttons, check boxes and radio buttons of Vantor.exe tapped on the virtual display: what the host
// receives, and how the controls look afterwards.
#include "terminal_fixture.h"

#include <algorithm>

namespace vantor::e2e {
namespace {

using ControlsTest = TerminalTest;
namespace option = testing_support::option;

// Input mode with auto-send (flags bit 2).
constexpr std::uint8_t kAutoSendFlags = 'G';

// The control reports the change and then Enter; the field response already locks the keyboard, so
// the session passes the Enter over and the host sees one field response per tap.
TEST_F(ControlsTest, CheckBoxTapWithAutoSendSendsTheFieldResponse) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(4, 2, 0, kAutoSendFlags, kPlainAttributes, 10)
                 .Options(4, {option::Type('C')})
                 .Text(4, " Yes")
                 .ShowPage(0)
                 .FocusAndUnlock(4));
  const auto box = WaitControl(4);
  ASSERT_TRUE(box.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*box)) << probe_.LastError();
  const std::string field = NextBody();
  EXPECT_EQ(field.rfind("R%", 0), 0u) << field;
  EXPECT_NE(field.find("XYes"), std::string::npos) << field;
  EXPECT_TRUE(WaitFor([&] { return KeyboardState() == 2; }, Millis(3000)));

  // The host's next screen unlocks; a second tap clears the box again.
  SendScreen(ScreenBuilder().FocusAndUnlock(4));
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(TapCentre(*box));
  const std::string cleared = NextBody();
  EXPECT_NE(cleared.find(" Yes"), std::string::npos) << cleared;
  EXPECT_EQ(cleared.find("XYes"), std::string::npos) << cleared;
}

TEST_F(ControlsTest, SelectingTheThirdRadioButtonReportsTheSecondAndThirdOnly) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(1, 1, 0, kInputFlags, kPlainAttributes, 8)
                 .Options(1, {option::Type('R')})
                 .Text(1, " One")
                 .Define(2, 2, 0, kInputFlags, kPlainAttributes, 8)
                 .Options(2, {option::Type('R')})
                 .Text(2, "XTwo")
                 .Define(3, 3, 0, kAutoSendFlags, kPlainAttributes, 8)
                 .Options(3, {option::Type('R')})
                 .Text(3, " Three")
                 .ShowPage(0)
                 .FocusAndUnlock(1));
  const auto third = WaitControl(3);
  ASSERT_TRUE(third.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*third)) << probe_.LastError();
  const std::string field = NextBody();
  EXPECT_EQ(field.rfind("R%", 0), 0u) << field;
  EXPECT_NE(field.find("XThree"), std::string::npos) << field;
  EXPECT_NE(field.find(" Two"), std::string::npos) << field;
  EXPECT_EQ(field.find("One"), std::string::npos) << field;
}

TEST_F(ControlsTest, PushButtonTapSendsEnterAsCodeZeroAndIsDrawnUnpressed) {
  StartConnected({{"fieldentertof0", "true"}});
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(6, 3, 1, kInputFlags, kPlainAttributes, 8)
                 .Options(6, {option::Type('B')})
                 .Text(6, "GO")
                 .ShowPage(0)
                 .FocusAndUnlock(6));
  const auto button = WaitControl(6);
  ASSERT_TRUE(button.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*button)) << probe_.LastError();
  // Enter with code 0 and the tapped button, which the tap marked modified.
  const std::string key = NextBody();
  EXPECT_EQ(key.rfind(KeyResponse(0, 6), 0), 0u) << key;

  // Unpressed: the top face row is the light end of the gradient, the corner is the page's colour,
  // the outline is dark grey.
  // The key goes out on release, before the button has repainted: wait for the repaint.
  const Rgb light{255, 255, 239};
  const Rgb outline{115, 113, 107};
  const auto screen = ShotWhen([&](const Image& shot) { return shot.At(button->x + 4, button->y + 1) == light; });
  ASSERT_TRUE(screen.has_value());
  EXPECT_EQ(ToString(screen->At(button->x + 4, button->y + 1)), ToString(light));
  EXPECT_EQ(ToString(screen->At(button->x + 4, button->y)), ToString(outline));
  EXPECT_NE(ToString(screen->At(button->x, button->y)), ToString(outline));
}

TEST_F(ControlsTest, CheckedBoxShowsItsTickAndTheUncheckedOneAWhiteInterior) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(1, 1, 0, kInputFlags, kPlainAttributes, 8)
                 .Options(1, {option::Type('C')})
                 .Text(1, "X")
                 .Define(2, 3, 0, kInputFlags, kPlainAttributes, 8)
                 .Options(2, {option::Type('C')})
                 .Text(2, " ")
                 .ShowPage(0)
                 .FocusAndUnlock(-1));
  const auto checked = WaitControl(1);
  const auto unchecked = WaitControl(2);
  ASSERT_TRUE(checked && unchecked) << Describe(windows_);
  // The mark is one cell square, one pixel in from the left, centred one pixel low.
  const int s = std::min(checked->width / 8, checked->height);
  const int top = (checked->height - s) / 2 + 1;
  const int mx = 1 + (s - 1) / 2;
  const int my = top + (s - 1) / 2;
  // The windows exist before they have painted: wait for the first paint.
  const auto screen = ShotWhen([&](const Image& shot) { return shot.At(checked->x + mx, checked->y + my) == Rgb{0, 0, 0}; });
  ASSERT_TRUE(screen.has_value());
  EXPECT_EQ(ToString(screen->At(checked->x + mx, checked->y + my)), ToString(Rgb{0, 0, 0}));
  EXPECT_EQ(ToString(screen->At(unchecked->x + mx, unchecked->y + my)), ToString(Rgb{255, 255, 255}));
  EXPECT_EQ(ToString(screen->At(checked->x + 2, checked->y + top - 1)), ToString(Rgb{96, 96, 96}));
}

// A screen as a host would show it, with every kind of control; each control window draws its text
// (black or strongly coloured pixels in its own rectangle). The picture of this screen is the README's controls picture.
TEST_F(ControlsTest, EveryControlKindDrawsItsTextOnOneScreen) {
  StartConnected();
  constexpr std::uint8_t kReverse = '@' | 0x30;
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .ErasePage()
                 .Fixed(1, 0, 0, " PUT-AWAY          ")
                 .Attributes(1, 'A', kReverse)
                 .Define(2, 0, 19, kSystemFlags, kReverse, 5)
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
                 .KeyLabel(1, "SAVE")
                 .KeyLabel(7, "NEXT")
                 .KeyLabel(8, "EXIT")
                 .ShowPage(0)
                 .FocusAndUnlock(4));
  ASSERT_TRUE(WaitControl(15).has_value()) << Describe(windows_);
  const struct {
    long long id;
    const char* className;
  } expected[] = {{1, "VdxFixed"},        {2, "VdxSystem"},       {4, "VdxEntry"},        {6, "VdxEntry"},
                  {7, "VdxCheckBox"},     {8, "VdxCheckBox"},     {9, "VdxRadioButton"},  {11, "VdxRadioButton"},
                  {12, "VdxSelectButton"}, {13, "VdxSelectButton"}, {14, "VdxButton"},     {15, "VdxButton"}};
  std::vector<WindowInfo> controls;
  for (const auto& e : expected) {
    const auto control = Control(windows_, e.id);
    ASSERT_TRUE(control.has_value()) << "field " << e.id << "\n" << Describe(windows_);
    EXPECT_EQ(control->className, e.className) << "field " << e.id;
    controls.push_back(*control);
  }
  auto drawsText = [](const Image& screen, const WindowInfo& control) {
    for (int y = control.y; y < control.y + control.height; ++y) {
      for (int x = control.x; x < control.x + control.width; ++x) {
        const Rgb c = screen.At(x, y);
        if (std::min({c.r, c.g, c.b}) < 100) return true;  // no page, face or outline colour is that deep
      }
    }
    return false;
  };
  std::string undrawn = "all";
  WaitFor(
      [&] {
        const std::optional<Image> screen = Screenshot();
        if (!screen) return false;
        undrawn.clear();
        for (const WindowInfo& control : controls) {
          if (!drawsText(*screen, control)) undrawn += " " + std::to_string(control.id);
        }
        return undrawn.empty();
      },
      Millis(5000), Millis(200));
  EXPECT_EQ(undrawn, "") << "fields without text";
  EXPECT_TRUE(SaveDocPicture("controls", main_.x, main_.y, main_.width, main_.height));
}

}  // namespace
}  // namespace vantor::e2e
