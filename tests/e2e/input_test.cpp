// The operator's real input through Vantor.exe's message loop under Wine: keys, a wedge scanner's burst
// of keys, taps on controls, and the host's Advisory and "Hey You" dialogs.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using InputTest = TerminalTest;

std::string FieldResponse(int focus, const std::vector<std::pair<int, std::string>>& fields) {
  return "R%" + KeyResponse(0, focus, fields).substr(3);
}

ScreenBuilder Unlock(int field) {
  ScreenBuilder screen;
  screen.FocusAndUnlock(field);
  return screen;
}

TEST_F(InputTest, KeysReachTheHostOncePerScreen) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 1, 0, kInputFlags, kPlainAttributes, 14)
                 .Text(20, "OLD")
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  // A wedge scanner types its code in one burst and ends it with Enter; the first key replaced "OLD".
  ASSERT_TRUE(probe_.Type(entry->handle, "4006381333931")) << probe_.LastError();
  EXPECT_EQ(Press(0, {"enter"}), KeyResponse(0, 20, {{20, "4006381333931"}}));
  // Locked until the host answers: a second key goes nowhere, and the host's next record is its answer.
  ASSERT_TRUE(WaitLocked(true));
  ASSERT_TRUE(probe_.Keys(entry->handle, {"F3"})) << probe_.LastError();
  SendScreen(Unlock(20));

  const struct {
    const char* chord;
    int code;
  } keys[] = {{"F2", 2}, {"shift+F1", 11}, {"ctrl+F3", 23}, {"ctrl+1", 21}, {"ctrl+0", 30}, {"F24", 24}};
  for (const auto& key : keys) {
    ASSERT_TRUE(WaitLocked(false)) << key.chord;
    // The field is unchanged since the host read it: the key carries no field.
    EXPECT_EQ(Press(entry->handle, {key.chord}), KeyResponse(key.code, 20)) << key.chord;
    SendScreen(Unlock(20));
  }
  // Alt+F4 is no way out of the terminal, and no key for the host.
  ASSERT_TRUE(WaitLocked(false));
  ASSERT_TRUE(probe_.Keys(entry->handle, {"alt+F4"}));
  EXPECT_EQ(NextBody(Millis(1000)), "<none>");
  EXPECT_EQ(Locked(), false);
  EXPECT_TRUE(terminal_.Running());
}

// A check box and the last of three radio buttons send their field response at once (auto-send); a push
// button is Enter on itself.
TEST_F(InputTest, TapsOnControlsReachTheHost) {
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
                 .Define(4, 5, 0, kAutoSendFlags, kPlainAttributes, 10)
                 .Options(4, {option::Type('C')})
                 .Text(4, " Yes")
                 .Define(6, 7, 1, kInputFlags, kPlainAttributes, 8)
                 .Options(6, {option::Type('B')})
                 .Text(6, "GO")
                 .ShowPage(0)
                 .FocusAndUnlock(4));
  const auto box = WaitControl(4);
  ASSERT_TRUE(box.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*box)) << probe_.LastError();
  EXPECT_EQ(NextBody(), FieldResponse(4, {{4, "XYes"}}));
  SendScreen(Unlock(4));
  ASSERT_TRUE(WaitLocked(false));
  ASSERT_TRUE(TapCentre(*box));
  EXPECT_EQ(NextBody(), FieldResponse(4, {{4, " Yes"}}));

  SendScreen(Unlock(4));
  const auto third = WaitControl(3);
  ASSERT_TRUE(third.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*third));
  EXPECT_EQ(NextBody(), FieldResponse(3, {{2, " Two"}, {3, "XThree"}}));

  SendScreen(Unlock(4));
  const auto button = WaitControl(6);
  ASSERT_TRUE(button.has_value()) << Describe(windows_);
  ASSERT_TRUE(TapCentre(*button));
  EXPECT_EQ(NextBody(), KeyResponse(0, 6, {{6, "GO"}}));
}

// The Advisory gives the focus to the field the host named; the prompt's answer goes to the host on OK
// only; the host's "I" record closes an open prompt as Cancel would.
TEST_F(InputTest, HostDialogs) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 1, 0, kInputFlags, kPlainAttributes, 10)
                 .Define(21, 3, 0, kInputFlags, kPlainAttributes, 10)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  ASSERT_TRUE(WaitControl(21).has_value()) << Describe(windows_);
  SendScreen(ScreenBuilder().MessageAt(21, "  Check the pallet"));
  const auto advisory = WaitDialog("Advisory");
  ASSERT_TRUE(advisory.has_value());
  EXPECT_GE(advisory->x, 0);
  EXPECT_GE(advisory->y, 0);
  EXPECT_EQ(ItemText(*advisory, 1000), "Check the pallet");
  ASSERT_TRUE(TapItem(*advisory, 1));
  ASSERT_TRUE(Gone("Advisory"));
  const auto field = WaitControl(21);
  ASSERT_TRUE(field.has_value());
  EXPECT_TRUE(WaitFor([&] { return probe_.Focus() == field->handle; }, Millis(5000)));

  for (const int button : {1, 2}) {
    SendScreen(ScreenBuilder().Prompt(10, "Quantity?"));
    const auto prompt = WaitDialog("Hey You");
    ASSERT_TRUE(prompt.has_value());
    ASSERT_TRUE(SetItemText(*prompt, 1001, "42"));
    ASSERT_TRUE(probe_.Post(prompt->handle, kWmCommand, button, 0));
    ASSERT_TRUE(Gone("Hey You"));
    if (button == 1) {
      EXPECT_EQ(NextBody(), "R?" + HostByte(2) + "42");
    }
  }
  // Cancel sent nothing: the next record the host reads is the answer to its next record.
  SendScreen(ScreenBuilder().Prompt(5, "Scan?"));
  ASSERT_TRUE(WaitDialog("Hey You").has_value());
  ASSERT_TRUE(host_->SendRecord("I"));
  EXPECT_TRUE(Gone("Hey You"));
  EXPECT_EQ(NextBody(), "");
  EXPECT_TRUE(host_->NothingArrives(Millis(1000)));
}

}  // namespace
}  // namespace vantor::e2e
