// Control rules of the model: which control shows a record, function key codes, the button family's values,
// keys and taps.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "field_helpers.h"
#include "model/button_controller.h"
#include "model/button_rules.h"
#include "model/control_kind.h"
#include "model/function_keys.h"
#include "model/page.h"
#include "platform/codepage.h"
#include "row_tables.h"

namespace vantor {
namespace {

constexpr KeyModifiers kNone{}, kCtrl{true, false, false}, kShift{false, true, false}, kAlt{false, false, true};
constexpr KeyModifiers kCtrlShift{true, true, false};

TEST(ControlKindTest, ModeAndTypeChooseTheKind) {
  testing_support::ForEachRow("control kinds", [](const std::vector<std::string>& w) {
    std::string got;
    for (int type : {-1, 0, 1, 2, 3, 4, 5, 6, 255})
      got += "-EFYBSCR"[static_cast<int>(ControlKindFor(std::stoi(w.at(0)), type))];
    EXPECT_EQ(got, testing_support::Text(w.at(1)));
  });
}

TEST(ControlKindTest, ButtonsAndNonSerialEntriesTakeTheFocus) {
  FieldList list(nullptr);
  Field& field = testing_support::AddField(list, 1, 0, 0, 5);
  testing_support::ForEachRow("focus takers", [&](const std::vector<std::string>& w) {
    field.format.flags = static_cast<std::uint8_t>(std::stoi(w.at(0)));
    field.format.type = static_cast<std::uint8_t>(std::stoi(w.at(1)));
    field.format.serialFlags = static_cast<std::uint8_t>(std::stoi(w.at(2)));
    EXPECT_EQ(TakesFocus(field), w.at(3) == "takes");
  });
}

std::string Answer(KeyAction a) {
  return a.kind == KeyAction::Code ? std::to_string(a.code) : a.kind == KeyAction::Navigate ? "N" : "-";
}

TEST(FunctionKeysTest, CodesByKeyAndModifiers) {
  const unsigned keys[] = {kVkF1, 114, 122, kVkF24, '0', '1', '9', '4', 239, 240, 245, 246, 0, 9, 65, 0xFFFFFFFFu};
  testing_support::ForEachRow("function keys", [&](const std::vector<std::string>& w) {
    const std::string& held = w.at(0);
    const auto has = [&](char c) { return held.find(c) != std::string::npos; };
    const KeyModifiers mods{has('C'), has('S'), has('A')};
    std::string got;
    for (unsigned vk : keys)
      got += (got.empty() ? "" : " ") + Answer(FunctionKeyAction(vk, mods, true, KeyOrigin::Control));
    EXPECT_EQ(got, testing_support::Text(w.at(1)));
  });
  // Enter sends code 0, or with the setting off moves on, in a control only.
  for (const auto& [origin, off] :
       {std::pair{KeyOrigin::Control, "N"}, {KeyOrigin::Page, "-"}, {KeyOrigin::MainWindow, "-"}}) {
    EXPECT_EQ(Answer(FunctionKeyAction(kVkReturn, kNone, true, origin)), "0");
    EXPECT_EQ(Answer(FunctionKeyAction(kVkReturn, kNone, false, origin)), off);
  }
}

// The table "button labels".
TEST(ButtonRulesTest, EachKindShowsItsPartOfTheText) {
  const std::map<std::string, ButtonKind> kinds = {{"push", ButtonKind::Button},
                                                   {"select", ButtonKind::SelectButton},
                                                   {"check", ButtonKind::CheckBox},
                                                   {"radio", ButtonKind::RadioButton}};
  testing_support::ForEachRow("button labels", [&](const std::vector<std::string>& w) {
    const std::string text = testing_support::Text(w.at(1)), label = testing_support::Text(w.at(3));
    EXPECT_EQ(LabelOf(kinds.at(w.at(0)), std::u16string(text.begin(), text.end()), std::stoi(w.at(2))),
              std::u16string(label.begin(), label.end()));
  });
}

Field& AddButton(FieldList& list, int id, int type, std::u16string_view text, int maxLength = 10) {
  Field& f = testing_support::AddField(list, id, id, 0, 10);
  f.format.type = static_cast<std::uint8_t>(type);
  f.format.flags = kModeInput;
  f.SetMaxLength(maxLength);
  f.SetText(text);
  return f;
}

// Records what a button controller tells its window and asks of the terminal, one word each: V<id> a
// value shown, P / R held down / sprung back, K<code> a key, E<id> Enter, C<id> a change, F<id> the
// focus, N<direction> a move.
class ButtonRecorder final : public ButtonWindow, public TerminalRequests {
 public:
  std::string events;

  void Log(const std::string& event) { events += (events.empty() ? "" : " ") + event; }
  void ValueChanged(Field& field) override { Log("V" + std::to_string(field.id)); }
  void ShowPressed(bool pressed) override { Log(pressed ? "P" : "R"); }
  bool KeyPressed(int, FunctionKey key) override {
    Log("K" + std::to_string(CodeOf(key)));
    return true;
  }
  bool EnterPressed(int field) override {
    Log("E" + std::to_string(field));
    return true;
  }
  bool FieldChanged(int field) override {
    Log("C" + std::to_string(field));
    return true;
  }
  void FieldFocused(int field) override { Log("F" + std::to_string(field)); }
  void Navigate(Direction direction) override { Log("N" + std::to_string(static_cast<int>(direction))); }
};

constexpr ButtonKind kKinds[] = {ButtonKind::Button, ButtonKind::SelectButton, ButtonKind::CheckBox,
                                 ButtonKind::RadioButton};
constexpr int kTypes[] = {kTypeButton, kTypeSelectButton, kTypeCheckBox, kTypeRadioButton};

TEST(ButtonControllerTest, KeysActByKindAndMode) {
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
  testing_support::ForEachRow("button keys", [&](const std::vector<std::string>& w) {
    const int kind = std::stoi(w.at(0));
    std::string got;
    for (const Key& k : keys) {
      FieldList list(nullptr);
      Field& field = AddButton(list, 1, kTypes[kind], u" Label");
      field.format.flags = static_cast<std::uint8_t>(w.at(1) == "input" ? kModeInput : kModeDisplay);
      ButtonRecorder recorder;
      ButtonController(field, kKinds[kind], k.enterSends, recorder, recorder).KeyDown(k.vk, k.mods);
      got += (got.empty() ? "" : " ") + (recorder.events.empty() ? "-" : recorder.events);
    }
    EXPECT_EQ(got, testing_support::Text(w.at(2)));
  });
}

TEST(ButtonControllerTest, TapsFocusAndChangesByKind) {
  testing_support::ForEachRow("button taps", [&](const std::vector<std::string>& w) {
    const auto text = [&](std::size_t i) { return DecodeText(testing_support::Text(w.at(i)), CodePage::Utf8); };
    const int kind = std::stoi(w.at(0));
    Page page(0, kDefaultPageBackground);
    Field& field = AddButton(page.Fields(), 1, kTypes[kind], text(2), std::stoi(w.at(3)));
    const int flags = w.at(1) == "display"    ? kModeDisplay
                      : w.at(1) == "autosend" ? kModeInput | kFlagAutoSend
                                              : kModeInput;
    field.format.flags = static_cast<std::uint8_t>(flags);
    AddButton(page.Fields(), 2, kTypeRadioButton, u"XTwo");
    AddButton(page.Fields(), 3, kTypeCheckBox, u"XBox");
    ButtonRecorder recorder;
    ButtonController button(field, kKinds[kind], true, recorder, recorder);
    button.Focused();
    EXPECT_EQ(button.Press(), w.at(4) == "1");
    button.Release({});
    const std::string events = testing_support::Text(w.at(5));
    EXPECT_EQ(recorder.events, events);
    EXPECT_EQ(field.Text(), text(6));
    EXPECT_EQ(field.edit.modified, w.at(7) == "1");
    EXPECT_EQ(IsCheckedText(page.Fields().Find(2)->Text()), events.find("V2") == std::string::npos);
  });
}

}  // namespace
}  // namespace vantor
