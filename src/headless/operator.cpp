// The operator's actions on the view without windows, refused where the window would not take them.
#include "headless/operator.h"

#include <array>
#include <cctype>

#include "headless/headless_view.h"
#include "model/control_kind.h"
#include "session/terminal.h"

namespace vantor {

namespace {

inline constexpr unsigned kVkBack = 0x08, kVkEscape = 0x1B;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool StripPrefix(std::string_view& name, std::string_view prefix) {
  if (name.size() <= prefix.size() || !SameName(name.substr(0, prefix.size()), prefix)) return false;
  name.remove_prefix(prefix.size());
  return true;
}

// 1..limit written plainly (no sign, no leading zero), else 0.
int SmallNumber(std::string_view digits, int limit) {
  if (digits.empty() || digits.size() > 2 || digits[0] == '0') return 0;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value <= limit ? value : 0;
}

}  // namespace

std::optional<NamedKey> ParseKeyName(std::string_view name) {
  struct Plain {
    std::string_view name;
    NamedKey key;
  };
  static const std::array<Plain, 13> kPlain{{
      {"Enter", {kVkReturn, {}, u'\r'}},
      {"Tab", {kVkTab, {}, u'\t'}},
      {"BackTab", {kVkTab, {false, true, false}, u'\t'}},
      {"Space", {kVkSpace, {}, u' '}},
      {"Backspace", {kVkBack, {}, u'\b'}},
      {"Escape", {kVkEscape, {}, u'\x1B'}},
      {"Up", {kVkUp, {}, 0}},
      {"Down", {kVkDown, {}, 0}},
      {"Left", {kVkLeft, {}, 0}},
      {"Right", {kVkRight, {}, 0}},
      {"Home", {kVkHome, {}, 0}},
      {"End", {kVkEnd, {}, 0}},
      {"Delete", {kVkDelete, {}, 0}},
  }};
  for (const Plain& plain : kPlain) {
    if (SameName(name, plain.name)) return plain.key;
  }
  for (std::size_t i = 0; i < toolbar::kButtons.size(); ++i) {
    const std::u16string_view label = toolbar::kButtons[i].label;
    if (SameName(name, std::string(label.begin(), label.end()))) {
      NamedKey key;
      key.toolbar = static_cast<int>(i);
      return key;
    }
  }
  NamedKey key;
  if (StripPrefix(name, "Shift+")) {
    key.modifiers.shift = true;
  } else if (StripPrefix(name, "Ctrl+")) {
    key.modifiers.ctrl = true;
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
      key.virtualKey = static_cast<unsigned char>(name[0]);
      return key;
    }
  }
  if (name.size() < 2 || (name[0] != 'F' && name[0] != 'f')) return std::nullopt;
  const int number = SmallNumber(name.substr(1), 24);
  if (number == 0) return std::nullopt;
  key.virtualKey = kVkF1 + static_cast<unsigned>(number - 1);
  return key;
}

std::string Operator::Blocked() const {
  if (!view_.Dialogs().empty()) {
    return view_.Dialogs().back().kind == DialogKind::Prompt ? "a host prompt is open" : "a host message is open";
  }
  return view_.KeyboardReady() ? std::string() : "keyboard locked";
}

std::string Operator::Type(std::u16string_view text) {
  if (text.empty()) return "nothing to type";
  if (std::string why = Blocked(); !why.empty()) return why;
  if (view_.FocusedControl() == nullptr) return "no field has the focus";
  for (std::size_t i = 0; i < text.size(); ++i) {
    // An auto-send or a key that a character set off locks the keyboard: the rest is dropped.
    if (!view_.KeyboardReady()) {
      return "keyboard locked after " + std::to_string(i) + " of " + std::to_string(text.size()) + " characters";
    }
    Field* target = view_.FocusedControl();
    if (text[i] == u' ') view_.KeyDown(kVkSpace, {});
    view_.CharTo(target, text[i], {});
  }
  return {};
}

std::string Operator::Key(std::string_view name) {
  const std::optional<NamedKey> key = ParseKeyName(name);
  if (!key) return "unknown key \"" + std::string(name) + "\"";
  if (std::string why = Blocked(); !why.empty()) return why;
  if (key->toolbar >= 0) {
    if (!view_.ToolbarBuilt()) return "the terminal has no toolbar";
    const ToolbarButtonState& button = view_.Toolbar()[static_cast<std::size_t>(key->toolbar)];
    if (!button.enabled) return std::string(name) + " is not bound";
    // The bar is no part of the page: it sends its key for the terminal's focus field.
    terminal_.KeyPressed(terminal_.GetScreen().focusField, FunctionKeyFromCode(static_cast<int>(button.code)));
    return {};
  }
  Field* target = view_.FocusedControl();
  view_.KeyDown(key->virtualKey, key->modifiers);
  if (key->character != 0) view_.CharTo(target, key->character, key->modifiers);
  return {};
}

Field* Operator::TappableField(int id, std::string& why) const {
  why = Blocked();
  // After a host prompt's Cancel the page's windows stay disabled until the host's next screen.
  if (why.empty() && !view_.InputEnabled()) why = "the page is disabled";
  if (!why.empty()) return nullptr;
  Field* field = terminal_.GetScreen().CurrentField(id);
  const std::string name = "field " + std::to_string(id);
  if (field == nullptr) {
    why = "no " + name + " on the page";
  } else if (field->link.window == kNoWindow) {
    why = name + " has no control";
  } else if (field->format.attributes & kAttrHidden) {
    why = name + " is hidden";
  } else {
    return field;
  }
  return nullptr;
}

std::string Operator::Focus(int id) {
  std::string why;
  Field* field = TappableField(id, why);
  if (field == nullptr) return why;
  if (!TakesFocus(*field)) return "field " + std::to_string(id) + " does not take the focus";
  view_.SetFocus(field);
  return {};
}

std::string Operator::Tap(int id) {
  std::string why;
  Field* field = TappableField(id, why);
  if (field == nullptr) return why;
  const ControlKind kind = ControlKindOf(*field);
  if (kind == ControlKind::Entry || kind == ControlKind::Fixed || kind == ControlKind::System) {
    return "field " + std::to_string(id) + " is not a button, check box or radio button";
  }
  view_.Tap(*field);
  return {};
}

std::string Operator::Scan(std::string_view bytes) {
  if (bytes.empty()) return "nothing to scan";
  terminal_.SerialReceived(SerialBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  return {};
}

std::string Operator::Answer(std::u16string_view text) {
  if (view_.Dialogs().empty() || view_.Dialogs().back().kind != DialogKind::Prompt) return "no host prompt is open";
  view_.CloseDialog(true, text);
  return {};
}

std::string Operator::Cancel() {
  if (view_.Dialogs().empty()) return "no host dialog is open";
  view_.CloseDialog(false);
  return {};
}

std::string Operator::Ok() {
  if (view_.Dialogs().empty() || view_.Dialogs().back().kind != DialogKind::Message) return "no host message is open";
  view_.CloseDialog(true);
  return {};
}

}  // namespace vantor
