// Host options and access code rules: typed texts to stored values, the administrator code, the About text.
#include "forms/host_options.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "forms/host_dialogs.h"
#include "row_tables.h"
#include "settings/settings.h"

namespace vantor {
namespace {

TEST(HostOptions, TypedNumbersAreClampedAndNonNumbersBecomeTheLowerLimit) {
  testing_support::ForEachRow("typed numbers", [&](const std::vector<std::string>& w) {
    const std::string text = testing_support::Text(w.at(0));
    EXPECT_EQ(PortFromText(std::u16string(text.begin(), text.end())), std::stoi(w.at(1)));
    EXPECT_EQ(TerminalIdFromText(std::u16string(text.begin(), text.end())), std::stoi(w.at(2)));
  });
  Settings settings;
  ApplyHostOptions(HostOptionsText{u"1000", u"  host.example ", u"70000", true, true, u" 12:zz"}, settings);
  EXPECT_EQ(std::pair(settings.TerminalId(), settings.HostPort()), std::pair(999, 65535));
  EXPECT_EQ(settings.HostName(), u"  host.example ") << "the host is stored as typed";
  EXPECT_TRUE(settings.HostTextIsUtf8());
  EXPECT_TRUE(settings.HostTls());
  EXPECT_EQ(settings.HostTlsPin(), u" 12:zz") << "the pin too, a bad one included";
}

// The table "ping texts".
TEST(HostOptions, PingTexts) {
  using Kind = PingOutcome::Kind;
  const std::map<std::string, Kind> kinds = {{"reply", Kind::kReply},
                                             {"noicmp", Kind::kNoIcmp},
                                             {"failed", Kind::kFailed},
                                             {"status", Kind::kReplyStatus},
                                             {"unresolved", Kind::kUnresolved}};
  testing_support::ForEachRow("ping texts", [&](const std::vector<std::string>& w) {
    const PingOutcome outcome{kinds.at(w.at(0)), std::stol(w.at(1)), static_cast<std::uint32_t>(std::stoul(w.at(2))),
                              std::stoi(w.at(3)), w.at(4) == "v6"};
    const std::string text = testing_support::Text(w.at(5));
    EXPECT_EQ(PingOutcomeText(outcome), std::u16string(text.begin(), text.end()));
  });
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
