// Host-side screen builder: writes screen command records readably; used by the demo host, tests, fuzzers and benches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "session/wire_format.h"

namespace vantor::host_records {

// A number in the wire's encodings (AppendShort, AppendLength): a short number wraps values outside
// -48..207 to a byte; a long number above 207 takes the long form, held to 43263.
std::string ShortNumber(int value);
std::string LongNumber(int value);

// Field mode and attribute bits of the define-field command.
namespace field {
inline constexpr std::uint8_t kDisplay = 1, kSystemLine = 2, kInput = 3;
inline constexpr std::uint8_t kAutoSend = 0x04, kPassword = 0x08, kRightJustified = 0x10, kNumeric = 0x20;
inline constexpr std::uint8_t kHidden = 0x02, kReadOnly = 0x04, kAutoAdvance = 0x08, kBlink = 0x10, kBold = 0x20,
                              kReverse = 0x30;
// Flag and attribute bytes are sent as printable characters in practice: '@' (0x40) plus bits.
inline constexpr std::uint8_t kBase = 0x40;
}  // namespace field

// One option of the field-options command ('@', the letter, its arguments).
struct FieldOption {
  std::string bytes;
};
namespace option {
FieldOption Type(char letter);                            // 'B' button, 'C' check box, 'R' radio, 'S' select
FieldOption MaxLength(int value);                         // four hexadecimal digits
FieldOption MaxLengthDigits(std::string_view fourBytes);  // the four digit bytes as given
FieldOption Selected(bool on);                            // '1' or '0'
FieldOption Centred();
FieldOption Recreate();  // 'P'
FieldOption CheckSize(int cells);
FieldOption Letter(char letter);  // any other option letter (no arguments)
}  // namespace option

// Builds the command run of one H record. Every method appends one command and returns the builder.
// Texts are 8-bit bytes as they go on the wire (encode UTF-16 text with EncodeText first).
class ScreenBuilder {
 public:
  // f: a fixed text field whose length is the text's length.
  ScreenBuilder& Fixed(int fieldId, int row, int column, std::string_view text);
  // i: an empty field; flags and attributes bytes as sent.
  ScreenBuilder& Define(int fieldId, int row, int column, std::uint8_t flags, std::uint8_t attributes, int length);
  // i with the usual printable bytes: an input field ('C' = 0x43, attributes '@').
  ScreenBuilder& Input(int fieldId, int row, int column, int length);
  ScreenBuilder& Text(int fieldId, std::string_view text);                      // u
  ScreenBuilder& Options(int fieldId, const std::vector<FieldOption>& options,  // w
                         int ignored = 0);
  ScreenBuilder& Prefix(int fieldId, int mode, std::string_view text);                  // y
  ScreenBuilder& Attributes(int fieldId, std::uint8_t flags, std::uint8_t attributes);  // +
  ScreenBuilder& SerialFlags(int fieldId, std::uint8_t serialFlags);                    // b
  ScreenBuilder& ClearField(int fieldId);                                               // c
  ScreenBuilder& ClearInputFields();                                                    // C
  ScreenBuilder& DeleteField(int fieldId);                                              // e
  ScreenBuilder& ErasePage();                                                           // E
  ScreenBuilder& CopyText(int source, int destination);                                 // k

  ScreenBuilder& SelectPage(int page);                            // s
  ScreenBuilder& ShowPage(int page);                              // d
  ScreenBuilder& Focus(int fieldId);                              // @
  ScreenBuilder& FocusAndUnlock(int fieldId);                     // o (-1: '/')
  ScreenBuilder& Lock();                                          // l
  ScreenBuilder& MessageAt(int fieldId, std::string_view text);   // a
  ScreenBuilder& Message(std::string_view text);                  // A
  ScreenBuilder& Prompt(int inputLength, std::string_view text);  // h
  ScreenBuilder& KeyLabel(int keyCode, std::string_view label);   // S
  ScreenBuilder& Sound();                                         // #
  ScreenBuilder& ScannerEnable(int value);                        // Z e
  ScreenBuilder& UserSound(int number);                           // Z s
  ScreenBuilder& DeviceValues(int a, int b, int c);               // Z v
  ScreenBuilder& SerialOut(int mode, std::string_view bytes);     // >
  ScreenBuilder& FontStep(int step);                              // F
  ScreenBuilder& StatusRequest();                                 // !
  ScreenBuilder& SendFields(int code);                            // W

  // Commands that are read and ignored, with well-formed arguments: B R m z (none), K X r (a
  // number), p (two bytes) and D (eleven bytes; the payload is padded with '0' or cut), $ % I j L
  // (short length) and M N O v (long length) with the payload, P Q (the payload, then `marker`).
  ScreenBuilder& Ignored(char letter, std::string_view payload = {}, char marker = 'B');

  ScreenBuilder& Raw(std::string_view bytes);  // bytes as they are
  ScreenBuilder& Append(const ScreenBuilder& other);

  // The command run alone.
  const std::string& Commands() const { return commands_; }
  // The record as the dispatcher sees it: 'H', the commands, the terminator.
  std::string Record() const;
  // 'H' and the commands, without terminator (for senders that add it).
  std::string RecordData() const;
  // The record as the host writes it on the connection (data bytes 0xFF doubled).
  std::string Wire() const;

 private:
  ScreenBuilder& Letter(char letter);
  std::string commands_;
};

// Realistic screens shared by the fuzz seeds, the benchmark and the demo host.
namespace samples {
// A full 24 x 80 screen on page 0: 20 rows of a label, an input field with options, a prefix and a
// text, and a description; a system line; five key labels; shown, focused and unlocked (62 fields).
ScreenBuilder FullScreen();
// Sets the texts of the 20 input fields of FullScreen and unlocks.
ScreenBuilder TextUpdates();
// Ignored blocks of every shape, about `bytes` bytes in all.
ScreenBuilder IgnoredBlocks(std::size_t bytes);
}  // namespace samples

}  // namespace vantor::host_records
