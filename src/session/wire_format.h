// The wire format of terminal and host: the record terminator, the terminal id prefix, framing, the
// host's doubling of 0xFF, and the number and length encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Every record, in both directions, ends with 0xFF 0xEF (telnet IAC EOR).
inline constexpr std::uint8_t kTerminatorFirst = 0xFF;
inline constexpr std::uint8_t kTerminatorSecond = 0xEF;
inline constexpr char kTerminatorBytes[] = {static_cast<char>(kTerminatorFirst), static_cast<char>(kTerminatorSecond)};
inline constexpr std::string_view kTerminator(kTerminatorBytes, sizeof kTerminatorBytes);

// True when a whole terminator starts at `at` (its two bytes before `end`).
inline bool TerminatorAt(const std::uint8_t* at, const std::uint8_t* end) {
  return end - at >= 2 && at[0] == kTerminatorFirst && at[1] == kTerminatorSecond;
}

// The record without its terminator, or as it is when it does not end with one.
std::string_view WithoutTerminator(std::string_view record);

inline constexpr int kHighestTerminalIdPrefix = 999;

// The decimal prefix put in front of a record of the terminal's: empty for 0 (or less). An id above 999
// (possible only from a hand-edited settings file) is sent as 999, the highest id the Host options
// dialog allows.
std::string TerminalIdPrefix(int terminalId);

// The leading decimal digits of a record of the terminal's: its terminal id ("" when it has none).
std::string_view TerminalIdOf(std::string_view record);

// One record of the terminal's as it goes on the wire: the terminal id prefix, the data up to its first
// zero byte and the terminator. The terminal does not double 0xFF bytes.
std::string FrameRecord(int terminalId, std::string_view data);

// The host doubles each 0xFF of a record's data, so that no data byte can end the record.
std::string EscapeForWire(std::string_view recordData);

// The terminal's undoing of it: reduces each 0xFF 0xFF pair to one 0xFF in place and returns the new
// length. pendingFf carries an unpaired 0xFF at the end of one chunk to the next, so that a pair split
// between two reads is reduced too (the second byte is dropped from the next chunk).
int UnescapeInPlace(std::uint8_t* data, int length, bool& pendingFf);

// A short number is one byte, value + 48 (0..207; other values wrap to a byte).
inline constexpr int kShortNumberMax = 207;
// A length up to 207 is a short number; a longer one is '!', length / 208 + 48, length % 208 + 48.
inline constexpr char kLongLengthMark = '!';
inline constexpr std::size_t kLongestLength = 207 * 208 + 207;  // 43263

void AppendShort(std::string& out, int value);
// Lengths above the longest the long form carries are held to it.
void AppendLength(std::string& out, std::size_t length);
// A field number (or the focus field) as one byte: no field (any negative number, or a number above
// 207 that no field can have) is '/', never a zero byte.
char FieldNumberByte(int number);

// The value of a short number byte: -48..207 ('/' is -1, no field).
constexpr int ShortValue(char byte) { return static_cast<unsigned char>(byte) - 48; }

enum class LengthRead { Read, Cut, Bad };
// Reads a length at `at` and moves past it: Cut when the bytes end inside it, Bad for a byte below '0'.
LengthRead ReadLength(std::string_view bytes, std::size_t& at, std::size_t& length);

}  // namespace vantor
