// The serial channel's line settings, framing bytes and time-outs, read from the settings' texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

enum SerialParity : std::uint8_t {
  kParityNone = 0,
  kParityOdd = 1,
  kParityEven = 2,
  kParityMark = 3,
  kParitySpace = 4
};
enum SerialStopBits : std::uint8_t { kStopOne = 0, kStopOneAndHalf = 1, kStopTwo = 2 };

// Line events the reader waits for: CTS, DSR, RLSD, break, line error, ring.
inline constexpr std::uint32_t kSerialEventMask = 0x1F8;

struct SerialLineConfig {
  std::u16string portName;  // as in the settings, e.g. "COM1:"
  std::uint32_t baudRate = 9600;
  std::uint8_t dataBits = 8;  // 4..8
  std::uint8_t parity = kParityNone;
  std::uint8_t stopBits = kStopOne;
};

// Milliseconds, in the order the settings store them.
struct SerialTimeouts {
  std::uint32_t readInterval = 1;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;
};

// 0 means no such byte.
struct SerialFraming {
  bool inOn = false;
  std::uint8_t startByte = 0;
  std::uint8_t endByte = 0;
  bool outOn = false;
  std::uint8_t prefixByte = 0;
  std::uint8_t suffixByte = 0;
};

struct SerialConfig {
  SerialLineConfig line;
  SerialFraming framing;
  SerialTimeouts timeouts;
};

// Leading decimal digits (after blanks and an optional '+'); no number gives 0; saturates.
std::uint32_t ParseBaudText(std::u16string_view text);
// First character of the parity text: E/e even, M/m mark, O/o odd, S/s space, anything else none.
std::uint8_t ParityFromChar(char16_t first);
// Exactly "1", "1.5" or "2"; anything else is one stop bit.
std::uint8_t StopBitsFromText(std::u16string_view text);
// First character of the data-bits text: '4'..'7', anything else 8.
std::uint8_t DataBitsFromChar(char16_t first);

// The settings' values as the channel's configuration (line parameters start from their defaults).
SerialConfig MakeSerialConfig(std::u16string_view portName, std::u16string_view baudText, char16_t parityChar,
                              char16_t dataBitsChar, std::u16string_view stopBitsText, bool serialIn,
                              std::uint8_t startByte, std::uint8_t endByte, bool serialOut, std::uint8_t prefixByte,
                              std::uint8_t suffixByte, const SerialTimeouts& timeouts);

// The name to open: "COMn" with or without a trailing ':' becomes "\\.\COMn", which also reaches
// ports above COM9; any other name is opened as it is.
std::u16string SerialDevicePath(std::u16string_view portName);

}  // namespace vantor
