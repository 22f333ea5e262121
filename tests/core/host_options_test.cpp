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

}  // namespace
}  // namespace vantor
