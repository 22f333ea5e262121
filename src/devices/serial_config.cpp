// Reading the serial line settings from the settings' texts.
#include "devices/serial_config.h"

#include <limits>

namespace vantor {

std::uint32_t ParseBaudText(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  if (i < text.size() && text[i] == u'+') ++i;
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - u'0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(value);
}

std::uint8_t ParityFromChar(char16_t first) {
  switch (first) {
    case u'E':
    case u'e': return kParityEven;
    case u'M':
    case u'm': return kParityMark;
    case u'O':
    case u'o': return kParityOdd;
    case u'S':
    case u's': return kParitySpace;
    default: return kParityNone;
  }
}

std::uint8_t StopBitsFromText(std::u16string_view text) {
  if (text == u"1.5") return kStopOneAndHalf;
  if (text == u"2") return kStopTwo;
  return kStopOne;
}

std::uint8_t DataBitsFromChar(char16_t first) {
  return first >= u'4' && first <= u'7' ? static_cast<std::uint8_t>(first - u'0') : 8;
}

SerialConfig MakeSerialConfig(std::u16string_view portName, std::u16string_view baudText, char16_t parityChar,
                              char16_t dataBitsChar, std::u16string_view stopBitsText, bool serialIn,
                              std::uint8_t startByte, std::uint8_t endByte, bool serialOut, std::uint8_t prefixByte,
                              std::uint8_t suffixByte, const SerialTimeouts& timeouts) {
  SerialConfig config;
  config.line.portName = std::u16string(portName);
  config.line.baudRate = ParseBaudText(baudText);
  config.line.parity = ParityFromChar(parityChar);
  config.line.stopBits = StopBitsFromText(stopBitsText);
  config.line.dataBits = DataBitsFromChar(dataBitsChar);
  config.framing = {serialIn, startByte, endByte, serialOut, prefixByte, suffixByte};
  config.timeouts = timeouts;
  return config;
}

std::u16string SerialDevicePath(std::u16string_view portName) {
  std::u16string_view name = portName;
  if (!name.empty() && name.back() == u':') name.remove_suffix(1);
  const bool com = name.size() > 3 && (name[0] == u'C' || name[0] == u'c') && (name[1] == u'O' || name[1] == u'o') &&
                   (name[2] == u'M' || name[2] == u'm');
  bool digits = com && name.size() <= 6;  // COM1..COM999
  for (std::size_t i = 3; digits && i < name.size(); ++i) digits = name[i] >= u'0' && name[i] <= u'9';
  if (!digits || name[3] == u'0') return std::u16string(portName);
  return u"\\\\.\\COM" + std::u16string(name.substr(3));
}

}  // namespace vantor
