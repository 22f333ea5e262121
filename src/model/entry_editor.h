// Editing rules of the entry field over its record: keys, typed and fed characters, clearing.
#pragma once

#include <cstdint>

namespace vantor {

class Field;
class Settings;

// What the editor needs from the window around it; the window procedure routes these to the page's
// notify window, the caret and the painter.
class EntryHost {
 public:
  virtual ~EntryHost() = default;
  // The window of this field holds the keyboard focus.
  virtual bool OwnsFocus() = 0;
  virtual void Navigate(int direction) = 0;          // WM_VDX_NAVIGATE
  virtual void Key(int fieldId, int code) = 0;       // WM_VDX_KEY
  virtual void FieldChanged(int fieldId) = 0;        // WM_VDX_FIELD_CHANGED
  virtual void FieldFocused(int fieldId) = 0;        // WM_VDX_FIELD_FOCUSED
  // The session's current field id (WM_VDX_GET_CURRENT_FIELD); false when there is none.
  virtual bool CurrentFieldId(int& id) = 0;
  virtual void Beep(std::uint32_t type) = 0;         // MessageBeep
  // Text or caret changed: repaint in caret mode and place the caret (when focused).
  virtual void CaretChanged() = 0;
  // Ctrl+V: feed the clipboard's text as typed characters.
  virtual void Paste() = 0;
  // The character belongs to the window that has the focus.
  virtual void ForwardChar(char16_t c) = 0;
};

struct KeyModifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

inline constexpr std::uint32_t kBeepRefused = 0;           // numeric filter
inline constexpr std::uint32_t kBeepSimple = 0xFFFFFFFFu;  // line feed, Escape

// Virtual keys the editor acts on.
inline constexpr unsigned kVkTab = 0x09;
inline constexpr unsigned kVkClear = 0x0C;
inline constexpr unsigned kVkEnd = 0x23;
inline constexpr unsigned kVkHome = 0x24;
inline constexpr unsigned kVkLeft = 0x25;
inline constexpr unsigned kVkUp = 0x26;
inline constexpr unsigned kVkRight = 0x27;
inline constexpr unsigned kVkDown = 0x28;
inline constexpr unsigned kVkDelete = 0x2E;

class EntryEditor {
 public:
  EntryEditor(Field& field, const Settings& settings, EntryHost& host)
      : field_(field), settings_(settings), host_(host) {}

  // Focus arrives: caret 0, the first typed character replaces the value, the session is told.
  void StartEditing();
  // Focus leaves: a pending auto-send report goes out.
  void EndEditing();
  // WM_KEYDOWN / WM_SYSKEYDOWN.
  void KeyDown(unsigned virtualKey, KeyModifiers modifiers);
  // WM_CHAR from the keyboard (or from a paste).
  void TypedChar(char16_t c, KeyModifiers modifiers);
  // WM_VDX_FEED_CHAR: serial data, whether focused or not.
  void FedChar(char16_t c);
  // WM_VDX_CLEAR_FIELD.
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
