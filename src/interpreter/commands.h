// The per-record state shared by the command handlers, and the handler of each command letter.
#pragma once

#include <cstdint>

#include "interpreter/command_args.h"
#include "interpreter/interpreter.h"

namespace vantor {

// One run of the interpreter over one H record.
struct ScreenRun {
  ScreenRun(const ScreenContext& context, const std::uint8_t* begin, const std::uint8_t* end);

  Screen& screen;
  Settings& settings;
  ScreenView& view;
  HostReplies& replies;
  bool utf8;                // host text in UTF-8 rather than the ANSI code page
  ArgReader args;           // on the current command's letter when its handler starts
  bool redraw = false;      // the shown page redraws at the end of the record
  bool normalSound = true;  // the focus-and-unlock command may play the Normal sound
  RemovedFields removed;    // records a command took out, until their windows are discarded

  // The current page's field list, or null when the current page number names no page.
  FieldList* Fields() const;
  // The current page's field of that number, or null.
  Field* FindField(int id) const;
  // Host text of n payload bytes, consumed, cut to capacity UTF-16 units.
  std::u16string Text(int n, std::size_t capacity);
};

using CommandHandler = void (*)(ScreenRun&);

// The handler of a command byte, or null for a byte that is passed over.
CommandHandler HandlerFor(std::uint8_t letter);

// Field definition and content commands.
void CmdFixedField(ScreenRun& run);        // f
void CmdDefineField(ScreenRun& run);       // i
void CmdSetAttributes(ScreenRun& run);     // +
void CmdSerialFlags(ScreenRun& run);       // b
void CmdFieldOptions(ScreenRun& run);      // w
void CmdSetText(ScreenRun& run);           // u
void CmdClearField(ScreenRun& run);        // c
void CmdClearInputFields(ScreenRun& run);  // C
void CmdDeleteField(ScreenRun& run);       // e
void CmdErasePage(ScreenRun& run);         // E
void CmdCopyText(ScreenRun& run);          // k
void CmdPrefix(ScreenRun& run);            // y

// Page, focus, dialog and device commands.
void CmdSelectPage(ScreenRun& run);      // s
void CmdShowPage(ScreenRun& run);        // d
void CmdSetFocus(ScreenRun& run);        // @
void CmdFocusAndUnlock(ScreenRun& run);  // o
void CmdLockKeyboard(ScreenRun& run);    // l
void CmdMessageAtField(ScreenRun& run);  // a
void CmdMessage(ScreenRun& run);         // A
void CmdPrompt(ScreenRun& run);          // h
void CmdKeyLabel(ScreenRun& run);        // S
void CmdSound(ScreenRun& run);           // #
void CmdDeviceControl(ScreenRun& run);   // Z
void CmdSerialOutput(ScreenRun& run);    // >
void CmdFontStep(ScreenRun& run);        // F
void CmdStatusRequest(ScreenRun& run);   // !
void CmdSendFields(ScreenRun& run);      // W

// Commands that are read and ignored.
void CmdNothing(ScreenRun& run);                      // B R m z
void CmdIgnoredNumber(ScreenRun& run);                // K X r
void CmdIgnoredTwoBytes(ScreenRun& run);              // p
void CmdIgnoredEleven(ScreenRun& run);                // D
void CmdIgnoredShortBlock(ScreenRun& run);            // $ % I
void CmdIgnoredNumberShortBlock(ScreenRun& run);      // j
void CmdIgnoredTwoNumbersShortBlock(ScreenRun& run);  // L
void CmdIgnoredNumberLongBlock(ScreenRun& run);       // v
void CmdIgnoredLongBlock(ScreenRun& run);             // M N O
void CmdSkipToMarker(ScreenRun& run);                 // P Q

}  // namespace vantor
