// Tests of the terminal: focus navigation, the operator's requests, the host dialogs, serial data,
// key labels, the lock after each record and the I record's reset.
#include "session/terminal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects_recorder.h"
#include "field_helpers.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using testing_support::RecordCapture;

RecordBytes AsRecord(const std::string& bytes) {
  return RecordBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
SerialBytes AsSerial(const std::string& bytes) {
  return SerialBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class TerminalTest : public ::testing::Test {
 protected:
  // A field with a window; mode 3 input unless flags say otherwise.
  Field& MakeField(int id, std::uint8_t flags = 0x03, bool serial = false, int page = 0) {
    Field& f = testing_support::AddField(screen.pages.At(page)->Fields(), id, id / 10, id % 10, 2);
    f.flags = flags;
    f.serial = serial ? 1 : 0;
    f.window = 5000 + static_cast<std::uintptr_t>(id);
    return f;
  }

  // Fields 1 input, 2 display, 3 serial input, 4 input, 6 input, 8 system line.
  void Navigable() {
    MakeField(1);
    MakeField(2, 0x41);
    MakeField(3, 0x03, true);
    MakeField(4);
    MakeField(6, 0x07);
    MakeField(8, 0x02);
  }

  int Next(int from) {
    screen.focusField = from;
    terminal.Navigate(Direction::Next);
    return screen.focusField;
  }
  int Previous(int from) {
    screen.focusField = from;
    terminal.Navigate(Direction::Previous);
    return screen.focusField;
  }

  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  RecordCapture sent;
  Terminal terminal{settings, effects, sent, clock};
  Screen& screen = terminal.GetScreen();
};

TEST_F(TerminalTest, InitialState) {
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(screen.columns, 26);
  EXPECT_EQ(screen.rows, 10);
  EXPECT_EQ(screen.promptLength, -1);
  EXPECT_TRUE(effects.calls.empty());
}

TEST(TerminalColoursTest, PagesTakeTheCustomBackground) {
  Settings settings;
  settings.ApplySettingsText("CustomColorMode=true\r\nBackGroundColor=102030\r\n");
  ASSERT_TRUE(settings.CustomColours());
  EffectsRecorder effects;
  RecordCapture sent;
  Terminal terminal(settings, effects, sent);
  EXPECT_EQ(terminal.GetScreen().pages.At(7)->background, settings.BackgroundColour());
}

TEST_F(TerminalTest, FirstInputFieldSkipsSerialAndOtherModes) {
  EXPECT_EQ(screen.FirstInputField(), -1);
  MakeField(1, 0x41);
  MakeField(2, 0x03, true);
  MakeField(5, 0x02);
  EXPECT_EQ(screen.FirstInputField(), -1);
  MakeField(7);
  MakeField(9);
  EXPECT_EQ(screen.FirstInputField(), 7);
  screen.currentPage = 1;
  EXPECT_EQ(screen.FirstInputField(), -1);
  screen.currentPage = 99;
  EXPECT_EQ(screen.FirstInputField(), -1);
}

TEST_F(TerminalTest, FocusNextMovesAmongInputFieldsAndWraps) {
  Navigable();
  EXPECT_EQ(Next(1), 4);  // display 2 and serial 3 skipped
  EXPECT_EQ(Next(4), 6);
  EXPECT_EQ(Next(6), 1);  // wraps
  EXPECT_EQ(Next(3), 4);  // from a serial field
  EXPECT_EQ(Next(5), 1);  // 5 absent: searches after 6, then wraps
  EXPECT_EQ(Next(9), 1);  // beyond the last: no position, the first input field
  EXPECT_EQ(Next(-1), 4);  // the first entry is the position itself, so 1 is passed over
}

TEST_F(TerminalTest, FocusPreviousMovesBackAndWraps) {
  Navigable();
  EXPECT_EQ(Previous(6), 4);
  EXPECT_EQ(Previous(4), 1);
  EXPECT_EQ(Previous(1), 6);  // wraps to the last
  EXPECT_EQ(Previous(5), 4);  // position 6, nearest before it
  EXPECT_EQ(Previous(9), 6);
  EXPECT_EQ(Previous(-1), 6);
}

TEST_F(TerminalTest, NavigationWithoutInputFieldsFocusesThePage) {
  MakeField(1, 0x41);
  MakeField(2, 0x03, true);
  EXPECT_EQ(Next(1), -1);
  EXPECT_EQ(Previous(2), -1);
  EXPECT_EQ(effects.Joined(), "HideLock | PageFocus 0 | HideLock | PageFocus 0");
}

TEST_F(TerminalTest, NavigationPlacesTheFocusOnTheChosenControl) {
  Navigable();
  screen.focusField = 4;
  terminal.Navigate(Direction::Next);
  terminal.Navigate(Direction::Previous);
  terminal.Navigate(Direction::Refocus);
  EXPECT_EQ(effects.Joined(), "HideLock | Focus 0:6 | HideLock | Focus 0:4 | HideLock | Focus 0:4");
}

TEST_F(TerminalTest, PlacingTheFocusNeedsAWindowAndAPage) {
  Field& f = MakeField(3);
  f.window = 0;
  screen.focusField = 3;
  terminal.Navigate(Direction::Refocus);
  screen.focusField = 12;  // no such field
  terminal.Navigate(Direction::Refocus);
  screen.currentPage = 16;  // no such page
  screen.focusField = -1;
  terminal.Navigate(Direction::Refocus);
  EXPECT_EQ(effects.Joined(), "HideLock | HideLock | HideLock");
}

TEST_F(TerminalTest, KeyWhileLockedIsDropped) {
  MakeField(3).modified = 1;
  EXPECT_FALSE(terminal.KeyPressed(3, FunctionKey::Enter));
  EXPECT_FALSE(terminal.FieldChanged(3));
  EXPECT_TRUE(sent.records.empty());
  EXPECT_TRUE(effects.calls.empty());
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(screen.pages.At(0)->Fields().Find(3)->modified, 1);
}

TEST_F(TerminalTest, KeyWhenReadySendsOneResponseAndLocks) {
  MakeField(3).SetText(u"ab");
  screen.pages.At(0)->Fields().Find(3)->modified = 1;
  screen.keyboard = Keyboard::ResetFocus;  // ready too
  EXPECT_TRUE(terminal.KeyPressed(3, FunctionKeyFromCode(7)));
  EXPECT_FALSE(terminal.KeyPressed(3, FunctionKeyFromCode(1)));  // a second key before the host answers
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "RF73=32ab");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(effects.Joined(), "DisableInput | ShowLock H");
}

TEST_F(TerminalTest, FieldChangedWhenReadySendsTheFieldResponse) {
  MakeField(2).SetText(u"z");
  screen.pages.At(0)->Fields().Find(2)->modified = 1;
  screen.keyboard = Keyboard::Ready;
  EXPECT_TRUE(terminal.FieldChanged(2));
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R%2=21z"}));
  EXPECT_EQ(screen.focusField, 2);
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_FALSE(terminal.FieldChanged(2));
  EXPECT_EQ(sent.records.size(), 1u);
}

TEST_F(TerminalTest, AHostDialogTurnsInputOnAndTheFocusGoesToTheGivenFieldAfterwards) {
  screen.currentPage = 2;
  MakeField(5, 0x03, false, 2);
  screen.focusField = 5;
  terminal.HostDialogOpening();
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  EXPECT_EQ(effects.Joined(), "EnableInput 2 | HideLock | Focus 2:5");
  effects.Clear();
  screen.currentPage = 0;
  MakeField(4);
  terminal.HostMessageClosed(4);
  EXPECT_EQ(screen.focusField, 4);
  terminal.HostMessageClosed(-1);
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(effects.Joined(), "HideLock | Focus 0:4 | HideLock | PageFocus 0");
}

TEST_F(TerminalTest, PromptAnswerGoesOutOnlyOnOk) {
  screen.promptLength = 3;
  EXPECT_TRUE(terminal.PromptExpected());
  screen.SetPromptAnswer(u"abcdef");
  terminal.PromptClosed(false);
  EXPECT_TRUE(sent.records.empty());
  screen.SetPromptAnswer(u"xy");
  terminal.PromptClosed(true);
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R?2xy"}));
  EXPECT_EQ(effects.Joined(), "DisableInput | DisableInput");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
}

TEST_F(TerminalTest, MessageTextSkipsLeadingBlanksOnly) {
  screen.messageText = u"   Pick  item ";
  EXPECT_EQ(screen.MessageShown(), u"Pick  item ");
  screen.messageText = u"    ";
  EXPECT_EQ(screen.MessageShown(), u"");
  screen.messageText = u"\tTab";
  EXPECT_EQ(screen.MessageShown(), u"\tTab");
}

TEST_F(TerminalTest, KeyLabelsForCodesZeroTo36) {
  EXPECT_EQ(screen.KeyLabel(3), nullptr);
  EXPECT_TRUE(screen.SetKeyLabel(0, u"ENTER"));
  EXPECT_FALSE(screen.SetKeyLabel(37, u"X"));
  EXPECT_FALSE(screen.SetKeyLabel(-1, u"X"));
  EXPECT_EQ(screen.KeyLabel(37), nullptr);
  EXPECT_EQ(screen.KeyLabel(-1), nullptr);
}

TEST_F(TerminalTest, ResetClearsTheScreenButKeepsLabelsKeyboardAndTerminal) {
  MakeField(1);
  MakeField(3, 0x03, false, 5);
  screen.SetKeyLabel(2, u"BACK");
  settings.SetTerminalId(9);
  terminal.Restart();
  screen.keyboard = Keyboard::Ready;
  screen.focusField = 3;
  screen.currentPage = 5;
  screen.shownPage = 5;
  screen.pendingDialog = PendingDialog::Prompt;
  clock.second = 11;
  effects.Clear();

  terminal.ReceiveRecord(AsRecord("I\xFF\xEF"));
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(screen.currentPage, 0);
  EXPECT_EQ(screen.shownPage, 0);
  EXPECT_EQ(screen.pendingDialog, PendingDialog::None);
  EXPECT_TRUE(screen.pages.At(0)->Fields().Empty());
  EXPECT_TRUE(screen.pages.At(5)->Fields().Empty());
  EXPECT_EQ(terminal.SessionStamp(), 11);
  // The keyboard state survives: not locked, so the lock goes after the record.
  EXPECT_EQ(effects.Joined(), "HideLock | Discard 0:5001 | Discard 5:5003 | CancelDialog | HideLock");
  ASSERT_NE(screen.KeyLabel(2), nullptr);
  EXPECT_EQ(*screen.KeyLabel(2), u"BACK");
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  EXPECT_EQ(terminal.TerminalId(), 9);
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "");
  EXPECT_EQ(sent.records[0].terminalId, 0);
}

TEST_F(TerminalTest, TheLockFollowsTheKeyboardAfterEachRecord) {
  terminal.ReceiveRecord(AsRecord("Q\xFF\xEF"));
  EXPECT_EQ(effects.Joined(), "DisableInput | ShowLock H");
  effects.Clear();
  terminal.ReceiveRecord(AsRecord("Ho5\xFF\xEF"));  // unlocks
  EXPECT_EQ(effects.calls.back(), "HideLock");
  terminal.ConnectionStarting();
  EXPECT_EQ(effects.calls.back(), "ShowLock B");
}

TEST_F(TerminalTest, CurrentFieldIsTheFocusFieldOnTheCurrentPage) {
  Field& f = MakeField(4);
  EXPECT_EQ(screen.FocusedField(), nullptr);
  screen.focusField = 4;
  EXPECT_EQ(screen.FocusedField(), &f);
  screen.currentPage = 1;
  EXPECT_EQ(screen.FocusedField(), nullptr);
  EXPECT_EQ(screen.CurrentPage(), screen.pages.At(1));
  screen.currentPage = 200;
  EXPECT_EQ(screen.CurrentPage(), nullptr);
  EXPECT_EQ(screen.FocusedField(), nullptr);
}

TEST_F(TerminalTest, SerialCommandModeSendsToTheZeroByteInPiecesEvenWhileLocked) {
  settings.SetSerialCommandMode(true);
  std::string data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>('A' + i % 26));
  terminal.SerialReceived(AsSerial(data + std::string("\0tail", 5)));
  ASSERT_EQ(sent.records.size(), 2u);
  EXPECT_EQ(sent.records[0].data, "R<1" + std::string(1, static_cast<char>(207 + 48)) + data.substr(0, 207));
  EXPECT_EQ(sent.records[1].data, "R<1" + std::string(1, static_cast<char>(93 + 48)) + data.substr(207));
}

TEST_F(TerminalTest, SerialFieldModeTypesDecodedCharactersIntoTheField) {
  MakeField(3, 0x03, true).SetMaxLength(10);
  screen.keyboard = Keyboard::Ready;
  terminal.SerialReceived(AsSerial("\xE9\x80" "A"));
  EXPECT_EQ(screen.CurrentField(3)->Text(), u"\u00E9\u20ACA");
  EXPECT_EQ(screen.CurrentField(3)->modified, 1);
  EXPECT_EQ(effects.Count("Edited 3"), 4);  // emptied, then three characters
  // A carriage return acts as Enter on the field: the key goes out and the keyboard locks.
  terminal.SerialReceived(AsSerial("9\r7"));
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"RF03=319"}));
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  // No page, no delivery.
  screen.currentPage = 20;
  screen.keyboard = Keyboard::Ready;
  terminal.SerialReceived(AsSerial("X"));
  EXPECT_EQ(sent.records.size(), 1u);
}

// Emptying is not a change: a numeric field that refuses the scan stays unmodified, so the delivery
// stops there instead of moving the rest into the next serial field.
TEST_F(TerminalTest, SerialFieldRefusingEverythingIsEmptiedButNotModified) {
  Field& numeric = MakeField(3, 0x03 | kFlagNumeric, true);
  numeric.SetText(u"12");
  MakeField(4, 0x03, true);
  screen.keyboard = Keyboard::Ready;
  terminal.SerialReceived(AsSerial("AB"));
  EXPECT_EQ(numeric.Text(), u"");
  EXPECT_EQ(numeric.modified, 0);
  EXPECT_EQ(screen.CurrentField(4)->Text(), u"");
}

}  // namespace
}  // namespace vantor
