// Page, focus, dialog and device commands, and the requests for responses.
#include <string>

#include "interpreter_fixture.h"

namespace vantor {
namespace {

using testing_support::ScreenBuilder;

using PageCommands = InterpreterTest;

TEST_F(PageCommands, SelectPageAddressesFieldsWithoutRedrawing) {
  Run(ScreenBuilder().SelectPage(2));
  EXPECT_EQ(screen.currentPage, 2);
  EXPECT_EQ(effects.Count("Refresh"), 0);
  EXPECT_EQ(effects.Count("Show"), 0);
}

TEST_F(PageCommands, ShowPageAfterSelectingItFocusesItsFirstInputField) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).SelectPage(1).Fixed(1, 0, 0, "x").Input(4, 1, 0, 4).Input(6, 2, 0, 4));
  Run(ScreenBuilder().SelectPage(1).ShowPage(1));
  EXPECT_EQ(screen.shownPage, 1);
  EXPECT_EQ(screen.focusField, 4);
  EXPECT_EQ(effects.calls[0], "Refresh 1");
  EXPECT_EQ(effects.calls[1], "Show 1");
  EXPECT_EQ(effects.calls.back(), "Focus 1:4");
}

TEST_F(PageCommands, ShowPageAfterSelectingAnotherComputesTheFocusFromTheCurrentPage) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).SelectPage(1).Input(4, 1, 0, 4));
  Run(ScreenBuilder().SelectPage(0).ShowPage(1));
  EXPECT_EQ(screen.shownPage, 1);
  EXPECT_EQ(screen.focusField, 1);  // page 0's first input field
  EXPECT_EQ(effects.calls[1], "Show 1");
  EXPECT_EQ(effects.calls.back(), "Focus 0:1");
}

TEST_F(PageCommands, ShowPageWithoutInputFieldsGivesTheFocusToThePage) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "x").Focus(1));
  Run(ScreenBuilder().ShowPage(0));
  EXPECT_EQ(screen.focusField, -1);
  EXPECT_EQ(effects.calls.back(), "PageFocus 0");
}

TEST_F(PageCommands, SoundBeforeFocusAndUnlockIsTheErrorSoundOnce) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4));
  Run(ScreenBuilder().Sound().FocusAndUnlock(1));
  EXPECT_EQ(effects.calls[0], "Sound 1");
  EXPECT_EQ(effects.Count("Sound"), 1);
  EXPECT_EQ(screen.focusField, 1);  // the 'o' was still run
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
}

TEST_F(PageCommands, SoundBeforeAnotherCommandIsTheNormalSound) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().Sound().Lock());
  EXPECT_EQ(effects.calls[0], "Sound 0");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
}

TEST_F(PageCommands, SoundSetsTheFlagAgainAfterADialog) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4));
  Run(ScreenBuilder().Message("m").Sound().Raw("x").FocusAndUnlock(1));
  EXPECT_EQ(effects.calls[0], "Sound 0");  // from '#'
  EXPECT_EQ(effects.calls[1], "Sound 0");  // from 'o': '#' set the flag again
}

TEST_F(PageCommands, MessageAtFieldTakesTheFieldOrTheFirstInputField) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "x").Input(3, 1, 0, 4).Input(5, 2, 0, 4));
  Run(ScreenBuilder().MessageAt(5, "  Done"));
  EXPECT_EQ(screen.messageFocusField, 5);
  EXPECT_EQ(screen.MessageShown(), u"Done");
  EXPECT_EQ(effects.Count("HostMessage 5"), 1);
  Run(ScreenBuilder().MessageAt(0, "Again"));
  EXPECT_EQ(effects.Count("HostMessage 3"), 1);
}

TEST_F(PageCommands, MessageUsesTheFocusFieldOrTheFirstInputField) {
  Setup(ScreenBuilder().Input(3, 1, 0, 4).Input(5, 2, 0, 4));
  screen.focusField = 5;
  Run(ScreenBuilder().Message("Hi"));
  EXPECT_EQ(effects.Count("HostMessage 5"), 1);
  screen.focusField = -1;
  Run(ScreenBuilder().Message("Hi"));
  EXPECT_EQ(effects.Count("HostMessage 3"), 1);
}

TEST_F(PageCommands, MessageTextIsCutToItsLengthAndEmptyForZero) {
  settings.SetHostTextIsUtf8(true);
  Run(ScreenBuilder().Message("\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(screen.MessageShown(), u"\u00E9t\u00E9");
  Run(ScreenBuilder().Message(""));
  EXPECT_EQ(screen.MessageShown(), u"");
}

TEST_F(PageCommands, PromptLengthBelowMinusOneMeansNoPrompt) {
  Run(std::string("h") + '\x20' + "1?");  // 0x20 - 48 = -16
  EXPECT_EQ(screen.promptLength, -1);
  screen.SetPromptAnswer(u"abc");
  EXPECT_TRUE(screen.promptReply.empty());
}

TEST_F(PageCommands, KeyLabelsAreStoredAndTold) {
  Run(ScreenBuilder().KeyLabel(3, "SAVE").KeyLabel(36, "LAST").KeyLabel(5, ""));
  ASSERT_NE(screen.KeyLabel(3), nullptr);
  EXPECT_EQ(*screen.KeyLabel(3), u"SAVE");
  EXPECT_EQ(*screen.KeyLabel(36), u"LAST");
  ASSERT_NE(screen.KeyLabel(5), nullptr);
  EXPECT_EQ(*screen.KeyLabel(5), u"");
  EXPECT_EQ(effects.Joined(), "KeyLabel 3 SAVE | KeyLabel 36 LAST | KeyLabel 5  | HideLock | PageFocus 0");
}

TEST_F(PageCommands, KeyLabelOfAnUnknownCodeConsumesItsPayloadOnly) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().KeyLabel(40, "lll").KeyLabel(37, "l"));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  EXPECT_EQ(effects.Count("KeyLabel"), 0);
  EXPECT_EQ(screen.KeyLabel(37), nullptr);
}

TEST_F(PageCommands, DeviceControl) {
  Run(ScreenBuilder().ScannerEnable(1).ScannerEnable(0).UserSound(1).UserSound(4).UserSound(5).UserSound(0)
          .DeviceValues(300, 2, 3).Raw("Zq"));
  EXPECT_EQ(effects.Joined(), "Scanner 1 | Scanner 0 | Sound 4 | Sound 7 | HideLock | PageFocus 0");
}

TEST_F(PageCommands, SerialOutputFramesByMode) {
  // The mode rules themselves are the routing's; here the command's payload and the empty case.
  Run(ScreenBuilder().SerialOut(2, "abc").SerialOut(7, "\xFF").SerialOut(2, ""));
  EXPECT_EQ(effects.calls[0], "Serial \\x0Aabc\\x0D");
  EXPECT_EQ(effects.calls[1], "Serial \\xFF");  // no code page conversion
  EXPECT_EQ(effects.Count("Serial"), 2);        // nothing for an empty payload
}

TEST_F(PageCommands, SerialOutputStopsCopyingAtAZeroByte) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().SerialOut(1, std::string("ab\0ll", 5)));
  EXPECT_EQ(effects.calls[0], "Serial ab\\x0D");
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);  // the bytes after the zero were consumed
}

TEST_F(PageCommands, FontStepRelaysOut) {
  Run(ScreenBuilder().FontStep(3));
  EXPECT_EQ(settings.FontStep(), 3);
  EXPECT_EQ(effects.calls[0], "Relayout");
}

TEST_F(PageCommands, StatusRequestSendsTheStatusAndKeepsTheKeyboard) {
  settings.SetScreenSize(80, 24);
  clock.second = 7;
  terminal.Restart();
  terminal.Connected();
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().StatusRequest());
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, std::string("R!\x82" "210X\xDC@7"));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
}

TEST_F(PageCommands, SendFieldsWorksEvenWhileLocked) {
  Setup(ScreenBuilder().Input(3, 0, 0, 4).Text(3, "ab").Focus(3));
  FieldOf(3)->modified = 1;
  screen.keyboard = Keyboard::Locked;
  Run(ScreenBuilder().SendFields(4));
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "RF43=32ab");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(FieldOf(3)->modified, 0);
}

TEST_F(PageCommands, SendFieldsLocksAnUnlockedKeyboard) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().SendFields(0));
  EXPECT_EQ(sent.records.at(0).data, "RF0/");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(effects.Count("EnableInput"), 0);
}

TEST_F(PageCommands, IgnoredCommandsChangeNothing) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).Text(1, "ab"));
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().Ignored('B').Ignored('R').Ignored('m').Ignored('z').Ignored('K').Ignored('X').Ignored('r')
          .Ignored('p', "ab").Ignored('D', "abc").Ignored('$', "x").Ignored('%', "y").Ignored('I', "z")
          .Ignored('j', "q").Ignored('L', "w").Ignored('v', "e").Ignored('M', "r").Ignored('N', "t")
          .Ignored('O', "y").Ignored('P', "xyz").Ignored('Q', "xyz", 'Q'));
  EXPECT_EQ(effects.Joined(), "EnableInput 0 | HideLock | PageFocus 0 | HideLock | PageFocus 0");
  EXPECT_EQ(TextOf(1), u"ab");
  EXPECT_TRUE(sent.records.empty());
}

}  // namespace
}  // namespace vantor
