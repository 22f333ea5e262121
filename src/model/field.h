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

// Created only by FieldList::Add, which links it into the id and row chains; everything else is
// plain data set by the commands and the controls (UI thread only).
class Field {
 public:
  Field(int id, int row, int column, int width, Page* page);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  std::uint8_t recreate = 0;  // destroy and create the window at the next page refresh
  std::uint8_t create = 1;    // the window has not been created yet
  std::int32_t column = 0;
  std::int32_t row = 0;
  std::uint8_t flags = 0;
  std::uint8_t attributes = 0;
  std::uint8_t serialFlags = 0;
  std::uint8_t serial = 0;  // serialFlags & 1
  std::uint8_t readOnly = 0;
  std::uint8_t type = kTypeText;
  std::int32_t width = 0;
  std::uint8_t centred = 0;
  std::int32_t checkSize = 1;
  std::uint8_t modified = 0;
  std::uint8_t sendGuard = 0;

  // Edit prefix, set by the field prefix command and read by the response builder.
  std::uint8_t hasPrefix = 0;
  std::uint8_t prefixMode = 0;
  std::uint8_t prefixFlag1 = 0, prefixFlag2 = 0, prefixFlag3 = 0;
  std::int32_t prefixLength = 0;
  std::u16string prefix;

  std::uint8_t previousSerialFlags = 0;
  std::int32_t id = 0;
  std::int32_t lastColumn = 0;  // column + width - 1
  Page* page = nullptr;
  std::int32_t caret = 0;
  std::uint8_t hasFocus = 0;
  std::uint8_t selected = 0;
  std::uint8_t replacePending = 0;
  WindowHandle window = kNoWindow;  // the control window, owned by the front end

  int Mode() const { return flags & 3; }
  // Mode 3 and not fed by the serial port: what focus navigation and the first input field use.
  bool IsInputField() const { return Mode() == kModeInput && serial == 0; }
  int Video() const { return attributes & kVideoMask; }
  // type * 4 + video + 1, as reported by FieldList::KindAt.
  std::int32_t Kind() const { return type * 4 + ((attributes >> 4) & 3) + 1; }

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

  // The prefix: stored cut to length units (and at a NUL); present when length is 1 or more.
  void SetPrefix(std::u16string_view text, std::int32_t length);
  void DropPrefix();

  Field* NextById() const { return nextById_; }
  Field* PreviousById() const { return previousById_; }
  Field* NextInRow() const { return nextInRow_; }
  Field* PreviousInRow() const { return previousInRow_; }

 private:
  friend class FieldList;
  std::int32_t maxLength_ = 0;
  bool hasText_ = false;
  std::u16string text_;
  Field* previousById_ = nullptr;
  Field* nextById_ = nullptr;
  Field* previousInRow_ = nullptr;
  Field* nextInRow_ = nullptr;
};

// Cuts text to at most capacity units and at its first NUL (the record's text buffers end there).
std::u16string_view CutText(std::u16string_view text, std::int32_t capacity);

}  // namespace vantor
