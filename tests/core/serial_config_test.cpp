// Tests of reading the serial line settings from the settings' texts.
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "devices/serial_config.h"

namespace vantor {
namespace {

TEST(SerialConfigParse, ParityFromFirstCharacter) {
  const std::pair<char16_t, SerialParity> cases[] = {{u'o', kParityOdd},   {u'O', kParityOdd},   {u'E', kParityEven},
                                            {u'e', kParityEven},  {u'M', kParityMark},  {u'm', kParityMark},
                                            {u'S', kParitySpace}, {u's', kParitySpace}, {u'N', kParityNone},
                                            {u'x', kParityNone},  {u'\0', kParityNone}};
  for (const auto& [letter, parity] : cases)
    EXPECT_EQ(ParityFromChar(letter), static_cast<std::uint8_t>(parity)) << static_cast<int>(letter);
}

TEST(SerialConfigParse, StopBitsOnlyExactTexts) {
  EXPECT_EQ(StopBitsFromText(u"1"), kStopOne);
  EXPECT_EQ(StopBitsFromText(u"1.5"), kStopOneAndHalf);
  EXPECT_EQ(StopBitsFromText(u"2"), kStopTwo);
  EXPECT_EQ(StopBitsFromText(u"1.50"), kStopOne);
  EXPECT_EQ(StopBitsFromText(u"2 "), kStopOne);
  EXPECT_EQ(StopBitsFromText(u""), kStopOne);
}

TEST(SerialConfigParse, DataBitsFromFirstCharacter) {
  EXPECT_EQ(DataBitsFromChar(u'4'), 4);
  EXPECT_EQ(DataBitsFromChar(u'8'), 8);
  EXPECT_EQ(DataBitsFromChar(u'9'), 8);
  EXPECT_EQ(DataBitsFromChar(u'3'), 8);
  EXPECT_EQ(DataBitsFromChar(u'\0'), 8);
}

TEST(SerialConfigParse, BaudText) {
  EXPECT_EQ(ParseBaudText(u"9600"), 9600u);
  EXPECT_EQ(ParseBaudText(u" 19200"), 19200u);
  EXPECT_EQ(ParseBaudText(u"+38400"), 38400u);
  EXPECT_EQ(ParseBaudText(u"115200 baud"), 115200u);
  EXPECT_EQ(ParseBaudText(u"fast"), 0u);  // passed to the port as it is
  EXPECT_EQ(ParseBaudText(u""), 0u);
  EXPECT_EQ(ParseBaudText(u"-9600"), 0u);
  EXPECT_EQ(ParseBaudText(u"99999999999999999999"), std::numeric_limits<std::uint32_t>::max());
}

TEST(SerialConfigParse, MakeConfigTakesEveryValue) {
  const SerialTimeouts timeouts{500, 1, 2, 3, 4};
  const SerialConfig c =
      MakeSerialConfig(u"COM3:", u"4800", u'o', u'7', u"2", true, 2, 3, false, 10, 13, timeouts);
  EXPECT_EQ(c.line.portName, u"COM3:");
  EXPECT_EQ(c.line.baudRate, 4800u);
  EXPECT_EQ(c.line.parity, kParityOdd);
  EXPECT_EQ(c.line.dataBits, 7);
  EXPECT_EQ(c.line.stopBits, kStopTwo);
  EXPECT_TRUE(c.framing.inOn);
  EXPECT_EQ(c.framing.startByte, 2);
  EXPECT_EQ(c.framing.endByte, 3);
  EXPECT_FALSE(c.framing.outOn);
  EXPECT_EQ(c.framing.prefixByte, 10);
  EXPECT_EQ(c.framing.suffixByte, 13);
  EXPECT_EQ(c.timeouts.readInterval, 500u);
  EXPECT_EQ(c.timeouts.readTotalMultiplier, 1u);
  EXPECT_EQ(c.timeouts.readTotalConstant, 2u);
  EXPECT_EQ(c.timeouts.writeTotalMultiplier, 3u);
  EXPECT_EQ(c.timeouts.writeTotalConstant, 4u);
}

TEST(SerialConfigParse, DevicePathReachesEveryComPort) {
  EXPECT_EQ(SerialDevicePath(u"COM1:"), u"\\\\.\\COM1");
  EXPECT_EQ(SerialDevicePath(u"COM1"), u"\\\\.\\COM1");
  EXPECT_EQ(SerialDevicePath(u"com12:"), u"\\\\.\\COM12");
  EXPECT_EQ(SerialDevicePath(u"COM99:"), u"\\\\.\\COM99");
  // Anything else is opened as it is.
  EXPECT_EQ(SerialDevicePath(u"COM0:"), u"COM0:");
  EXPECT_EQ(SerialDevicePath(u"COM:"), u"COM:");
  EXPECT_EQ(SerialDevicePath(u"COMX:"), u"COMX:");
  EXPECT_EQ(SerialDevicePath(u"COM1:x"), u"COM1:x");
  EXPECT_EQ(SerialDevicePath(u"COM1234"), u"COM1234");
  EXPECT_EQ(SerialDevicePath(u"\\\\.\\COM3"), u"\\\\.\\COM3");
  EXPECT_EQ(SerialDevicePath(u"LPT1:"), u"LPT1:");
  EXPECT_EQ(SerialDevicePath(u""), u"");
  EXPECT_EQ(SerialDevicePath(u":"), u":");
}

}  // namespace
}  // namespace vantor
