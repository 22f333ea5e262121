// Tests of the access code check and the About text.
#include "forms/host_dialogs.h"

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace vantor {
namespace {

TEST(HostDialogRules, OnlyTheExactCodeUnlocks) {
  Settings settings;
  const LoginOutcome right = ApplyLogin(settings, u"604817");
  EXPECT_TRUE(right.admin);
  EXPECT_TRUE(settings.AdminMode());
  EXPECT_EQ(right.message, u"Terminal UnLocked");
  EXPECT_EQ(right.caption, u"Admin Mode");
  for (std::u16string_view wrong : {u"", u"60481", u"6048170", u" 604817", u"604818"}) {
    settings.SetAdminMode(true);
    const LoginOutcome outcome = ApplyLogin(settings, wrong);
    EXPECT_FALSE(outcome.admin);
    EXPECT_FALSE(settings.AdminMode()) << "a wrong code leaves administrator mode";
    EXPECT_EQ(outcome.message, u"Terminal Locked");
    EXPECT_EQ(outcome.caption, u"User Mode");
  }
}

TEST(HostDialogRules, AboutTextSplitsTheVersionNumbersHighHalfFirst) {
  const std::u16string text = AboutText(u"Vantor", 0x00020003, 0x0004FFFF);
  EXPECT_EQ(text, std::u16string(u"Vantor\r\nVersion: 2.3.4.65535\r\n") + std::u16string(kCopyrightLine));
  EXPECT_EQ(AboutText(u"", 0, 0).substr(0, 20), u"\r\nVersion: 0.0.0.0\r\n");
}

}  // namespace
}  // namespace vantor
