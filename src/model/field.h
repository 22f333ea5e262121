// The field record: one host-defined control of a page (entry field, text, button, check box...).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

class Page;
class FieldList;

// A control window as the front end knows it; the model only keeps it for the front end.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// Field modes (flags bits 0-1).
inline constexpr int kModeNone = 0;
inline constexpr int kModeDisplay = 1;
inline constexpr int kModeSystem = 2;
inline constexpr int kModeInput = 3;

// Flag bits above the mode.
inline constexpr std::uint8_t kFlagAutoSend = 0x04;
inline constexpr std::uint8_t kFlagPassword = 0x08;  // system line: date instead of time
inline constexpr std::uint8_t kFlagRight = 0x10;
inline constexpr std::uint8_t kFlagNumeric = 0x20;

// Attribute bits.
inline constexpr std::uint8_t kAttrHidden = 0x02;
inline constexpr std::uint8_t kAttrReadOnly = 0x04;
inline constexpr std::uint8_t kAttrAutoAdvance = 0x08;
inline constexpr std::uint8_t kVideoMask = 0x30;
inline constexpr std::uint8_t kVideoNormal = 0x00;
inline constexpr std::uint8_t kVideoBlink = 0x10;
inline constexpr std::uint8_t kVideoBold = 0x20;
inline constexpr std::uint8_t kVideoReverse = 0x30;

// Types.
inline constexpr std::uint8_t kTypeText = 0;
inline constexpr std::uint8_t kTypeButton = 1;
inline constexpr std::uint8_t kTypeSelectButton = 3;
inline constexpr std::uint8_t kTypeCheckBox = 4;
inline constexpr std::uint8_t kTypeRadioButton = 5;

// What the host's field commands set besides the place and the text.
struct FieldFormat {
  std::uint8_t flags = 0;        // the mode (bits 0-1) and the kFlag bits
  std::uint8_t attributes = 0;   // the kAttr bits and the video attribute
  std::uint8_t serialFlags = 0;  // bit 0: an input field fed by, or a display field feeding, the serial port
  std::uint8_t type = kTypeText;
  bool centred = false;
  std::int32_t checkSize = 1;  // the mark of a check box or radio button, in cells
  bool selected = false;
};

// The operator's editing of the record, kept by the editing rules and read by the response builder.
struct EditState {
  std::int32_t caret = 0;       // a character index, 0 .. text length
  bool hasFocus = false;        // an entry field's window holds the keyboard focus
  bool replacePending = false;  // the first character typed replaces the value
  bool modified = false;        // changed by the operator since the last response
  bool sendGuard = false;       // an auto-send report is under way
};

// The record's control window, made and owned by the front end.
struct WindowLink {
  WindowHandle window = kNoWindow;
  bool create = true;     // no window has been made yet
  bool recreate = false;  // the window is made again at the next page refresh
};

// Created only by FieldList::Add, which links it into the id and row chains. Its place is fixed (the
// host defines a field anew to move it); the parts are plain data set by the commands, the editing
// rules and the front end (one thread only).
class Field {
 public:
  Field(int fieldId, int fieldRow, int fieldColumn, int fieldWidth, Page* fieldPage);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::int32_t id;
  const std::int32_t row;
  const std::int32_t column;
  const std::int32_t width;  // in cells
  Page* const page;

  FieldFormat format;
  EditState edit;
  WindowLink link;

  int Mode() const { return format.flags & 3; }
  int Video() const { return format.attributes & kVideoMask; }
  bool IsReadOnly() const { return (format.attributes & kAttrReadOnly) != 0; }
  bool IsSerial() const { return (format.serialFlags & 1) != 0; }
  // Mode 3 and not fed by the serial port: what focus navigation and the first input field use.
  bool IsInputField() const { return Mode() == kModeInput && !IsSerial(); }
  std::int32_t LastColumn() const { return column + width - 1; }
  // type * 4 + video + 1, as reported by FieldList::KindAt.
  std::int32_t Kind() const { return format.type * 4 + ((format.attributes >> 4) & 3) + 1; }

  // ---- content: the text and the edit prefix ----
  // Text capacity in UTF-16 units (the buffer holds maximum length + 1 with the terminator).
  std::int32_t MaxLength() const { return maxLength_; }
  // New capacity (negative taken as 0); the text is cut to it.
  void SetMaxLength(std::int32_t maxLength);

  bool HasText() const { return hasText_; }
  const std::u16string& Text() const { return text_; }
  // Makes the text buffer present and holds text, cut to the capacity and at the first NUL.
  void SetText(std::u16string_view text);
  // Makes the text buffer present and empty.
  void ClearText();
  // Releases the text buffer (text absent).
  void DropText();

  // The prefix the response builder adds to or strips from the text (mode 0-1 adds, 2-3 strips): stored
  // cut to length units (and at a NUL); present when length is 1 or more.
  void SetPrefix(std::u16string_view text, std::int32_t length, int mode);
  void DropPrefix();
  bool HasPrefix() const { return prefixLength_ >= 1; }
  const std::u16string& Prefix() const { return prefix_; }
  int PrefixMode() const { return prefixMode_; }

  Field* NextById() const { return nextById_; }
  Field* PreviousById() const { return previousById_; }
  Field* NextInRow() const { return nextInRow_; }
  Field* PreviousInRow() const { return previousInRow_; }

 private:
  friend class FieldList;
  std::int32_t maxLength_ = 0;
  bool hasText_ = false;
  std::u16string text_;
  std::int32_t prefixLength_ = 0;
  int prefixMode_ = 0;
  std::u16string prefix_;
  Field* previousById_ = nullptr;
  Field* nextById_ = nullptr;
  Field* previousInRow_ = nullptr;
  Field* nextInRow_ = nullptr;
};

// Cuts text to at most capacity units and at its first NUL (the record's text buffers end there).
std::u16string_view CutText(std::u16string_view text, std::int32_t capacity);

}  // namespace vantor
