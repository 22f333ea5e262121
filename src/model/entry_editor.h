// Editing rules of the entry field over its record: keys, typed and fed characters, clearing.
#pragma once

#include <cstdint>

#include "model/function_keys.h"
#include "model/terminal_requests.h"

namespace vantor {

class Field;
class Settings;

// How an edit shows: the field repainted with its caret placed (when it has the focus), and a beep.
class EntryDisplay {
 public:
  virtual ~EntryDisplay() = default;
  virtual void CaretChanged() = 0;
  virtual void Beep(std::uint32_t type) = 0;
};

// What the entry field's window offers typing on top: the keyboard focus, the clipboard, and the
// control that has the focus for a character typed elsewhere.
class EntryWindow : public EntryDisplay {
 public:
  // The window of this field holds the keyboard focus.
  virtual bool OwnsFocus() = 0;
  // Ctrl+V: feed the clipboard's text as typed characters.
  virtual void Paste() = 0;
  // The character belongs to the window that has the focus.
  virtual void ForwardChar(char16_t c) = 0;
};

inline constexpr std::uint32_t kBeepRefused = 0;           // numeric filter
inline constexpr std::uint32_t kBeepSimple = 0xFFFFFFFFu;  // line feed, Escape

class EntryEditor {
 public:
  // The terminal's requests go to `terminal`; the repaints and beeps to `display`.
  EntryEditor(Field& field, const Settings& settings, EntryDisplay& display, TerminalRequests& terminal)
      : field_(field), settings_(settings), display_(display), terminal_(terminal) {}

  // Focus arrives: caret 0, the first typed character replaces the value, the session is told.
  void StartEditing();
  // Focus leaves: a pending auto-send report goes out.
  void EndEditing();
  // A key going down.
  void KeyDown(unsigned virtualKey, KeyModifiers modifiers);
  // A character typed (or pasted) into the field's window.
  void TypedChar(char16_t c, KeyModifiers modifiers, EntryWindow& window);
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
  EntryDisplay& display_;
  TerminalRequests& terminal_;
  bool pasting_ = false;
};

}  // namespace vantor
