// Control rules of the model: which control shows a record, function key codes, the button family's values and keys.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "field_helpers.h"
#include "model/button_rules.h"
#include "model/control_kind.h"
#include "model/function_keys.h"
#include "model/page.h"

namespace vantor {
namespace {

constexpr KeyModifiers kNone{}, kCtrl{true, false, false}, kShift{false, true, false}, kAlt{false, false, true};
constexpr KeyModifiers kCtrlShift{true, true, false}, kCtrlAlt{true, false, true};

TEST(ControlKindTest, ModeAndTypeChooseTheKind) {
  // The kinds for types -1, 0 to 6 and 255, one letter each: - none, E entry, F fixed text, Y system line, B button,
  // S select button, C check box, R radio button.
  for (const auto& [mode, kinds] : {std::pair{-1, "---------"},
                                    {0, "---------"},
                                    {1, "-FB-SCR--"},
                                    {2, "-YY-YYY--"},
                                    {3, "-EB-SCR--"},
                                    {4, "---------"}}) {
    std::string got;
    for (int type : {-1, 0, 1, 2, 3, 4, 5, 6, 255}) got += "-EFYBSCR"[static_cast<int>(ControlKindFor(mode, type))];
    EXPECT_EQ(got, kinds) << mode;
  }
}

TEST(ControlKindTest, ButtonsAndNonSerialEntriesTakeTheFocus) {
  FieldList list(nullptr);
  Field& field = testing_support::AddField(list, 1, 0, 0, 5);
  // A display-mode check box is engraved but still takes the focus.
  for (const auto& [mode, type, serial, takes] : {std::tuple{kModeInput, kTypeText, 0, true},
                                                  {kModeInput, kTypeText, 1, false},
                                                  {kModeDisplay, kTypeText, 0, false},
                                                  {kModeDisplay, kTypeCheckBox, 0, true},
                                                  {kModeSystem, kTypeCheckBox, 0, false}}) {
    field.format.flags = static_cast<std::uint8_t>(mode);
    field.format.type = type;
    field.format.serialFlags = static_cast<std::uint8_t>(serial);
    EXPECT_EQ(TakesFocus(field), takes) << mode << "," << int{type} << "," << serial;
  }
}

std::string Answer(KeyAction a) {
  return a.kind == KeyAction::Code ? std::to_string(a.code) : a.kind == KeyAction::Navigate ? "N" : "-";
}

TEST(FunctionKeysTest, CodesByKeyAndModifiers) {
  const unsigned keys[] = {kVkF1, 114, 122, kVkF24, '0', '1', '9', '4', 239, 240, 245, 246, 0, 9, 65, 0xFFFFFFFFu};
  // The codes of those keys (- nothing): Shift adds 10 and Ctrl 20, Ctrl winning; Alt changes nothing; Ctrl alone
  // with a digit is that function key with Ctrl; keys 240 to 245 give 25 to 30 whatever is held.
  for (const auto& [mods, codes] : {std::pair{kNone, "1 3 11 24 - - - - - 25 30 - - - - -"},
                                    {kShift, "11 13 21 34 - - - - - 25 30 - - - - -"},
                                    {kCtrl, "21 23 31 44 30 21 29 24 - 25 30 - - - - -"},
                                    {kCtrlShift, "21 23 31 44 - - - - - 25 30 - - - - -"},
                                    {kAlt, "1 3 11 24 - - - - - 25 30 - - - - -"},
                                    {kCtrlAlt, "21 23 31 44 - - - - - 25 30 - - - - -"}}) {
    std::string got;
    for (unsigned vk : keys)
      got += (got.empty() ? "" : " ") + Answer(FunctionKeyAction(vk, mods, true, KeyOrigin::Control));
    EXPECT_EQ(got, codes) << mods.ctrl << mods.shift << mods.alt;
  }
  // Enter sends code 0, or with the setting off moves on, in a control only.
  for (const auto& [origin, off] :
       {std::pair{KeyOrigin::Control, "N"}, {KeyOrigin::Page, "-"}, {KeyOrigin::MainWindow, "-"}}) {
    EXPECT_EQ(Answer(FunctionKeyAction(kVkReturn, kNone, true, origin)), "0");
    EXPECT_EQ(Answer(FunctionKeyAction(kVkReturn, kNone, false, origin)), off);
  }
}

TEST(ButtonRulesTest, EachKindShowsItsPartOfTheText) {
  EXPECT_EQ(LabelOf(ButtonKind::Button, u"XSave", 10), u"XSave");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"XYes", 10), u"Yes");
  EXPECT_EQ(LabelOf(ButtonKind::SelectButton, u" Fast", 10), u"Fast");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F\x7FRed", 10), u"Red");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u" Blue and more", 4), u"Blue");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, std::u16string(u" ab\0cd", 6), 10), u"ab");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"", 10), u"");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F", -3), u"");
}

Field& AddButton(FieldList& list, int id, int type, std::u16string_view text, int maxLength = 10) {
  Field& f = testing_support::AddField(list, id, id, 0, 10);
  f.format.type = static_cast<std::uint8_t>(type);
  f.format.flags = kModeInput;
  f.SetMaxLength(maxLength);
  f.SetText(text);
  return f;
}

TEST(ButtonRulesTest, ToggleFlipsTheMarkWhenThereIsRoomAndAutoSendReportsIt) {
  // Only "X" reads as checked; a record without room takes no mark.
  for (const auto& [type, text, maxLength, after] : {std::tuple{kTypeCheckBox, u" Yes", 10, u"XYes"},
                                                     {kTypeCheckBox, u"XYes", 10, u" Yes"},
                                                     {kTypeCheckBox, u"xNo", 10, u"XNo"},
                                                     {kTypeSelectButton, u"", 10, u"X"},
                                                     {kTypeCheckBox, u"", 1, u"X"},
                                                     {kTypeCheckBox, u"", 0, u""}}) {
    FieldList list(nullptr);
    Field& f = AddButton(list, 1, type, text, maxLength);
    EXPECT_EQ(ToggleValue(f), maxLength > 0) << maxLength;
    EXPECT_EQ(f.Text(), after);
    EXPECT_EQ(f.edit.modified, maxLength > 0 ? 1 : 0);
  }
  FieldList list(nullptr);
  Field& box = AddButton(list, 7, kTypeCheckBox, u" Yes");
  EXPECT_TRUE(ChangeNotices(box).empty());
  box.format.flags |= kFlagAutoSend;
  EXPECT_EQ(ChangeNotices(box), (std::vector<Notice>{{Notice::FieldChanged, 7}, {Notice::Key, 0}}));
}

TEST(ButtonRulesTest, SelectingARadioButtonClearsTheOthersOfItsPage) {
  Page page(0, kDefaultPageBackground);
  Field& one = AddButton(page.Fields(), 1, kTypeRadioButton, u" One");
  Field& two = AddButton(page.Fields(), 2, kTypeRadioButton, u"XTwo");
  Field& three = AddButton(page.Fields(), 3, kTypeRadioButton, u" Three");
  Field& box = AddButton(page.Fields(), 4, kTypeCheckBox, u"XBox");  // check boxes are not in the group
  EXPECT_EQ(SelectRadio(three), (std::vector<Field*>{&three, &two}));
  for (const auto& [f, text, modified] :
       {std::tuple{&one, u" One", 0}, {&two, u" Two", 1}, {&three, u"XThree", 1}, {&box, u"XBox", 0}}) {
    EXPECT_EQ(std::make_pair(f->Text(), int{f->edit.modified}), std::make_pair(std::u16string(text), modified));
    f->edit.modified = false;
  }
  EXPECT_TRUE(SelectRadio(three).empty());
  EXPECT_EQ(three.edit.modified, 0);
  FieldList pageless(nullptr);
  Field& oneCell = AddButton(pageless, 1, kTypeRadioButton, u"", 1);
  EXPECT_EQ(SelectRadio(oneCell).size(), 1u);
  EXPECT_EQ(oneCell.Text(), u"X");
}

std::string Answer(ButtonKeyResult r) {
  switch (r.act) {
    case ButtonKeyResult::Toggle: return "T";
    case ButtonKeyResult::Select: return "S";
    case ButtonKeyResult::Navigate: return "N" + std::to_string(r.value);
    case ButtonKeyResult::Key: return "K" + std::to_string(r.value);
    default: return "-";
  }
}

TEST(ButtonRulesTest, KeysActByKindAndMode) {
  struct Key {
    unsigned vk;
    KeyModifiers mods;
    bool enterSends;
  };
  const Key keys[] = {{kVkReturn, kNone, true}, {kVkReturn, kNone, false}, {kVkSpace, kNone, true},
                      {kVkTab, kNone, true},    {kVkTab, kShift, true},    {kVkTab, kCtrlShift, true},
                      {kVkTab, kAlt, true},     {kVkLeft, kNone, true},    {kVkUp, kNone, true},
                      {kVkRight, kNone, true},  {kVkDown, kNone, true},    {kVkF1, kNone, true},
                      {'3', kCtrl, true},       {242, kNone, true},        {'A', kNone, true}};
  // Answers to those keys: T toggle, S select, N move by, K send the code, - nothing. Boxes in display mode take
  // only Enter; push buttons (the same in either mode) ignore the device keys.
  const std::tuple<ButtonKind, bool, std::string> rows[] = {
      {ButtonKind::Button, true, "K0 N1 - N1 N-1 - - N-1 N-1 N1 N1 K1 K23 - -"},
      {ButtonKind::SelectButton, true, "K0 N1 T N1 N-1 - - N-1 N-1 N1 N1 K1 K23 K27 -"},
      {ButtonKind::SelectButton, false, "K0 N1 - N1 N-1 - - N-1 N-1 N1 N1 K1 K23 K27 -"},
      {ButtonKind::CheckBox, true, "K0 N1 T N1 N-1 - - N-1 N-1 N1 N1 K1 K23 K27 -"},
      {ButtonKind::CheckBox, false, "K0 N1 - - - - - - - - - - - - -"},
      {ButtonKind::RadioButton, true, "K0 N1 S N1 N-1 - - N-1 N-1 N1 N1 K1 K23 K27 -"},
      {ButtonKind::RadioButton, false, "K0 N1 - - - - - - - - - - - - -"},
  };
  for (const auto& [kind, input, answers] : rows) {
    std::string got;
    for (const Key& k : keys)
      got += (got.empty() ? "" : " ") + Answer(ButtonKey(kind, input, k.vk, k.mods, k.enterSends));
    EXPECT_EQ(got, answers) << static_cast<int>(kind) << " input " << input;
  }
}

}  // namespace
}  // namespace vantor
