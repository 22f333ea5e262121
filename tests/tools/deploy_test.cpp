// The release's sample settings file: it reads as the demo host's address, in user mode.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/settings.h"

namespace vantor {
namespace {

TEST(DeploySample, SettingsPointAtTheDemoHostInUserMode) {
  Settings sample(std::filesystem::path(VANTOR_SOURCE_DIR) / "deploy" / "Vantor.ini");
  ASSERT_TRUE(sample.ReadSettings());
  EXPECT_EQ(sample.HostName(), u"127.0.0.1");
  EXPECT_EQ(sample.HostPort(), 9999);
  EXPECT_EQ(sample.TerminalId(), 1);
  EXPECT_FALSE(sample.HostTextIsUtf8());
  EXPECT_FALSE(sample.AdminMode());
}

}  // namespace
}  // namespace vantor
