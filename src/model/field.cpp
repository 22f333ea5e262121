// The field record: construction defaults and the text and prefix buffers with their capacities.
#include "model/field.h"

namespace vantor {

std::u16string_view CutText(std::u16string_view text, std::int32_t capacity) {
  const std::size_t nul = text.find(u'\0');
  if (nul != std::u16string_view::npos) text = text.substr(0, nul);
  const std::size_t limit = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
  if (text.size() > limit) {
    text = text.substr(0, limit);
    // A high surrogate whose partner was cut off would become a stray unit: drop it too.
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.remove_suffix(1);
  }
  return text;
}

Field::Field(int fieldId, int fieldRow, int fieldColumn, int fieldWidth, Page* fieldPage)
    : id(fieldId),
      row(fieldRow),
      column(fieldColumn),
      width(fieldWidth),
      page(fieldPage),
      maxLength_(fieldWidth > 0 ? fieldWidth : 0) {}

void Field::SetMaxLength(std::int32_t maxLength) {
  maxLength_ = maxLength > 0 ? maxLength : 0;
  if (hasText_) text_.assign(CutText(text_, maxLength_));
}

void Field::SetText(std::u16string_view text) {
  // Assign through a copy: text may view this record's own buffer.
  std::u16string cut(CutText(text, maxLength_));
  text_.swap(cut);
  hasText_ = true;
}

void Field::ClearText() {
  text_.clear();
  hasText_ = true;
}

void Field::DropText() {
  text_.clear();
  text_.shrink_to_fit();
  hasText_ = false;
}

void Field::SetPrefix(std::u16string_view text, std::int32_t length, int mode) {
  prefixLength_ = length > 0 ? length : 0;
  prefixMode_ = mode;
  std::u16string cut(CutText(text, prefixLength_));
  prefix_.swap(cut);
}

void Field::DropPrefix() {
  prefix_.clear();
  prefixLength_ = 0;
}

}  // namespace vantor
