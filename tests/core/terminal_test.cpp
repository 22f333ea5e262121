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

SerialBytes AsSerial(const std::string& bytes) {
  return SerialBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class TerminalTest : public ::testing::Test {
 protected:
  // A field with a window; mode 3 input unless flags say otherwise.
  Field& MakeField(int id, std::uint8_t flags = 0x03, bool serial = false, int page = 0) {
    Field& f = testing_support::AddField(screen.pages.At(page)->Fields(), id, id / 10, id % 10, 2);
    f.format.flags = flags;
    f.format.serialFlags = serial ? 1 : 0;
    f.link.window = 5000 + static_cast<std::uintptr_t>(id);
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

  int Move(int from, Direction direction) {
    screen.focusField = from;
    terminal.Navigate(direction);
    return screen.focusField;
  }

  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  RecordCapture sent;
  Terminal terminal{settings, effects, sent, clock};
  Screen& screen = terminal.GetScreen();
};

TEST_F(TerminalTest, TheScreenStartsLockedAndAnswersItsQueries) {
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(screen.columns, 26);
  EXPECT_EQ(screen.rows, 10);
  EXPECT_EQ(screen.promptLength, -1);
  EXPECT_TRUE(effects.calls.empty());
  // The front end learns whether the operator's key or change was taken.
  EXPECT_FALSE(terminal.KeyPressed(-1, FunctionKey::Enter));
  EXPECT_FALSE(terminal.FieldChanged(-1));
  screen.keyboard = Keyboard::Ready;
  EXPECT_TRUE(terminal.FieldChanged(-1));
  screen.keyboard = Keyboard::Ready;
  EXPECT_TRUE(terminal.KeyPressed(-1, FunctionKey::Enter));
  // The message shown skips leading blanks only.
  screen.messageText = u"   Pick  item ";
  EXPECT_EQ(screen.MessageShown(), u"Pick  item ");
  screen.messageText = u"    ";
  EXPECT_EQ(screen.MessageShown(), u"");
  screen.messageText = u"\tTab";
  EXPECT_EQ(screen.MessageShown(), u"\tTab");
  // Key labels for codes 0 to 36.
  EXPECT_EQ(screen.KeyLabel(3), nullptr);
  EXPECT_TRUE(screen.SetKeyLabel(0, u"ENTER"));
  EXPECT_FALSE(screen.SetKeyLabel(37, u"X"));
  EXPECT_FALSE(screen.SetKeyLabel(-1, u"X"));
  EXPECT_EQ(screen.KeyLabel(37), nullptr);
  // The focused field is the focus field on the current page.
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

TEST_F(TerminalTest, NavigationMovesAmongInputFieldsAndWraps) {
  Navigable();
  const struct {
    int from;
    Direction direction;
    int to;
  } cases[] = {
      {1, Direction::Next, 4},                               // display 2 and serial 3 passed over
      {4, Direction::Next, 6},     {6, Direction::Next, 1},  // wraps
      {3, Direction::Next, 4},                               // from a serial field
      {5, Direction::Next, 1},                               // 5 absent: searches after 6, then wraps
      {9, Direction::Next, 1},                               // beyond the last: no position, the first input field
      {-1, Direction::Next, 4},  // the first entry is the position itself, so 1 is passed over
      {6, Direction::Previous, 4}, {4, Direction::Previous, 1}, {1, Direction::Previous, 6},  // wraps
      {5, Direction::Previous, 4}, {9, Direction::Previous, 6}, {-1, Direction::Previous, 6},
      {4, Direction::Refocus, 4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Move(c.from, c.direction), c.to) << c.from << " " << static_cast<int>(c.direction);
  EXPECT_EQ(effects.calls.back(), "Focus 0:4");
}

TEST_F(TerminalTest, NavigationWithoutInputFieldsFocusesThePageAndNeedsAWindow) {
  MakeField(1, 0x41);
  MakeField(2, 0x03, true);
  EXPECT_EQ(Move(1, Direction::Next), -1);
  EXPECT_EQ(Move(2, Direction::Previous), -1);
  // Placing the focus needs a window, a field and a page.
  MakeField(3).link.window = 0;
  Move(3, Direction::Refocus);
  Move(12, Direction::Refocus);
  screen.currentPage = 16;
  Move(-1, Direction::Refocus);
  EXPECT_EQ(effects.Joined(), "HideLock | PageFocus 0 | HideLock | PageFocus 0 | HideLock | HideLock | HideLock");
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

TEST_F(TerminalTest, SerialCommandModeSendsToTheZeroByteInPiecesEvenWhileLocked) {
  settings.SetSerialCommandMode(true);
  std::string data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>('A' + i % 26));
  terminal.SerialReceived(AsSerial(data + std::string("\0tail", 5)));
  ASSERT_EQ(sent.records.size(), 2u);
  EXPECT_EQ(sent.records[0].data, "R<1" + std::string(1, static_cast<char>(207 + 48)) + data.substr(0, 207));
  EXPECT_EQ(sent.records[1].data, "R<1" + std::string(1, static_cast<char>(93 + 48)) + data.substr(207));
}

}  // namespace
}  // namespace vantor
