// Host options and access code rules: typed texts to stored values, the administrator code, the About text.
#include "forms/host_options.h"

#include <gtest/gtest.h>

#include "forms/host_dialogs.h"
#include "settings/settings.h"

namespace vantor {
namespace {

TEST(HostOptions, TypedNumbersAreClampedAndNonNumbersBecomeTheLowerLimit) {
  const struct {
    std::u16string_view text;
    int port, terminalId;
  } cases[] = {
      {u"70000", 65535, 999}, {u"", 1, 1},          {u"abc", 1, 1},         {u"0", 1, 1},
      {u"42", 42, 42},        {u"1000", 1000, 999}, {u"65535", 65535, 999}, {u"99999999999999999999", 65535, 999},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortFromText(c.text), c.port) << c.port;
    EXPECT_EQ(TerminalIdFromText(c.text), c.terminalId) << c.terminalId;
  }
  Settings settings;
  ApplyHostOptions(HostOptionsText{u"1000", u"  host.example ", u"70000", true, true, u" 12:zz"}, settings);
  EXPECT_EQ(std::pair(settings.TerminalId(), settings.HostPort()), std::pair(999, 65535));
  EXPECT_EQ(settings.HostName(), u"  host.example ") << "the host is stored as typed";
  EXPECT_TRUE(settings.HostTextIsUtf8());
  EXPECT_TRUE(settings.HostTls());
  EXPECT_EQ(settings.HostTlsPin(), u" 12:zz") << "the pin too, a bad one included";
}

TEST(HostOptions, PingTexts) {
  using Kind = PingOutcome::Kind;
  for (const auto& [outcome, text] : {
           std::pair{PingOutcome{Kind::kReply, 0, 3, 128, false}, u"time=3ms TTL=128ms"},
           {PingOutcome{Kind::kReply, 0, 3, 0, true}, u"time=3ms"},  // an ICMPv6 reply has no TTL
           {PingOutcome{Kind::kReply, 0, 0xFFFFFFFF, 64, false}, u"time=-1ms TTL=64ms"},
           {PingOutcome{Kind::kNoIcmp}, u"Ping not available: no ICMP service."},
           {PingOutcome{Kind::kFailed, 11010}, u"Request timed out."},
           {PingOutcome{Kind::kFailed, 11000}, u"Error Base."},
           {PingOutcome{Kind::kFailed, 11034}, u"Duplicate IP address."},
           {PingOutcome{Kind::kFailed, 11035}, u"Unknown error=11035"},
           {PingOutcome{Kind::kFailed, 10999}, u"Unknown error=10999"},
           {PingOutcome{Kind::kFailed, 11050}, u"General failure."},
           {PingOutcome{Kind::kReplyStatus, 11255}, u"Pending."},
           {PingOutcome{Kind::kReplyStatus, 11999}, u"Unknown error=11999"},
           {PingOutcome{Kind::kUnresolved, 11001}, u"Unknown error=11001"},  // a socket error, not a status
       }) {
    EXPECT_EQ(PingOutcomeText(outcome), text) << outcome.code;
  }
}

TEST(HostDialogs, OnlyTheExactCodeUnlocksAndAboutShowsTheVersion) {
  Settings settings;
  EXPECT_TRUE(ApplyLogin(settings, u"604817").admin);
  EXPECT_TRUE(settings.AdminMode());
  for (std::u16string_view wrong : {u"", u"60481", u"6048170", u" 604817", u"604818"}) {
    settings.SetAdminMode(true);
    EXPECT_FALSE(ApplyLogin(settings, wrong).admin);
    EXPECT_FALSE(settings.AdminMode()) << "a wrong code leaves administrator mode";
  }
  // About: the version numbers split into halves, high half first.
  EXPECT_EQ(AboutText(u"Vantor", 0x00020003, 0x0004FFFF),
            std::u16string(u"Vantor\r\nVersion: 2.3.4.65535\r\n") + std::u16string(kCopyrightLine));
  EXPECT_EQ(AboutText(u"", 0, 0).substr(0, 20), u"\r\nVersion: 0.0.0.0\r\n");
}

}  // namespace
}  // namespace vantor
