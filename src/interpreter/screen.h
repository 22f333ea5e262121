// The screen state the host sets up: pages, focus, keyboard, pending host dialog and key labels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/page_list.h"

namespace vantor {

// Numbered as other programs on the handheld read it.
enum class Keyboard {
  Ready = 0,
  ResetFocus = 1,  // ready; the focus goes to the first input field at the end of the record
  Locked = 2,      // waiting for the host
};

// A host dialog asked for by the record being interpreted, raised at its end.
enum class PendingDialog { None, MessageAtField, Message, Prompt };

inline constexpr int kKeyLabelCount = 37;

// Plain data the interpreter and the terminal change on one thread; the rules that read it are
// member functions.
struct Screen {
  explicit Screen(Colour pageBackground) : pages(pageBackground) {}

  PageList pages;
  int currentPage = 0;  // the page field commands act on
  int shownPage = 0;    // the page in front
  int focusField = -1;  // -1: none, the page itself has the focus
  int messageFocusField = -1;
  Keyboard keyboard = Keyboard::Locked;
  PendingDialog pendingDialog = PendingDialog::None;
  int columns = 26;  // the host's grid as the status response reports it
  int rows = 10;
  std::u16string messageText;
  int promptLength = -1;  // -1: no prompt asked for

  // The current page, or null when its number names no page.
  Page* CurrentPage() const { return pages.At(currentPage); }
  FieldList* CurrentFields() const;
  // The record of that id on the current page, or null.
  Field* CurrentField(int id) const;
  // The focus field's record on the current page, or null.
  Field* FocusedField() const { return CurrentField(focusField); }

  // Input fields of the current page (mode 3, not fed by the serial port) in id order; -1 for none.
  int FirstInputField() const;
  // The next input field after the focus field (or after the first field above its number),
  // wrapping to the first; the previous one, wrapping to the last.
  int NextInputField() const;
  int PreviousInputField() const;

  // The message text without its leading blanks.
  std::u16string_view MessageShown() const;

  // Key labels of codes 0..36: null for another code or a label never set.
  const std::u16string* KeyLabel(int code) const;
  // False (nothing stored) for a code outside 0..36.
  bool SetKeyLabel(int code, std::u16string_view text);

 private:
  struct Label {
    bool set = false;
    std::u16string text;
  };
  std::array<Label, kKeyLabelCount> labels_{};
};

}  // namespace vantor
