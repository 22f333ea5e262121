// The button family's value rules.
#include "model/button_rules.h"

#include <algorithm>

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

}  // namespace vantor
