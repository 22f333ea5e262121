// Editing rules of the entry field over its record: keys, typed and fed characters, clearing.
#pragma once

#include <cstdint>

#include "model/function_keys.h"

namespace vantor {

class Field;
class Settings;

// What the editor needs from around it: the terminal's operator requests, and the control's focus,
// caret, clipboard and painting where there is a window.
class EntryHost {
 public:
  virtual ~EntryHost() = default;
  // The window of this field holds the keyboard focus.
  virtual bool OwnsFocus() = 0;
  virtual void Navigate(Direction direction) = 0;
  virtual void Key(int fieldId, FunctionKey key) = 0;
  // An auto-send field reports its change.
  virtual void FieldChanged(int fieldId) = 0;
  // The field took the focus.
  virtual void FieldFocused(int fieldId) = 0;
  // The terminal's focus field when it names a field of the current page; false otherwise.
  virtual bool CurrentFieldId(int& id) = 0;
  virtual void Beep(std::uint32_t type) = 0;
  // Text or caret changed: repaint in caret mode and place the caret (when focused).
  virtual void CaretChanged() = 0;
  // Ctrl+V: feed the clipboard's text as typed characters.
  virtual void Paste() = 0;
  // The character belongs to the window that has the focus.
  virtual void ForwardChar(char16_t c) = 0;
};

inline constexpr std::uint32_t kBeepRefused = 0;           // numeric filter
inline constexpr std::uint32_t kBeepSimple = 0xFFFFFFFFu;  // line feed, Escape

class EntryEditor {
 public:
  EntryEditor(Field& field, const Settings& settings, EntryHost& host)
      : field_(field), settings_(settings), host_(host) {}

  // Focus arrives: caret 0, the first typed character replaces the value, the session is told.
  void StartEditing();
  // Focus leaves: a pending auto-send report goes out.
  void EndEditing();
  // A key going down.
  void KeyDown(unsigned virtualKey, KeyModifiers modifiers);
  // A character typed (or pasted).
  void TypedChar(char16_t c, KeyModifiers modifiers);
  // Serial data, whether focused or not.
  void FedChar(char16_t c);
  // Serial data start again in this field: the text only; it counts as modified once a character lands.
  void Empty();
  // Another program empties the field: a change like any other.
  void Clear();
  // An auto-send field that was changed reports itself once; true when it did (the key is handled).
  bool ReportChange();

  // While a paste runs, a pasted Ctrl+V is not taken as another paste.
  void SetPasting(bool pasting) { pasting_ = pasting; }

 private:
  void Enter();
  void Insert(char16_t c);
  void ClampCaret();

  Field& field_;
  const Settings& settings_;
  EntryHost& host_;
  bool pasting_ = false;
};

}  // namespace vantor
