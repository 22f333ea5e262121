// Tests of the session object: focus navigation, placing the focus, the main window's requests, the
// dialog texts, key labels and the I record's reset.
#include "session/csession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "effects_recorder.h"
#include "session/record_dispatch.h"

namespace vantor {
namespace {

using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using testing_support::RecordCapture;

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() { session.SetRecordSender(&sent); }

  // A field with a window; mode 3 input unless flags say otherwise.
  Field& MakeField(int id, std::uint8_t flags = 0x03, bool serial = false, int page = 0) {
    Field& f = session.Pages().At(page)->Fields().Add(id, id / 10, id % 10, 2);
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
    session.SetFocusField(from);
    session.FocusNext();
    return session.FocusField();
  }
  int Previous(int from) {
    session.SetFocusField(from);
    session.FocusPrevious();
    return session.FocusField();
  }

  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  CSession session{settings, effects, clock};
  RecordCapture sent;
};

TEST_F(SessionTest, InitialState) {
  EXPECT_EQ(session.KeyboardState(), kKeyboardLocked);
  EXPECT_EQ(session.FocusField(), -1);
  EXPECT_EQ(session.ScreenCols(), 26);
  EXPECT_EQ(session.ScreenRows(), 10);
  EXPECT_EQ(session.PromptLength(), -1);
  EXPECT_TRUE(effects.calls.empty());
}

TEST(SessionColoursTest, PagesTakeTheCustomBackground) {
  Settings settings;
  settings.ApplySettingsText("CustomColorMode=true\r\nBackGroundColor=102030\r\n");
  ASSERT_TRUE(settings.CustomColours());
  EffectsRecorder effects;
  CSession session(settings, effects);
  EXPECT_EQ(session.Pages().At(7)->background, settings.BackgroundColour());
}

TEST_F(SessionTest, FirstInputFieldSkipsSerialAndOtherModes) {
  EXPECT_EQ(session.FirstInputField(), -1);
  MakeField(1, 0x41);
  MakeField(2, 0x03, true);
  MakeField(5, 0x02);
  EXPECT_EQ(session.FirstInputField(), -1);
  MakeField(7);
  MakeField(9);
  EXPECT_EQ(session.FirstInputField(), 7);
  session.SetCurrentPage(1);
  EXPECT_EQ(session.FirstInputField(), -1);
  session.SetCurrentPage(99);
  EXPECT_EQ(session.FirstInputField(), -1);
}

TEST_F(SessionTest, FocusNextMovesAmongInputFieldsAndWraps) {
  Navigable();
  EXPECT_EQ(Next(1), 4);  // display 2 and serial 3 skipped
  EXPECT_EQ(Next(4), 6);
  EXPECT_EQ(Next(6), 1);  // wraps
  EXPECT_EQ(Next(3), 4);  // from a serial field
  EXPECT_EQ(Next(5), 1);  // 5 absent: searches after 6, then wraps
  EXPECT_EQ(Next(9), 1);  // beyond the last: no position, the first input field
  EXPECT_EQ(Next(-1), 4);  // the first entry is the position itself, so 1 is passed over
}

TEST_F(SessionTest, FocusPreviousMovesBackAndWraps) {
  Navigable();
  EXPECT_EQ(Previous(6), 4);
  EXPECT_EQ(Previous(4), 1);
  EXPECT_EQ(Previous(1), 6);  // wraps to the last
  EXPECT_EQ(Previous(5), 4);  // position 6, nearest before it
  EXPECT_EQ(Previous(9), 6);
  EXPECT_EQ(Previous(-1), 6);
}

TEST_F(SessionTest, NavigationWithoutInputFieldsFocusesThePage) {
  MakeField(1, 0x41);
  MakeField(2, 0x03, true);
  EXPECT_EQ(Next(1), -1);
  EXPECT_EQ(Previous(2), -1);
  EXPECT_EQ(effects.Joined(), "Indicator 1,0 | PageFocus 0 | Indicator 1,0 | PageFocus 0");
}

TEST_F(SessionTest, NavigationPlacesTheFocusOnTheChosenControl) {
  Navigable();
  session.SetFocusField(4);
  session.OnNavigate(1);
  session.OnNavigate(-1);
  session.OnNavigate(0);
  EXPECT_EQ(effects.Joined(), "Indicator 1,0 | Focus 0:6 | Indicator 1,0 | Focus 0:4 | Indicator 1,0 | Focus 0:4");
}

TEST_F(SessionTest, PlaceFocusNeedsAWindowAndAPage) {
  Field& f = MakeField(3);
  f.window = 0;
  session.SetFocusField(3);
  session.PlaceFocus();
  session.SetFocusField(12);  // no such field
  session.PlaceFocus();
  session.SetCurrentPage(16);  // no such page
  session.SetFocusField(-1);
  session.PlaceFocus();
  EXPECT_EQ(effects.Joined(), "Indicator 1,0 | Indicator 1,0 | Indicator 1,0");
  effects.Clear();
  session.SetCurrentPage(0);
  session.FocusCurrentPage();
  EXPECT_EQ(effects.Joined(), "PageFocus 0");
}

TEST_F(SessionTest, KeyWhileLockedIsDropped) {
  MakeField(3).modified = 1;
  EXPECT_FALSE(session.OnKey(3, 0));
  EXPECT_FALSE(session.OnFieldChanged(3));
  EXPECT_FALSE(session.OnToolbarKey(5));
  EXPECT_TRUE(sent.records.empty());
  EXPECT_TRUE(effects.calls.empty());
  EXPECT_EQ(session.FocusField(), -1);
  EXPECT_EQ(session.Pages().At(0)->Fields().Find(3)->modified, 1);
}

TEST_F(SessionTest, KeyWhenReadySendsOneResponseAndLocks) {
  MakeField(3).SetText(u"ab");
  session.Pages().At(0)->Fields().Find(3)->modified = 1;
  session.SetKeyboardState(kKeyboardReady);
  EXPECT_TRUE(session.OnKey(3, 0x70000));  // the code is in the low 16 bits
  EXPECT_FALSE(session.OnKey(3, 1));       // a second key before the host answers
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "RF03=32ab");
  EXPECT_EQ(session.KeyboardState(), kKeyboardLocked);
  EXPECT_EQ(effects.Joined(), "Indicator 1,1");
}

TEST_F(SessionTest, ToolbarKeyGoesOutForTheFocusField) {
  MakeField(6);
  session.SetFocusField(6);
  session.SetKeyboardState(kKeyboardResetFocus);
  EXPECT_TRUE(session.OnToolbarKey(0x10000 + 12));
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"RF<6"}));
}

TEST_F(SessionTest, FieldChangedWhenReadySendsTheFieldResponse) {
  MakeField(2).SetText(u"z");
  session.Pages().At(0)->Fields().Find(2)->modified = 1;
  session.SetKeyboardState(kKeyboardReady);
  EXPECT_TRUE(session.OnFieldChanged(2));
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R%2=21z"}));
  EXPECT_EQ(session.FocusField(), 2);
  EXPECT_EQ(session.KeyboardState(), kKeyboardLocked);
  EXPECT_FALSE(session.OnFieldChanged(2));
  EXPECT_EQ(sent.records.size(), 1u);
}

TEST_F(SessionTest, InputOnUnlocksEnablesTheCurrentPageAndPlacesTheFocus) {
  session.SetCurrentPage(2);
  MakeField(5, 0x03, false, 2);
  session.SetFocusField(5);
  session.OnInputOn();
  EXPECT_EQ(session.KeyboardState(), kKeyboardReady);
  EXPECT_EQ(effects.Joined(), "Enable 2 | Indicator 1,0 | Focus 2:5");
  effects.Clear();
  session.OnInputOff();
  EXPECT_EQ(effects.Joined(), "DisableAll");
  EXPECT_EQ(session.KeyboardStateQuery(), kKeyboardReady);
}

TEST_F(SessionTest, AfterTheHostMessageTheFocusGoesToTheGivenField) {
  MakeField(4);
  session.OnHostMessageClosed(1, 4);
  EXPECT_EQ(session.FocusField(), 4);
  session.OnHostMessageClosed(1, 0xFFFF);  // -1 in 16 bits: the page takes the focus
  EXPECT_EQ(session.FocusField(), -1);
  session.OnHostMessageClosed(0, 4);
  EXPECT_EQ(effects.Joined(), "Indicator 1,0 | Focus 0:4 | Indicator 1,0 | PageFocus 0 | DisableAll");
}

TEST_F(SessionTest, MessageTextSkipsLeadingBlanksOnly) {
  session.SetMessageText(u"   Pick  item ");
  EXPECT_EQ(session.MessageText(), u"Pick  item ");
  session.SetMessageText(u"    ");
  EXPECT_EQ(session.MessageText(), u"");
  session.SetMessageText(u"\tTab");
  EXPECT_EQ(session.MessageText(), u"\tTab");
}

TEST_F(SessionTest, KeyLabelsForCodesZeroTo36) {
  EXPECT_EQ(session.KeyLabel(3), nullptr);
  EXPECT_TRUE(session.SetKeyLabel(0, u"ENTER"));
  EXPECT_FALSE(session.SetKeyLabel(37, u"X"));
  EXPECT_FALSE(session.SetKeyLabel(-1, u"X"));
  EXPECT_EQ(session.KeyLabel(37), nullptr);
  EXPECT_EQ(session.KeyLabel(-1), nullptr);
  session.NotifyKeyLabel(3);
  EXPECT_EQ(effects.Joined(), "KeyLabel 3");
}

TEST_F(SessionTest, ResetClearsTheScreenButKeepsLabelsKeyboardAndTerminal) {
  MakeField(1);
  MakeField(3, 0x03, false, 5);
  session.SetKeyLabel(2, u"BACK");
  session.SetTerminalId(9);
  session.SetKeyboardState(kKeyboardReady);
  session.SetFocusField(3);
  session.SetCurrentPage(5);
  session.SetShownPage(5);
  session.SetPendingDialog(kDialogPrompt);
  session.SetHostDialog(321);
  clock.second = 11;

  session.ResetScreen();
  EXPECT_EQ(session.FocusField(), -1);
  EXPECT_EQ(session.CurrentPage(), 0);
  EXPECT_EQ(session.ShownPage(), 0);
  EXPECT_EQ(session.PendingDialog(), kNoDialog);
  EXPECT_TRUE(session.Pages().At(0)->Fields().Empty());
  EXPECT_TRUE(session.Pages().At(5)->Fields().Empty());
  EXPECT_EQ(session.SessionStamp(), 11);
  EXPECT_EQ(effects.Joined(), "Indicator 0,0 | Discard 0:5001 | Discard 5:5003 | CancelDialog 321");
  ASSERT_NE(session.KeyLabel(2), nullptr);
  EXPECT_EQ(*session.KeyLabel(2), u"BACK");
  EXPECT_EQ(session.KeyboardState(), kKeyboardReady);
  EXPECT_EQ(session.TerminalId(), 9);
}

TEST_F(SessionTest, CancelHostDialogOnlyWhenOneIsOpen) {
  session.CancelHostDialog();
  EXPECT_TRUE(effects.calls.empty());
  session.SetHostDialog(77);
  session.CancelHostDialog();
  session.SetHostDialog(0);
  session.CancelHostDialog();
  EXPECT_EQ(effects.Joined(), "CancelDialog 77");
}

TEST_F(SessionTest, IRecordThroughTheDispatcherResetsAndAnswersWithTheEmptyRecord) {
  MakeField(1);
  session.SetKeyLabel(0, u"ENTER");
  session.SetKeyboardState(kKeyboardReady);
  const std::uint8_t record[] = {'I', 0xFF, 0xEF};
  DispatchRecord(session, RecordBytes(record, sizeof record));
  EXPECT_TRUE(session.Pages().At(0)->Fields().Empty());
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "");
  EXPECT_EQ(sent.records[0].terminalId, 0);
  EXPECT_EQ(effects.calls.front(), "Indicator 0,0");
  EXPECT_EQ(effects.calls.back(), "Indicator 1,0");  // keyboard state survived: not locked
  ASSERT_NE(session.KeyLabel(0), nullptr);
}

TEST_F(SessionTest, CurrentFieldIsTheFocusFieldOnTheCurrentPage) {
  Field& f = MakeField(4);
  EXPECT_EQ(session.CurrentField(), nullptr);
  session.SetFocusField(4);
  EXPECT_EQ(session.CurrentField(), &f);
  session.SetCurrentPage(1);
  EXPECT_EQ(session.CurrentField(), nullptr);
  EXPECT_EQ(session.CurrentPagePtr(), session.Pages().At(1));
  session.SetCurrentPage(200);
  EXPECT_EQ(session.CurrentPagePtr(), nullptr);
  EXPECT_EQ(session.CurrentField(), nullptr);
}

}  // namespace
}  // namespace vantor
