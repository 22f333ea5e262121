// The Host options dialog on its real template: what it shows, what OK stores and writes, that Cancel
// and Ping store nothing, and the ping itself.
#include "win/dialogs/host_options_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "win/base/app_support.h"
#include "win/dialogs/dialog_ids.h"
#include "app_fixture_win.h"
#include "platform/net.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using wintest::ItemText;

class HostOptionsDialogTest : public wintest::DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    ASSERT_TRUE(net::Startup());
    StoreFile([](Settings& stored) {
      stored.SetTerminalId(42);
      stored.SetHostName(u"host.example");
      stored.SetHostPort(4321);
      stored.SetHostTextIsUtf8(true);
    });
  }
  void TearDown() override {
    DialogFixture::TearDown();
    net::Cleanup();
  }
  void Open() {
    state_.settings = settings_.get();
    dialog_ = CreateHostOptionsDialog(wintest::ProgramResources(), nullptr, &state_);
    ASSERT_NE(dialog_, nullptr);
  }

  HostOptionsDialogState state_;
};

TEST_F(HostOptionsDialogTest, OkClampsStoresAndWritesTheFile) {
  Open();
  SetDlgItemTextW(dialog_, IDC_HOST_TERMINAL_ID, L"0");
  SetDlgItemTextW(dialog_, IDC_HOST_NAME, L" other.host");
  SetDlgItemTextW(dialog_, IDC_HOST_PORT, L"70000");
  CheckDlgButton(dialog_, IDC_HOST_UTF8, BST_UNCHECKED);
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  EXPECT_EQ(settings_->TerminalId(), 1);
  EXPECT_EQ(settings_->HostName(), u" other.host");
  EXPECT_EQ(settings_->HostPort(), 65535);
  EXPECT_FALSE(settings_->HostTextIsUtf8());
  Settings reread(SettingsPath());
  ASSERT_TRUE(reread.ReadSettings());
  EXPECT_EQ(reread.TerminalId(), 1);
  EXPECT_EQ(reread.HostPort(), 65535);
  EXPECT_FALSE(reread.HostTextIsUtf8());
}

TEST_F(HostOptionsDialogTest, PingOfAnEmptyHostFailsOffTheDialogsThreadAndStoresNothing) {
  Open();
  SetDlgItemTextW(dialog_, IDC_HOST_NAME, L"");
  Press(IDC_HOST_PING);
  ASSERT_TRUE(wintest::PumpUntil([&] { return !ItemText(dialog_, IDC_HOST_PING_RESULT).empty(); }, 10000));
  const std::wstring result = ItemText(dialog_, IDC_HOST_PING_RESULT);
  EXPECT_EQ(result.rfind(L"time=", 0), std::wstring::npos);
  EXPECT_EQ(settings_->HostName(), u"host.example");
  EXPECT_EQ(FileBytes(), fileBefore_);
  EXPECT_EQ(state_.result, -1);
}

TEST(PingTest, MissingIcmpLibraryOrEntryPointsFailWithTheirOwnText) {
  ASSERT_TRUE(net::Startup());
  const wchar_t* missing[] = {L"no_such_icmp_library.dll"};
  const PingOutcome none = PingHostWith("127.0.0.1", 10, missing, 1);
  EXPECT_EQ(none.kind, PingOutcome::Kind::kNoIcmp);
  EXPECT_EQ(PingOutcomeText(none), kNoIcmpText);
  const wchar_t* lacking[] = {L"kernel32.dll"};
  EXPECT_EQ(PingHostWith("127.0.0.1", 10, lacking, 1).kind, PingOutcome::Kind::kNoIcmp);
  // The first library that loads is the one used.
  const wchar_t* fallback[] = {L"no_such_icmp_library.dll", L"iphlpapi.dll"};
  EXPECT_NE(PingHostWith("127.0.0.1", 1000, fallback, 2).kind, PingOutcome::Kind::kNoIcmp);
  net::Cleanup();
}

TEST(PingTest, EmptyOrUnknownHostIsNotResolved) {
  ASSERT_TRUE(net::Startup());
  EXPECT_EQ(PingHost("", 10).kind, PingOutcome::Kind::kUnresolved);
  EXPECT_EQ(PingHost("no-such-host.invalid", 10).kind, PingOutcome::Kind::kUnresolved);
  net::Cleanup();
}

TEST(PingTest, LoopbackAnswers) {
  ASSERT_TRUE(net::Startup());
  const PingOutcome outcome = PingHost("127.0.0.1", 1000);
  ASSERT_EQ(outcome.kind, PingOutcome::Kind::kReply) << "code " << outcome.code;
  EXPECT_LT(outcome.roundTripMs, 1000u);
  EXPECT_GT(outcome.ttl, 0);
  EXPECT_EQ(PingOutcomeText(outcome).rfind(u"time=", 0), 0u);
  net::Cleanup();
}

}  // namespace
}  // namespace vantor
