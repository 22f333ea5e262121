// The button family's operator rules: keys, taps and the reports that follow a change.
#include "model/button_controller.h"

#include <string>
#include <vector>

#include "model/field.h"
#include "model/field_list.h"
#include "model/page.h"

namespace vantor {

namespace {

// What a key going down does on a control of the button family.
struct KeyEffect {
  enum Act { None, Change, Navigate, Key };
  Act act = None;
  int value = 0;  // direction for Navigate, code for Key
};

// The mark in the text's first character, written by the operator.
void SetValue(Field& field, bool checked) {
  std::u16string text = field.Text();
  const char16_t mark = checked ? u'X' : u' ';
  if (text.empty())
    text.assign(1, mark);
  else
    text[0] = mark;
  field.SetText(text);
  field.edit.modified = true;
}

// Check box and select button: false (nothing changed) when the record has no room for the mark.
bool Toggle(Field& field) {
  if (field.MaxLength() < 1) return false;
  SetValue(field, !IsCheckedText(field.Text()));
  return true;
}

// Radio button: checks this one and clears every other checked radio button of its page. The records
// that changed, this one first; none when it was checked already or has no room.
std::vector<Field*> Select(Field& field) {
  std::vector<Field*> changed;
  if (field.MaxLength() < 1 || IsCheckedText(field.Text())) return changed;
  SetValue(field, true);
  changed.push_back(&field);
  if (field.page == nullptr) return changed;
  for (Field* other = field.page->Fields().Head(); other != nullptr; other = other->NextById()) {
    if (other == &field || other->format.type != kTypeRadioButton || !IsCheckedText(other->Text())) continue;
    SetValue(*other, false);
    changed.push_back(other);
  }
  return changed;
}

KeyEffect EffectOf(ButtonKind kind, bool inputMode, unsigned virtualKey, KeyModifiers modifiers, bool enterSendsKey) {
  const bool ctrl = modifiers.ctrl, shift = modifiers.shift, alt = modifiers.alt;
  const KeyEffect enter = enterSendsKey ? KeyEffect{KeyEffect::Key, 0} : KeyEffect{KeyEffect::Navigate, 1};
  const bool box = kind == ButtonKind::CheckBox || kind == ButtonKind::RadioButton;
  // A box in display mode takes Enter only.
  if (box && !inputMode) return virtualKey == kVkReturn ? enter : KeyEffect{};
  switch (virtualKey) {
    case kVkTab:
      if (!ctrl && !alt && !shift) return {KeyEffect::Navigate, 1};
      if (!ctrl && !alt && shift) return {KeyEffect::Navigate, -1};
      return {};
    case kVkSpace:
      switch (kind) {
        case ButtonKind::CheckBox:
        case ButtonKind::RadioButton: return {KeyEffect::Change, 0};
        case ButtonKind::SelectButton: return inputMode ? KeyEffect{KeyEffect::Change, 0} : KeyEffect{};
        case ButtonKind::Button: return {};
      }
      return {};
    case kVkLeft:
    case kVkUp: return {KeyEffect::Navigate, -1};
    case kVkRight:
    case kVkDown: return {KeyEffect::Navigate, 1};
    default: break;
  }
  // Push buttons ignore the device keys.
  if (kind == ButtonKind::Button && virtualKey >= 240 && virtualKey <= 245) return {};
  const KeyAction action = FunctionKeyAction(virtualKey, modifiers, enterSendsKey, KeyOrigin::Control);
  if (action.kind == KeyAction::Code) return {KeyEffect::Key, action.code};
  if (action.kind == KeyAction::Navigate) return {KeyEffect::Navigate, 1};
  return {};
}

}  // namespace

void ButtonController::Focused() {
  if (kind_ != ButtonKind::SelectButton) terminal_.FieldFocused(field_.id);
}

void ButtonController::KeyDown(unsigned virtualKey, KeyModifiers modifiers) {
  const KeyEffect effect = EffectOf(kind_, field_.Mode() == kModeInput, virtualKey, modifiers, enterSendsKey_);
  switch (effect.act) {
    case KeyEffect::None: break;
    case KeyEffect::Change: Change(); break;
    case KeyEffect::Navigate: terminal_.Navigate(static_cast<Direction>(effect.value)); break;
    case KeyEffect::Key: terminal_.KeyPressed(field_.id, FunctionKeyFromCode(effect.value)); break;
  }
}

bool ButtonController::Press() {
  if (field_.Mode() != kModeInput) return false;
  if (kind_ != ButtonKind::Button) return Change();
  field_.edit.modified = true;
  window_.ShowPressed(true);
  return true;
}

void ButtonController::Release(KeyModifiers modifiers) {
  if (kind_ != ButtonKind::Button || field_.Mode() != kModeInput) return;
  window_.ShowPressed(false);
  KeyDown(kVkReturn, modifiers);
}

bool ButtonController::Change() {
  if (kind_ == ButtonKind::RadioButton) {
    const std::vector<Field*> changed = Select(field_);
    if (changed.empty()) return false;
    for (Field* record : changed) window_.ValueChanged(*record);
  } else if (Toggle(field_)) {
    window_.ValueChanged(field_);
  } else {
    return false;
  }
  // The terminal may rebuild the page while it handles the reports: the record is not touched after.
  if (field_.format.flags & kFlagAutoSend) {
    const int id = field_.id;
    terminal_.FieldChanged(id);
    terminal_.KeyPressed(id, FunctionKey::Enter);
  }
  return true;
}

}  // namespace vantor
