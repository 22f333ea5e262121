// Host options and access code rules: typed texts to stored values, the administrator code, the About text.
#include <gtest/gtest.h>


#include "forms/host_dialogs.h"
#include "forms/host_options.h"
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

TEST(HostDialogRules, OnlyTheExactCodeUnlocks) {
  Settings settings;
  const LoginOutcome right = ApplyLogin(settings, u"604817");
  EXPECT_TRUE(right.admin);
  EXPECT_TRUE(settings.AdminMode());
  for (std::u16string_view wrong : {u"", u"60481", u"6048170", u" 604817", u"604818"}) {
    settings.SetAdminMode(true);
    const LoginOutcome outcome = ApplyLogin(settings, wrong);
    EXPECT_FALSE(outcome.admin);
    EXPECT_FALSE(settings.AdminMode()) << "a wrong code leaves administrator mode";
  }
}

TEST(HostDialogRules, AboutTextSplitsTheVersionNumbersHighHalfFirst) {
  const std::u16string text = AboutText(u"Vantor", 0x00020003, 0x0004FFFF);
  EXPECT_EQ(text, std::u16string(u"Vantor\r\nVersion: 2.3.4.65535\r\n") + std::u16string(kCopyrightLine));
  EXPECT_EQ(AboutText(u"", 0, 0).substr(0, 20), u"\r\nVersion: 0.0.0.0\r\n");
}

}  // namespace
}  // namespace vantor
