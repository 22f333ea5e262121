// Entry field editing: caret keys, typed and fed characters, filters, auto-advance and auto-send.
#include "model/entry_editor.h"

#include <algorithm>
#include <string>

#include "settings/settings.h"
#include "model/field.h"
#include "model/function_keys.h"

namespace vantor {

void EntryEditor::ClampCaret() {
  // The host may have replaced the text under the caret since the last key.
  const auto length = static_cast<std::int32_t>(field_.Text().size());
  field_.edit.caret = std::clamp(field_.edit.caret, 0, length);
}

bool EntryEditor::ReportChange() {
  if (!(field_.format.flags & kFlagAutoSend) || !field_.edit.modified || field_.edit.sendGuard) return false;
  field_.edit.sendGuard = true;
  terminal_.FieldChanged(field_.id);
  field_.edit.sendGuard = false;
  return true;
}

void EntryEditor::StartEditing() {
  field_.edit.caret = 0;
  display_.CaretChanged();
  field_.edit.hasFocus = true;
  field_.edit.replacePending = true;
  terminal_.FieldFocused(field_.id);
}

void EntryEditor::EndEditing() {
  ReportChange();
  field_.edit.hasFocus = false;
}

void EntryEditor::KeyDown(unsigned virtualKey, KeyModifiers modifiers) {
  if (virtualKey == kVkTab) {
    if (field_.edit.hasFocus && field_.IsReadOnly()) {
      if (!modifiers.shift && !modifiers.ctrl && !modifiers.alt)
        terminal_.Navigate(Direction::Next);
      else if (modifiers.shift && !modifiers.ctrl && !modifiers.alt)
        terminal_.Navigate(Direction::Previous);
    }
    return;
  }
  if (virtualKey == kVkUp) {
    if (!ReportChange()) terminal_.Navigate(Direction::Previous);
    return;
  }
  if (virtualKey == kVkDown) {
    if (!ReportChange()) terminal_.Navigate(Direction::Next);
    return;
  }
  // Enter arrives as a character; only the function keys proper are reported from here.
  if (virtualKey != kVkReturn) {
    const KeyAction action = FunctionKeyAction(virtualKey, modifiers, settings_.EnterSendsKey(), KeyOrigin::Control);
    if (action.kind == KeyAction::Code) {
      terminal_.KeyPressed(field_.id, FunctionKeyFromCode(action.code));
      return;
    }
  }
  if (field_.IsReadOnly()) return;
  ClampCaret();
  std::u16string text = field_.Text();
  const auto length = static_cast<std::int32_t>(text.size());
  switch (virtualKey) {
    case kVkClear:
      field_.ClearText();
      field_.edit.caret = 0;
      field_.edit.modified = true;
      break;
    case kVkEnd: field_.edit.caret = length; break;
    case kVkHome: field_.edit.caret = 0; break;
    case kVkLeft: field_.edit.caret = std::max(field_.edit.caret - 1, 0); break;
    case kVkRight: field_.edit.caret = std::min(field_.edit.caret + 1, length); break;
    case kVkDelete:
      // At the end there is nothing to remove; the key still counts as a change.
      if (field_.edit.caret < length) {
        text.erase(static_cast<std::size_t>(field_.edit.caret), 1);
        field_.SetText(text);
      }
      field_.edit.modified = true;
      break;
    default: return;
  }
  field_.edit.replacePending = false;
  display_.CaretChanged();
}

void EntryEditor::Enter() {
  if (settings_.EnterSendsKey()) {
    terminal_.EnterPressed(field_.id);
  } else {
    terminal_.Navigate(Direction::Next);
  }
}

void EntryEditor::TypedChar(char16_t c, KeyModifiers modifiers, EntryWindow& window) {
  if (field_.IsReadOnly()) return;
  if (!window.OwnsFocus()) {
    window.ForwardChar(c);
    return;
  }
  switch (c) {
    case 3:  // Ctrl+C
      return;
    case 22:  // Ctrl+V
      if (!pasting_) window.Paste();
      return;
    case 8:  // Backspace
      ClampCaret();
      if (field_.edit.caret >= 1) {
        std::u16string text = field_.Text();
        --field_.edit.caret;
        text.erase(static_cast<std::size_t>(field_.edit.caret), 1);
        field_.SetText(text);
        field_.edit.modified = true;
        field_.edit.replacePending = false;
        display_.CaretChanged();
      }
      return;
    case 9:  // Tab
      if (!field_.edit.hasFocus) return;
      if (!modifiers.shift && !modifiers.ctrl && !modifiers.alt) {
        if (!ReportChange()) terminal_.Navigate(Direction::Next);
      } else if (modifiers.shift && !modifiers.ctrl && !modifiers.alt) {
        if (!ReportChange()) terminal_.Navigate(Direction::Previous);
      }
      return;
    case 10:
    case 27: display_.Beep(kBeepSimple); return;
    case 13: Enter(); return;
    default: Insert(c); return;
  }
}

void EntryEditor::FedChar(char16_t c) {
  if (c == 13 && !field_.HasPrefix()) {
    Enter();
    return;
  }
  Insert(c);
}

void EntryEditor::Insert(char16_t c) {
  if (c == 0) return;
  if ((field_.format.flags & kFlagNumeric) && settings_.NumericChars().find(c) == std::u16string::npos) {
    display_.Beep(kBeepRefused);
    return;
  }
  if (settings_.FirstKeyReplaces() && field_.edit.replacePending) {
    field_.ClearText();
    field_.edit.caret = 0;
  }
  if (settings_.UpperCaseInput() && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  std::u16string text = field_.Text();
  const std::int32_t capacity = std::max(field_.MaxLength(), 0);
  if (static_cast<std::int32_t>(text.size()) >= capacity) return;
  ClampCaret();
  text.insert(static_cast<std::size_t>(field_.edit.caret), 1, c);
  field_.SetText(text);
  field_.edit.modified = true;
  field_.edit.replacePending = false;
  ++field_.edit.caret;
  display_.CaretChanged();
  if (!field_.edit.hasFocus) return;
  const auto length = static_cast<std::int32_t>(field_.Text().size());
  if (length == capacity && field_.edit.caret == length) {
    if (!ReportChange() && (field_.format.attributes & kAttrAutoAdvance)) terminal_.Navigate(Direction::Next);
  }
}

void EntryEditor::Empty() {
  field_.ClearText();
  field_.edit.caret = 0;
  display_.CaretChanged();
}

void EntryEditor::Clear() {
  field_.ClearText();
  field_.edit.caret = 0;
  field_.edit.modified = true;
  display_.CaretChanged();
}

}  // namespace vantor
