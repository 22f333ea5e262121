// Host options rules: stored values from the typed texts, ICMP status texts and ping result texts.
#include "forms/host_options.h"

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace vantor {
namespace {

TEST(HostOptionsTest, PortIsClampedAndNonNumbersBecomeTheLowerLimit) {
  EXPECT_EQ(PortFromText(u"70000"), 65535);
  EXPECT_EQ(PortFromText(u""), 1);
  EXPECT_EQ(PortFromText(u"abc"), 1);
  EXPECT_EQ(PortFromText(u"9999"), 9999);
  EXPECT_EQ(PortFromText(u"99999999999999999999"), 65535);
}

TEST(HostOptionsTest, TerminalIdIsClamped) {
  EXPECT_EQ(TerminalIdFromText(u"0"), 1);
  EXPECT_EQ(TerminalIdFromText(u"1000"), 999);
  EXPECT_EQ(TerminalIdFromText(u"42"), 42);
  EXPECT_EQ(TerminalIdFromText(u""), 1);
}

TEST(HostOptionsTest, ApplyStoresHostAsTypedAndClampsNumbers) {
  Settings settings;
  ApplyHostOptions(HostOptionsText{u"0", u"  host.example ", u"70000", true}, settings);
  EXPECT_EQ(settings.TerminalId(), 1);
  EXPECT_EQ(settings.HostName(), u"  host.example ");
  EXPECT_EQ(settings.HostPort(), 65535);
  EXPECT_TRUE(settings.HostTextIsUtf8());
  ApplyHostOptions(HostOptionsText{u"17", u"", u"", false}, settings);
  EXPECT_EQ(settings.TerminalId(), 17);
  EXPECT_EQ(settings.HostName(), u"");
  EXPECT_EQ(settings.HostPort(), 1);
  EXPECT_FALSE(settings.HostTextIsUtf8());
}

TEST(HostOptionsTest, StatusTextsCoverTheTableAndItsGaps) {
  EXPECT_EQ(IcmpStatusText(11000), u"Error Base.");
  EXPECT_EQ(IcmpStatusText(11034), u"Duplicate IP address.");
  EXPECT_EQ(IcmpStatusText(11050), u"General failure.");
  EXPECT_EQ(IcmpStatusText(11255), u"Pending.");
  EXPECT_EQ(IcmpStatusText(11035), u"Unknown error=11035");
  EXPECT_EQ(IcmpStatusText(10999), u"Unknown error=10999");
  EXPECT_EQ(IcmpStatusText(0), u"Unknown error=0");
  EXPECT_EQ(IcmpStatusText(-5), u"Unknown error=-5");
}

TEST(HostOptionsTest, PingTexts) {
  PingOutcome reply{PingOutcome::Kind::kReply, 0, 1, 128};
  EXPECT_EQ(PingOutcomeText(reply), u"time=1ms TTL=128ms");
  PingOutcome timeout{PingOutcome::Kind::kFailed, 11010, 0, 0};
  EXPECT_EQ(PingOutcomeText(timeout), u"Request timed out.");
  PingOutcome noIcmp{PingOutcome::Kind::kNoIcmp, 0, 0, 0};
  EXPECT_EQ(PingOutcomeText(noIcmp), kNoIcmpText);
  // 11001 is also the socket layer's "host not found": a failed lookup is not a "Buffer too small.".
  PingOutcome unresolved{PingOutcome::Kind::kUnresolved, 11001, 0, 0};
  EXPECT_EQ(PingOutcomeText(unresolved), u"Unknown error=11001");
  PingOutcome badReply{PingOutcome::Kind::kReplyStatus, 11003, 0, 0};
  EXPECT_EQ(PingOutcomeText(badReply), u"Destination host unreachable.");
}

}  // namespace
}  // namespace vantor
