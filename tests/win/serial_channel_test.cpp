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
