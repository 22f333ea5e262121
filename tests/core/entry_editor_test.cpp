// Entry field editing rules: filters, replace on first key, length limit, auto-advance, auto-send, keys.
#include <gtest/gtest.h>

#include "field_helpers.h"

#include <string>
#include <vector>

#include "settings/settings.h"
#include "model/entry_editor.h"
#include "model/field.h"
#include "model/field_list.h"

namespace vantor {
namespace {

// Records every effect the editor asks of its window.
class RecordingHost final : public EntryHost {
 public:
  bool focus = true;
  bool hasCurrent = false;
  int currentId = 0;
  std::vector<std::string> events;
  std::u16string forwarded;
  int caretChanges = 0;

  bool OwnsFocus() override { return focus; }
  void Navigate(Direction direction) override {
    events.push_back("nav " + std::to_string(static_cast<int>(direction)));
  }
  void Key(int fieldId, FunctionKey key) override {
    events.push_back("key " + std::to_string(fieldId) + " " + std::to_string(CodeOf(key)));
  }
  void FieldChanged(int fieldId) override { events.push_back("changed " + std::to_string(fieldId)); }
  void FieldFocused(int fieldId) override { events.push_back("focused " + std::to_string(fieldId)); }
  bool CurrentFieldId(int& id) override {
    events.push_back("query");
    id = currentId;
    return hasCurrent;
  }
  void Beep(std::uint32_t type) override { events.push_back("beep " + std::to_string(type)); }
  void CaretChanged() override { ++caretChanges; }
  void Paste() override { events.push_back("paste"); }
  void ForwardChar(char16_t c) override { forwarded.push_back(c); }
};

using Events = std::vector<std::string>;

class EntryEditorTest : public ::testing::Test {
 protected:
  EntryEditorTest() : list_(nullptr), field_(testing_support::AddField(list_, 7, 2, 0, 5)) {
    field_.flags = kModeInput;
    field_.ClearText();
  }

  EntryEditor Editor() { return EntryEditor(field_, settings_, host_); }
  void Focus() {
    Editor().StartEditing();
    host_.events.clear();
  }
  void Type(std::u16string_view text, KeyModifiers mods = {}) {
    for (char16_t c : text) Editor().TypedChar(c, mods);
  }

  Settings settings_;
  RecordingHost host_;
  FieldList list_;
  Field& field_;
};

TEST_F(EntryEditorTest, StartingEditingPutsCaretFirstAndTellsTheSession) {
  field_.SetText(u"ABC");
  field_.caret = 3;
  Editor().StartEditing();
  EXPECT_EQ(field_.caret, 0);
  EXPECT_EQ(field_.hasFocus, 1);
  EXPECT_EQ(field_.replacePending, 1);
  EXPECT_EQ(host_.events, Events{"focused 7"});
  EXPECT_GE(host_.caretChanges, 1);
}

TEST_F(EntryEditorTest, FirstKeyReplacesWhenFieldEditIsOnAndInsertsWhenOff) {
  field_.SetText(u"ABC");
  Focus();
  Type(u"X");
  EXPECT_EQ(field_.Text(), u"X");
  EXPECT_EQ(field_.modified, 1);

  settings_.SetFirstKeyReplaces(false);
  field_.SetText(u"ABC");
  Focus();
  Type(u"X");
  EXPECT_EQ(field_.Text(), u"XABC");
  EXPECT_EQ(field_.caret, 1);
}

TEST_F(EntryEditorTest, NumericFieldRefusesLettersWithABeep) {
  field_.flags |= kFlagNumeric;
  Focus();
  Type(u"A");
  EXPECT_EQ(field_.Text(), u"");
  EXPECT_EQ(field_.modified, 0);
  EXPECT_EQ(host_.events, Events{"beep 0"});
  Type(u"5-$");
  EXPECT_EQ(field_.Text(), u"5-$");
  settings_.SetNumericChars(u"01");
  Type(u"5");
  EXPECT_EQ(field_.Text(), u"5-$");
}

TEST_F(EntryEditorTest, UpperCaseModeRaisesOnlyAsciiLetters) {
  settings_.SetUpperCaseInput(true);
  Focus();
  Type(u"a\u00e4z1");
  EXPECT_EQ(field_.Text(), u"A\u00e4Z1");
}

TEST_F(EntryEditorTest, FullFieldDropsFurtherCharactersSilently) {
  field_.SetMaxLength(3);
  Focus();
  Type(u"12345");
  EXPECT_EQ(field_.Text(), u"123");
  EXPECT_TRUE(host_.events.empty());
}

TEST_F(EntryEditorTest, FillingTheFieldAutoAdvancesOrAutoSends) {
  field_.SetMaxLength(3);
  field_.SetText(u"12");
  settings_.SetFirstKeyReplaces(false);
  Focus();
  Editor().KeyDown(kVkEnd, {});
  field_.attributes |= kAttrAutoAdvance;
  Type(u"3");
  EXPECT_EQ(field_.Text(), u"123");
  EXPECT_EQ(host_.events, Events{"nav 1"});

  field_.SetText(u"12");
  field_.caret = 2;
  field_.flags |= kFlagAutoSend;
  host_.events.clear();
  Type(u"3");
  EXPECT_EQ(host_.events, Events{"changed 7"});
  EXPECT_EQ(field_.sendGuard, 0);
}

TEST_F(EntryEditorTest, FillingInTheMiddleDoesNotAdvance) {
  field_.SetMaxLength(3);
  field_.SetText(u"12");
  field_.attributes |= kAttrAutoAdvance;
  settings_.SetFirstKeyReplaces(false);
  Focus();  // caret 0
  Type(u"0");
  EXPECT_EQ(field_.Text(), u"012");
  EXPECT_TRUE(host_.events.empty());
}

TEST_F(EntryEditorTest, ArrowsReportAModifiedAutoSendFieldInsteadOfMoving) {
  field_.flags |= kFlagAutoSend;
  Focus();
  Editor().KeyDown(kVkUp, {});
  EXPECT_EQ(host_.events, Events{"nav -1"});
  Type(u"a");
  host_.events.clear();
  Editor().KeyDown(kVkUp, {});
  Editor().KeyDown(kVkDown, {});
  EXPECT_EQ(host_.events, (Events{"changed 7", "changed 7"}));
}

TEST_F(EntryEditorTest, SendGuardStopsAReportFromRepeatingItself) {
  field_.flags |= kFlagAutoSend;
  field_.modified = 1;
  field_.sendGuard = 1;
  EXPECT_FALSE(Editor().ReportChange());
  Editor().KeyDown(kVkDown, {});
  EXPECT_EQ(host_.events, Events{"nav 1"});
}

TEST_F(EntryEditorTest, LeavingAModifiedAutoSendFieldReportsIt) {
  field_.flags |= kFlagAutoSend;
  Focus();
  Type(u"9");
  host_.events.clear();
  Editor().EndEditing();
  EXPECT_EQ(host_.events, Events{"changed 7"});
  EXPECT_EQ(field_.hasFocus, 0);
}

TEST_F(EntryEditorTest, ReadOnlyFieldIgnoresTypingButMovesAndReportsKeys) {
  field_.readOnly = 1;
  field_.SetText(u"AB");
  Focus();
  Type(u"X");
  Editor().KeyDown(kVkDelete, {});
  EXPECT_EQ(field_.Text(), u"AB");
  EXPECT_EQ(field_.modified, 0);
  Editor().KeyDown(kVkTab, {});
  Editor().KeyDown(kVkTab, {.shift = true});
  Editor().KeyDown(115, {});  // F4
  EXPECT_EQ(host_.events, (Events{"nav 1", "nav -1", "key 7 4"}));
}

TEST_F(EntryEditorTest, FunctionKeysCarryTheSharedCodes) {
  Focus();
  Editor().KeyDown(114, {.shift = true});  // Shift+F3
  Editor().KeyDown('0', {.ctrl = true});
  Editor().KeyDown(242, {});
  Editor().KeyDown(13, {});  // Enter comes as a character, not from here
  EXPECT_EQ(host_.events, (Events{"key 7 13", "key 7 30", "key 7 27"}));
}

TEST_F(EntryEditorTest, CaretKeysMoveWithinTheText) {
  field_.SetText(u"ABCD");
  Focus();
  Editor().KeyDown(kVkLeft, {});
  EXPECT_EQ(field_.caret, 0);
  Editor().KeyDown(kVkEnd, {});
  EXPECT_EQ(field_.caret, 4);
  EXPECT_EQ(field_.replacePending, 0);
  Editor().KeyDown(kVkRight, {});
  EXPECT_EQ(field_.caret, 4);
  Editor().KeyDown(kVkLeft, {});
  Editor().KeyDown(kVkDelete, {});
  EXPECT_EQ(field_.Text(), u"ABC");
  EXPECT_EQ(field_.modified, 1);
  Editor().KeyDown(kVkHome, {});
  Editor().KeyDown(kVkDelete, {});
  EXPECT_EQ(field_.Text(), u"BC");
  Editor().KeyDown(kVkClear, {});
  EXPECT_EQ(field_.Text(), u"");
  EXPECT_EQ(field_.caret, 0);
}

TEST_F(EntryEditorTest, DeleteAndBackspaceAtTheEdgesStayInBounds) {
  field_.SetText(u"AB");
  Focus();
  Type(u"\b");  // caret 0: nothing to remove
  EXPECT_EQ(field_.Text(), u"AB");
  EXPECT_EQ(field_.modified, 0);
  Editor().KeyDown(kVkEnd, {});
  Editor().KeyDown(kVkDelete, {});
  EXPECT_EQ(field_.Text(), u"AB");
  Type(u"\b");
  EXPECT_EQ(field_.Text(), u"A");
  EXPECT_EQ(field_.caret, 1);
}

TEST_F(EntryEditorTest, CaretBeyondATextTheHostShortenedIsPulledBack) {
  field_.SetText(u"ABCDE");
  settings_.SetFirstKeyReplaces(false);
  Focus();
  Editor().KeyDown(kVkEnd, {});
  field_.SetText(u"AB");  // the host replaced the value
  Editor().KeyDown(kVkDelete, {});
  Type(u"\bX");
  EXPECT_EQ(field_.Text(), u"AX");
  EXPECT_EQ(field_.caret, 2);
}

TEST_F(EntryEditorTest, EnterSendsKeyZeroForTheCurrentFieldOrNavigates) {
  Focus();
  Type(u"\r");
  EXPECT_EQ(host_.events, (Events{"query", "key 7 0"}));
  host_.events.clear();
  host_.hasCurrent = true;
  host_.currentId = 3;
  Type(u"\r");
  EXPECT_EQ(host_.events, (Events{"query", "key 3 0"}));
  host_.events.clear();
  settings_.SetEnterSendsKey(false);
  Type(u"\r");
  EXPECT_EQ(host_.events, (Events{"query", "nav 1"}));
}

TEST_F(EntryEditorTest, ControlCharactersBeepPasteOrAreIgnored) {
  Focus();
  Type(u"\n\x1b\x03\x16");
  EXPECT_EQ(host_.events,
            (Events{"beep " + std::to_string(kBeepSimple), "beep " + std::to_string(kBeepSimple), "paste"}));
  EXPECT_EQ(field_.Text(), u"");
  host_.events.clear();
  EntryEditor pasting = Editor();
  pasting.SetPasting(true);
  pasting.TypedChar(22, {});  // a pasted Ctrl+V never starts a paste inside the paste
  EXPECT_TRUE(host_.events.empty());
  Type(u"\x01");  // other control characters are inserted
  EXPECT_EQ(field_.Text(), u"\x01");
}

TEST_F(EntryEditorTest, TabMovesOrReportsAndTypingWithoutFocusIsForwarded) {
  Focus();
  Type(u"\t");
  Type(u"\t", {.shift = true});
  Type(u"\t", {.ctrl = true});
  EXPECT_EQ(host_.events, (Events{"nav 1", "nav -1"}));
  host_.focus = false;
  Type(u"Q");
  EXPECT_EQ(host_.forwarded, u"Q");
  EXPECT_EQ(field_.Text(), u"");
}

TEST_F(EntryEditorTest, FedCharactersFillAnUnfocusedFieldWithoutAdvancing) {
  field_.SetMaxLength(2);
  field_.attributes |= kAttrAutoAdvance;
  field_.flags |= kFlagAutoSend;
  host_.focus = false;
  Editor().FedChar(u'4');
  Editor().FedChar(u'2');
  EXPECT_EQ(field_.Text(), u"42");
  EXPECT_EQ(field_.modified, 1);
  EXPECT_TRUE(host_.events.empty());
}

TEST_F(EntryEditorTest, FedCarriageReturnIsEnterUnlessTheFieldHasAPrefix) {
  Editor().FedChar(13);
  EXPECT_EQ(host_.events, (Events{"query", "key 7 0"}));
  host_.events.clear();
  field_.hasPrefix = 1;
  Editor().FedChar(13);
  EXPECT_TRUE(host_.events.empty());
  EXPECT_EQ(field_.Text(), u"\r");
}

TEST_F(EntryEditorTest, EmptyingTakesTheTextButIsNoChange) {
  field_.SetText(u"XYZ");
  field_.caret = 2;
  Editor().Empty();
  EXPECT_EQ(field_.Text(), u"");
  EXPECT_EQ(field_.caret, 0);
  EXPECT_EQ(field_.modified, 0);
}

TEST_F(EntryEditorTest, ZeroCapacityFieldTakesNothing) {
  field_.SetMaxLength(0);
  Focus();
  Type(u"A");
  Editor().FedChar(u'B');
  EXPECT_EQ(field_.Text(), u"");
  Editor().FedChar(0);
  EXPECT_EQ(field_.modified, 0);
}

}  // namespace
}  // namespace vantor
