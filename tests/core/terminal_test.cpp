// Tests of the terminal and its screen: focus navigation, the operator's requests, the host dialogs,
// serial data in command mode, the screen's own queries.
#include "session/terminal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects_recorder.h"
#include "field_helpers.h"
#include "screen_builder.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using host_records::ScreenBuilder;
using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using testing_support::RecordCapture;

SerialBytes AsSerial(const std::string& bytes) {
  return SerialBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// A field of a screen on its own (no terminal); mode 3 input unless flags say otherwise.
Field& MakeField(Screen& screen, int id, std::uint8_t flags = kModeInput, bool serial = false, int page = 0) {
  Field& f = testing_support::AddField(screen.pages.At(page)->Fields(), id, id / 10, id % 10, 2);
  f.format.flags = flags;
  f.format.serialFlags = serial ? 1 : 0;
  return f;
}

TEST(ScreenTest, AnswersItsQueries) {
  Screen screen(kDefaultPageBackground);
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
  Field& f = MakeField(screen, 4);
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

TEST(ScreenTest, FirstInputFieldSkipsSerialAndOtherModes) {
  Screen screen(kDefaultPageBackground);
  EXPECT_EQ(screen.FirstInputField(), -1);
  MakeField(screen, 1, 0x41);
  MakeField(screen, 2, kModeInput, true);
  MakeField(screen, 5, kModeSystem);
  EXPECT_EQ(screen.FirstInputField(), -1);
  MakeField(screen, 7);
  MakeField(screen, 9);
  EXPECT_EQ(screen.FirstInputField(), 7);
  screen.currentPage = 1;
  EXPECT_EQ(screen.FirstInputField(), -1);
  screen.currentPage = 99;
  EXPECT_EQ(screen.FirstInputField(), -1);
}

class TerminalTest : public ::testing::Test {
 protected:
  void Receive(const ScreenBuilder& builder) {
    const std::string record = builder.Record();
    terminal.ReceiveRecord(RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
  }

  // Fields 1 input, 2 display, 3 serial input, 4 input, 6 input (auto-send), 8 system line, each with
  // a window.
  void Navigable() {
    Receive(ScreenBuilder()
                .Define(1, 0, 1, 0x03, '@', 2)
                .Define(2, 0, 2, 0x41, '@', 2)
                .Define(3, 0, 3, 0x03, '@', 2)
                .SerialFlags(3, '1')
                .Define(4, 0, 4, 0x03, '@', 2)
                .Define(6, 0, 6, 0x07, '@', 2)
                .Define(8, 0, 8, 0x02, '@', 2));
    effects.Clear();
  }

  int Move(int from, Direction direction) {
    terminal.FieldFocused(from);
    terminal.Navigate(direction);
    return screen.focusField;
  }

  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  RecordCapture sent;
  Terminal terminal{settings, effects, sent, clock};
  const Screen& screen = terminal.GetScreen();
};

TEST_F(TerminalTest, StartsLockedAndDropsTheOperatorsKeysUntilInputIsOn) {
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(screen.columns, 26);
  EXPECT_EQ(screen.rows, 10);
  EXPECT_EQ(screen.promptLength, -1);
  EXPECT_TRUE(effects.calls.empty());
  // The front end learns whether the operator's key or change was taken.
  EXPECT_FALSE(terminal.KeyPressed(-1, FunctionKey::Enter));
  EXPECT_FALSE(terminal.FieldChanged(-1));
  EXPECT_FALSE(terminal.EnterPressed(-1));
  EXPECT_TRUE(sent.records.empty());
  terminal.HostDialogOpening();
  EXPECT_TRUE(terminal.FieldChanged(-1));
  terminal.HostDialogOpening();
  EXPECT_TRUE(terminal.KeyPressed(-1, FunctionKey::Enter));
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R%/", "RF0/"}));
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
  // Field 3 has no control (mode 0), so it has no window.
  Receive(ScreenBuilder()
              .Define(1, 0, 0, 0x41, '@', 2)
              .Define(2, 1, 0, 0x03, '@', 2)
              .SerialFlags(2, '1')
              .Define(3, 2, 0, 0x00, '@', 2));
  effects.Clear();
  EXPECT_EQ(Move(1, Direction::Next), -1);
  EXPECT_EQ(Move(2, Direction::Previous), -1);
  // Placing the focus needs a window, a field and a page.
  Move(3, Direction::Refocus);
  Move(12, Direction::Refocus);
  EXPECT_EQ(effects.Joined(), "HideLock | PageFocus 0 | HideLock | PageFocus 0 | HideLock | HideLock");
  Receive(ScreenBuilder().SelectPage(16));
  effects.Clear();
  Move(-1, Direction::Refocus);
  EXPECT_EQ(effects.Joined(), "HideLock");
}

TEST_F(TerminalTest, AHostDialogTurnsInputOnAndTheFocusGoesToTheGivenFieldAfterwards) {
  Receive(ScreenBuilder().SelectPage(2).Input(5, 0, 0, 2).Input(4, 1, 0, 2).ShowPage(2).Focus(5));
  effects.Clear();
  terminal.HostDialogOpening();
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  EXPECT_EQ(effects.Joined(), "EnableInput 2 | HideLock | Focus 2:5");
  effects.Clear();
  terminal.HostMessageClosed(4);
  EXPECT_EQ(screen.focusField, 4);
  terminal.HostMessageClosed(-1);
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(effects.Joined(), "HideLock | Focus 2:4 | HideLock | PageFocus 2");
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
