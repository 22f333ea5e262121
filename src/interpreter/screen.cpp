// The screen state's lookups: current fields, focus order, message and prompt texts, key labels.
#include "interpreter/screen.h"

namespace vantor {

FieldList* Screen::CurrentFields() const {
  Page* page = CurrentPage();
  return page != nullptr ? &page->Fields() : nullptr;
}

Field* Screen::CurrentField(int id) const {
  FieldList* fields = CurrentFields();
  return fields != nullptr ? fields->Find(id) : nullptr;
}

int Screen::FirstInputField() const {
  FieldList* fields = CurrentFields();
  if (fields == nullptr) return -1;
  for (Field* field = fields->Head(); field != nullptr; field = field->NextById()) {
    if (field->IsInputField()) return field->id;
  }
  return -1;
}

namespace {

// The focus field's record, else the first record with a larger number, else none.
Field* SearchPosition(const FieldList& fields, int focus) {
  for (Field* field = fields.Head(); field != nullptr; field = field->NextById()) {
    if (field->id >= focus) return field;
  }
  return nullptr;
}

}  // namespace

int Screen::NextInputField() const {
  FieldList* fields = CurrentFields();
  if (fields == nullptr) return -1;
  if (Field* position = SearchPosition(*fields, focusField)) {
    for (Field* field = position->NextById(); field != nullptr; field = field->NextById()) {
      if (field->IsInputField()) return field->id;
    }
  }
  return FirstInputField();
}

int Screen::PreviousInputField() const {
  FieldList* fields = CurrentFields();
  if (fields == nullptr) return -1;
  if (Field* position = SearchPosition(*fields, focusField)) {
    for (Field* field = position->PreviousById(); field != nullptr; field = field->PreviousById()) {
      if (field->IsInputField()) return field->id;
    }
  }
  for (Field* field = fields->Tail(); field != nullptr; field = field->PreviousById()) {
    if (field->IsInputField()) return field->id;
  }
  return -1;
}

std::u16string_view Screen::MessageShown() const {
  std::u16string_view text(messageText);
  const std::size_t start = text.find_first_not_of(u' ');
  return start == std::u16string_view::npos ? std::u16string_view() : text.substr(start);
}

const std::u16string* Screen::KeyLabel(int code) const {
  if (code < 0 || code >= kKeyLabelCount || !labels_[code].set) return nullptr;
  return &labels_[code].text;
}

bool Screen::SetKeyLabel(int code, std::u16string_view text) {
  if (code < 0 || code >= kKeyLabelCount) return false;
  labels_[code].text.assign(text);
  labels_[code].set = true;
  return true;
}

}  // namespace vantor
