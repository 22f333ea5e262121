// Field definition and content commands: f, i, +, b, w, u, c, C, e, E, k, y.
#include <string>

#include "interpreter_fixture.h"

namespace vantor {
namespace {

using testing_support::ScreenBuilder;
namespace option = testing_support::option;

using FieldCommands = InterpreterTest;

TEST_F(FieldCommands, FixedTextFieldCreatesADisplayFieldWithItsText) {
  Run(ScreenBuilder().Fixed(5, 2, 3, "abcd"));
  Field* f = FieldOf(5);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->row, 2);
  EXPECT_EQ(f->column, 3);
  EXPECT_EQ(f->width, 4);
  EXPECT_EQ(f->lastColumn, 6);
  EXPECT_EQ(f->MaxLength(), 4);
  EXPECT_EQ(f->Mode(), kModeDisplay);
  EXPECT_EQ(f->flags, 'A');
  EXPECT_EQ(f->attributes, '@');
  EXPECT_EQ(f->Text(), u"abcd");
  EXPECT_EQ(f->type, kTypeText);
  EXPECT_EQ(effects.calls[0], "Refresh 0");
  EXPECT_NE(f->window, 0u);  // the refresh made its window
}

TEST_F(FieldCommands, CommandsThatChangeALookMarkTheFieldForANewWindow) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).Text(1, "ab").Fixed(2, 1, 0, "cd"));
  screen.shownPage = 5;  // the refresh goes elsewhere, so the marks stay visible
  Run(ScreenBuilder().Text(1, "x").Attributes(2, 'A', '@'));
  EXPECT_EQ(FieldOf(1)->recreate, 1);
  EXPECT_EQ(FieldOf(2)->recreate, 1);
  for (Field* f = FieldOf(1); f; f = f->NextById()) f->recreate = 0;
  Run(ScreenBuilder().Text(1, "ab"));
  FieldOf(1)->recreate = 0;
  Run(ScreenBuilder().ClearField(1));
  EXPECT_EQ(FieldOf(1)->recreate, 0);  // c leaves the window as it is
  FieldOf(1)->SetText(u"ab");
  Run(ScreenBuilder().ClearInputFields());
  EXPECT_EQ(TextOf(1), u"");
  EXPECT_EQ(FieldOf(1)->recreate, 0);  // so does C
  Run(ScreenBuilder().CopyText(2, 1));
  EXPECT_EQ(FieldOf(1)->recreate, 1);  // k does not
}

TEST_F(FieldCommands, FixedTextReplacesEverythingOfTheOldField) {
  Setup(ScreenBuilder().Input(5, 0, 0, 8).Options(5, {option::Type('C'), option::Centred()})
            .Prefix(5, 1, "PX").SerialFlags(5, '1').Text(5, "old"));
  Field* old = FieldOf(5);
  ASSERT_NE(old, nullptr);
  old->modified = 1;
  const std::uintptr_t oldWindow = old->window;
  Run(ScreenBuilder().Fixed(5, 1, 1, "new"));
  Field* f = FieldOf(5);
  EXPECT_EQ(f->Text(), u"new");
  EXPECT_EQ(f->type, kTypeText);
  EXPECT_EQ(f->centred, 0);
  EXPECT_EQ(f->serial, 0);
  EXPECT_EQ(f->hasPrefix, 0);
  EXPECT_EQ(f->modified, 0);
  EXPECT_EQ(effects.calls[0], "Discard 0:" + std::to_string(oldWindow));
}

TEST_F(FieldCommands, DefineFieldTakesFlagsAttributesAndAnEmptyText) {
  Run(ScreenBuilder().Define(3, 4, 5, 'C' | 0x20, '@' | 0x04 | 0x30, 12));
  Field* f = FieldOf(3);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Mode(), kModeInput);
  EXPECT_EQ(f->flags, 'C' | 0x20);
  EXPECT_EQ(f->readOnly, 1);
  EXPECT_EQ(f->Video(), kVideoReverse);
  EXPECT_EQ(f->MaxLength(), 12);
  EXPECT_TRUE(f->HasText());
  EXPECT_TRUE(f->Text().empty());
  Run(ScreenBuilder().Define(4, 0, 0, 'C', '@', 2));
  EXPECT_EQ(FieldOf(4)->readOnly, 0);
}

TEST_F(FieldCommands, DefineFieldThrowsTheOperatorsTextAway) {
  Setup(ScreenBuilder().Input(3, 0, 0, 10).Text(3, "typed"));
  FieldOf(3)->modified = 1;
  Run(ScreenBuilder().Input(3, 0, 0, 10));
  EXPECT_EQ(TextOf(3), u"");
  EXPECT_EQ(FieldOf(3)->modified, 0);
}

TEST_F(FieldCommands, NegativeLengthsMakeEmptyFieldsNotHugeOnes) {
  Run("f100/ab");  // length byte '/' reads -1
  ASSERT_NE(FieldOf(1), nullptr);
  EXPECT_EQ(FieldOf(1)->width, 0);
  EXPECT_EQ(FieldOf(1)->MaxLength(), 0);
  EXPECT_EQ(TextOf(1), u"");
}

TEST_F(FieldCommands, FieldCommandsOnAPageThatDoesNotExistConsumeTheirText) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().SelectPage(20).Fixed(1, 0, 0, "lll").Define(2, 0, 0, 'l', 'l', 3).Text(1, "ll"));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);  // no 'l' of a text was run as a command
  for (int p = 0; p < 16; ++p) EXPECT_TRUE(screen.pages.At(p)->Fields().Empty());
}

TEST_F(FieldCommands, SetAttributesReplacesBothBytesOnlyWhenTheFieldExists) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4));
  Run(ScreenBuilder().Attributes(1, 'A', '@' | 0x04));
  EXPECT_EQ(FieldOf(1)->Mode(), kModeDisplay);
  EXPECT_EQ(FieldOf(1)->readOnly, 1);
  EXPECT_EQ(effects.calls[0], "Refresh 0");
  effects.Clear();
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().Attributes(9, 'l', 'l'));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  EXPECT_EQ(effects.Count("Refresh"), 0);
}

TEST_F(FieldCommands, SerialFlagsOnADisplayFieldSendItsText) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "\xE9t\xE9").Fixed(2, 1, 0, "").Input(3, 2, 0, 5));
  Run(ScreenBuilder().SerialFlags(1, '1').SerialFlags(2, '1').SerialFlags(3, '1'));
  EXPECT_EQ(effects.Count("Serial"), 1);
  EXPECT_EQ(effects.calls[0], "Serial \\xE9t\\xE9");
  EXPECT_EQ(FieldOf(1)->serial, 1);
  EXPECT_EQ(FieldOf(1)->serialFlags, '1');
  // An input field that becomes serial is skipped by the focus.
  EXPECT_EQ(FieldOf(3)->serial, 1);
  EXPECT_EQ(screen.FirstInputField(), -1);
  Run(ScreenBuilder().SerialFlags(3, '0'));
  EXPECT_EQ(FieldOf(3)->previousSerialFlags, '1');
  EXPECT_EQ(FieldOf(3)->serial, 0);
  EXPECT_EQ(screen.FirstInputField(), 3);
}

TEST_F(FieldCommands, SerialDisplayTextIsAnsiEvenWithUtf8Fields) {
  settings.SetHostTextIsUtf8(true);
  Setup(ScreenBuilder().Fixed(1, 0, 0, "\xC3\xA9").SerialFlags(1, '1'));
  Run(ScreenBuilder().Text(1, "\xC3\xA9"));
  EXPECT_EQ(effects.calls[0], "Serial \\xE9");
}

TEST_F(FieldCommands, SetTextCutsToTheMaximumLength) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4));
  const std::uintptr_t before = FieldOf(1)->window;
  Run(ScreenBuilder().Text(1, "abcdefgh").Focus(1));
  EXPECT_EQ(TextOf(1), u"abcd");
  EXPECT_EQ(screen.focusField, 1);  // the whole payload was consumed
  EXPECT_NE(FieldOf(1)->window, before);  // made anew by the refresh
}

TEST_F(FieldCommands, SetTextWithLengthZeroEmptiesAndConsumesThreeBytes) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).Text(1, "ab"));
  screen.keyboard = Keyboard::Ready;
  Run("u10l");
  EXPECT_EQ(TextOf(1), u"");
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);  // the 'l' right after was a command
}

TEST_F(FieldCommands, FieldOptionsMakeACentredSelectButtonThenRunTheNextCommand) {
  Setup(ScreenBuilder().Fixed(7, 0, 0, "Pick"));
  Run(ScreenBuilder().Options(7, {option::Type('S'), option::Centred()}).Fixed(8, 1, 0, "next"));
  EXPECT_EQ(FieldOf(7)->type, kTypeSelectButton);
  EXPECT_EQ(FieldOf(7)->centred, 1);
  ASSERT_NE(FieldOf(8), nullptr);
  EXPECT_EQ(TextOf(8), u"next");
}

TEST_F(FieldCommands, FieldOptionTypesSelectionCheckSizeAndRecreate) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).Input(2, 1, 0, 4).Input(3, 2, 0, 4));
  const int windows = effects.windowsCreated;
  Run(ScreenBuilder()
          .Options(1, {option::Type('B'), option::Selected(true), option::CheckSize(3)})
          .Options(2, {option::Type('C'), option::Type('R')})  // the last one wins
          .Options(3, {option::Letter('F'), option::Letter('I'), option::Letter('X'), option::Recreate()}));
  EXPECT_EQ(FieldOf(1)->type, kTypeButton);
  EXPECT_EQ(FieldOf(1)->selected, 1);
  EXPECT_EQ(FieldOf(1)->checkSize, 3);
  EXPECT_EQ(FieldOf(2)->type, kTypeRadioButton);
  EXPECT_EQ(FieldOf(3)->type, kTypeText);
  EXPECT_EQ(effects.windowsCreated, windows + 3);  // each field's window made anew
}

TEST_F(FieldCommands, FieldOptionBadArgumentEndsTheListAndIsReadAsACommand) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4));
  screen.keyboard = Keyboard::Ready;
  // 'l' is no type letter: the list ends and 'l' locks the keyboard; "@M" is then set focus 29.
  Run("w10@Al@M");
  EXPECT_EQ(FieldOf(1)->type, kTypeText);
  EXPECT_EQ(FieldOf(1)->centred, 0);
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
  EXPECT_EQ(screen.focusField, 'M' - 48);
  screen.keyboard = Keyboard::Ready;
  Run("w10@H1@H2l");  // '2' is passed over as an unknown byte, then 'l'
  EXPECT_EQ(FieldOf(1)->selected, 1);
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
}

TEST_F(FieldCommands, FieldOptionMaximumLength) {
  Setup(ScreenBuilder().Input(1, 0, 0, 10).Text(1, "abcdefghij").Input(2, 1, 0, 2));
  Run(ScreenBuilder().Options(2, {option::MaxLength(2000)}));
  EXPECT_EQ(FieldOf(2)->MaxLength(), 2000);
  EXPECT_EQ(FieldOf(2)->width, 2);  // the width stays
  Run(ScreenBuilder().Options(2, {option::MaxLengthDigits("FFFF")}));
  EXPECT_EQ(FieldOf(2)->MaxLength(), 2047);
  Run(ScreenBuilder().Options(2, {option::MaxLengthDigits("0x7d")}));
  EXPECT_EQ(FieldOf(2)->MaxLength(), 0x7D);
  Run(ScreenBuilder().Options(2, {option::MaxLengthDigits("07d0")}));
  EXPECT_EQ(FieldOf(2)->MaxLength(), 2000);
  Run(ScreenBuilder().Options(2, {option::MaxLengthDigits("1zz9")}));
  EXPECT_EQ(FieldOf(2)->MaxLength(), 1);
  Run(ScreenBuilder().Options(1, {option::MaxLength(3)}));
  EXPECT_EQ(TextOf(1), u"abc");
}

TEST_F(FieldCommands, ClearFieldEmptiesWithoutRecreating) {
  Setup(ScreenBuilder().Input(1, 0, 0, 4).Text(1, "ab"));
  Run(ScreenBuilder().ClearField(1));
  EXPECT_EQ(TextOf(1), u"");
  EXPECT_EQ(effects.Count("Discard"), 0);
  EXPECT_EQ(effects.calls[0], "Refresh 0");
}

TEST_F(FieldCommands, ClearInputFieldsLeavesDisplayFieldsAndOtherPagesAlone) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "keep").Input(2, 1, 0, 4).Text(2, "gone").Input(3, 2, 0, 4)
            .Text(3, "ser").SerialFlags(3, '1')
            .SelectPage(1).Input(2, 0, 0, 4).Text(2, "mine").SelectPage(0));
  Run(ScreenBuilder().ClearInputFields());
  EXPECT_EQ(TextOf(1), u"keep");
  EXPECT_EQ(TextOf(2), u"");
  EXPECT_EQ(TextOf(3), u"");  // serial input fields too
  EXPECT_EQ(TextOf(2, 1), u"mine");
  EXPECT_EQ(effects.Count("Discard"), 0);
}

TEST_F(FieldCommands, DeleteAndEraseDiscardTheWindows) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "a").Fixed(2, 1, 0, "b").Fixed(3, 2, 0, "c"));
  const std::uintptr_t w1 = FieldOf(1)->window, w2 = FieldOf(2)->window, w3 = FieldOf(3)->window;
  Run(ScreenBuilder().DeleteField(2).DeleteField(9));
  EXPECT_EQ(FieldOf(2), nullptr);
  EXPECT_EQ(effects.calls[0], "Discard 0:" + std::to_string(w2));
  effects.Clear();
  Run(ScreenBuilder().ErasePage());
  EXPECT_TRUE(screen.pages.At(0)->Fields().Empty());
  EXPECT_EQ(effects.calls[0], "Discard 0:" + std::to_string(w1));
  EXPECT_EQ(effects.calls[1], "Discard 0:" + std::to_string(w3));
  EXPECT_EQ(effects.calls[2], "Refresh 0");
}

TEST_F(FieldCommands, CopyTextCutsToTheSmallerWidth) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "abcdef").Input(2, 1, 0, 4).Input(3, 2, 0, 10).Text(3, "xyz"));
  Run(ScreenBuilder().CopyText(1, 2).CopyText(3, 1).CopyText(9, 1).CopyText(1, 1));
  EXPECT_EQ(TextOf(2), u"abcd");
  EXPECT_EQ(TextOf(1), u"xyz");
}

TEST_F(FieldCommands, CopyTextIntoAFieldWithASmallerCapacityThanWidth) {
  Setup(ScreenBuilder().Fixed(1, 0, 0, "abcdef").Input(2, 1, 0, 6).Options(2, {option::MaxLength(2)}));
  Run(ScreenBuilder().CopyText(1, 2));
  EXPECT_EQ(TextOf(2), u"ab");
}

TEST_F(FieldCommands, PrefixModeReduction) {
  Setup(ScreenBuilder().Input(1, 0, 0, 8).Input(2, 1, 0, 8));
  Run(ScreenBuilder().Prefix(1, 13, "AB").Prefix(2, 20, "C"));
  Field* a = FieldOf(1);
  EXPECT_EQ(a->prefixMode, 1);
  EXPECT_EQ(a->prefixFlag1, 1);
  EXPECT_EQ(a->prefixFlag2, 1);
  EXPECT_EQ(a->prefixFlag3, 0);
  EXPECT_EQ(a->hasPrefix, 1);
  EXPECT_EQ(a->prefix, u"AB");
  EXPECT_EQ(a->prefixLength, 2);
  Field* b = FieldOf(2);
  EXPECT_EQ(b->prefixMode, 0);
  EXPECT_EQ(b->prefixFlag1, 1);
  EXPECT_EQ(b->prefixFlag2, 0);
  EXPECT_EQ(b->prefixFlag3, 1);
  // The first and third flags stay; the second follows each command.
  Run(ScreenBuilder().Prefix(1, 2, "").Prefix(2, 9, "Z"));
  EXPECT_EQ(a->prefixMode, 2);
  EXPECT_EQ(a->prefixFlag1, 1);
  EXPECT_EQ(a->prefixFlag2, 0);
  EXPECT_EQ(a->hasPrefix, 0);
  EXPECT_EQ(b->prefixMode, 1);
  EXPECT_EQ(b->prefixFlag2, 1);
  EXPECT_EQ(b->prefixFlag3, 1);
}

TEST_F(FieldCommands, PrefixOfAMissingFieldPassesItsPayloadOver) {
  screen.keyboard = Keyboard::Ready;
  Run(ScreenBuilder().Prefix(9, 1, "lll"));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
}

TEST_F(FieldCommands, PrefixTakesPartInTheFieldReport) {
  Setup(ScreenBuilder().Input(1, 0, 0, 8).Prefix(1, 2, "]C").Text(1, "]C1234").FocusAndUnlock(1));
  FieldOf(1)->modified = 1;
  Run(ScreenBuilder().SendFields(0));
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "RF01=141234");
}

}  // namespace
}  // namespace vantor
