// The Win32 serial channel: missing ports, and a pseudo-terminal COM port whose line goes away under it.
#include "devices/serial_channel_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "pty_port_win.h"

namespace vantor {
namespace {

using wintest::PtyPort;

SerialTimeouts Quick() { return SerialTimeouts{100, 0, 0, 0, 0}; }
const std::uint8_t kByte[] = {'x'};
void Ignore(const std::uint8_t*, std::size_t) {}

TEST(SerialChannelWin, NothingToOpenOrAMissingPortLeavesAClosedChannelThatDropsSends) {
  struct Case {
    const char16_t* port;
    bool on;
    int configured;
  } const cases[] = {{u"COM1:", false, 0}, {u"COM255:", true, 1}, {u"NOSUCHPORT:", true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    SerialChannel channel;
    ASSERT_TRUE(channel.SetDataHandler(Ignore));
    EXPECT_EQ(channel.Configure(c.port, u"9600", u'N', u'8', u"1", c.on, 0, 0, c.on, 2, 3, Quick()), c.configured);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_TRUE(channel.Send(kByte, 1));
    EXPECT_FALSE(channel.Close());
    if (c.on) {
      EXPECT_FALSE(channel.SetDataHandler(Ignore)) << "only before Configure";
    }
  }
}

int Holders(const std::string& lineState) {
  return std::stoi(lineState.substr(lineState.rfind('\n', lineState.size() - 2)));
}

// A pseudo-terminal keeps the speed, the stop bits and the parity check of what is set, not the parity or data bits.
TEST(SerialChannelPty, LineSettingsAppliedAndThePortLetGoOnCloseForTheNextChannel) {
  PtyPort port;
  ASSERT_TRUE(port.Start(10 + static_cast<int>(GetCurrentProcessId() / 4 % 230))) << "no pseudo-terminal COM port";
  const int idle = Holders(port.LineState());
  SerialChannel first;
  ASSERT_EQ(first.Configure(port.PortName(), u"19200", u'E', u'7', u"2", true, 0, 0, true, 0, 0, Quick()), 1);
  const std::string open = port.LineState();
  EXPECT_NE(open.find("speed 19200 baud"), std::string::npos) << open;
  EXPECT_NE(open.find(" cstopb"), std::string::npos) << open;
  EXPECT_NE(open.find(" inpck"), std::string::npos) << open;
  EXPECT_GT(Holders(open), idle);
  EXPECT_TRUE(first.Close());
  EXPECT_EQ(Holders(port.LineState()), idle) << "the port is let go";
  SerialChannel second;
  ASSERT_EQ(second.Configure(port.PortName(), u"4800", u'N', u'8', u"1", true, 0, 0, true, 0, 0, Quick()), 1);
  EXPECT_TRUE(second.IsOpen());
  const std::string again = port.LineState();
  EXPECT_NE(again.find("speed 4800 baud"), std::string::npos) << again;
  EXPECT_NE(again.find(" -cstopb"), std::string::npos) << again;
}

TEST(SerialChannelPty, LineGoneClosesTheChannelWithoutHanging) {
  PtyPort port;
  // A port number of this process's own, so that runs sharing the Wine prefix do not meet.
  ASSERT_TRUE(port.Start(10 + static_cast<int>(GetCurrentProcessId() / 4 % 230))) << "no pseudo-terminal COM port";
  SerialChannel channel;
  ASSERT_TRUE(channel.SetDataHandler(Ignore));
  ASSERT_EQ(channel.Configure(port.PortName(), u"9600", u'N', u'8', u"1", true, 0, 0, true, 0, 0, Quick()), 1);
  ASSERT_TRUE(channel.IsOpen());
  port.HangUp();
  for (int i = 0; i < 500 && channel.IsOpen(); ++i) Sleep(20);
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_TRUE(channel.Send(kByte, 1));
  const ULONGLONG before = GetTickCount64();
  EXPECT_FALSE(channel.Close());  // no longer open, but the threads end and the port is let go
  EXPECT_LT(GetTickCount64() - before, 3000u);
}

}  // namespace
}  // namespace vantor
