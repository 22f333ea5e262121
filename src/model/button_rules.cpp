// The button family's value rules.
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

}  // namespace vantor
