// The button family's value and key rules.
#include "model/button_rules.h"

#include <algorithm>
#include <string>

#include "model/field.h"
#include "model/field_list.h"
#include "model/page.h"

namespace vantor {

bool IsCheckedText(std::u16string_view text) { return !text.empty() && text.front() == u'X'; }

std::u16string_view LabelOf(ButtonKind kind, std::u16string_view text, int width) {
  if (kind == ButtonKind::Button) return text;
  if (!text.empty()) text.remove_prefix(1);
  if (kind != ButtonKind::RadioButton) return text;
  while (!text.empty() && text.front() == u'\x7F') text.remove_prefix(1);
  const std::size_t limit = static_cast<std::size_t>(std::max(width, 0));
  if (text.size() > limit) text = text.substr(0, limit);
  const std::size_t nul = text.find(u'\0');
  if (nul != std::u16string_view::npos) text = text.substr(0, nul);
  return text;
}

namespace {

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

}  // namespace

bool ToggleValue(Field& field) {
  if (field.MaxLength() < 1) return false;
  SetValue(field, !IsCheckedText(field.Text()));
  return true;
}

std::vector<Field*> SelectRadio(Field& field) {
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

std::vector<Notice> ChangeNotices(const Field& field) {
  if (!(field.format.flags & kFlagAutoSend)) return {};
  return {Notice{Notice::FieldChanged, field.id}, Notice{Notice::Key, 0}};
}

ButtonKeyResult ButtonKey(ButtonKind kind, bool inputMode, unsigned virtualKey, KeyModifiers modifiers,
                          bool enterSendsKey) {
  const bool ctrl = modifiers.ctrl, shift = modifiers.shift, alt = modifiers.alt;
  const ButtonKeyResult enter =
      enterSendsKey ? ButtonKeyResult{ButtonKeyResult::Key, 0} : ButtonKeyResult{ButtonKeyResult::Navigate, 1};
  const bool box = kind == ButtonKind::CheckBox || kind == ButtonKind::RadioButton;
  if (box && !inputMode) return virtualKey == kVkReturn ? enter : ButtonKeyResult{};
  switch (virtualKey) {
    case kVkTab:
      if (!ctrl && !alt && !shift) return {ButtonKeyResult::Navigate, 1};
      if (!ctrl && !alt && shift) return {ButtonKeyResult::Navigate, -1};
      return {};
    case kVkSpace:
      switch (kind) {
        case ButtonKind::CheckBox: return {ButtonKeyResult::Toggle, 0};
        case ButtonKind::SelectButton:
          return inputMode ? ButtonKeyResult{ButtonKeyResult::Toggle, 0} : ButtonKeyResult{};
        case ButtonKind::RadioButton: return {ButtonKeyResult::Select, 0};
        case ButtonKind::Button: return {};
      }
      return {};
    case kVkLeft:
    case kVkUp: return {ButtonKeyResult::Navigate, -1};
    case kVkRight:
    case kVkDown: return {ButtonKeyResult::Navigate, 1};
    default: break;
  }
  if (kind == ButtonKind::Button && virtualKey >= 240 && virtualKey <= 245) return {};
  const KeyAction action = FunctionKeyAction(virtualKey, modifiers, enterSendsKey, KeyOrigin::Control);
  if (action.kind == KeyAction::Code) return {ButtonKeyResult::Key, action.code};
  if (action.kind == KeyAction::Navigate) return {ButtonKeyResult::Navigate, 1};
  return {};
}

}  // namespace vantor
