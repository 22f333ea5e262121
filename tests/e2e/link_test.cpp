// Vantor.exe's link to its host under Wine (its TLS is Wine's SChannel): the demo over TLS with a pin and
// back after the host's restart; links it refuses, with the reason in Host Options and the terminal
// trying again; and a host on the IPv6 loopback, by address and by name.
#include "terminal_fixture.h"
#include "tls_fixtures_posix.h"

namespace vantor::e2e {
namespace {

using testing_support::LoopbackServer;
using testing_support::ServerMode;
using testing_support::TestPki;

constexpr long long kTerminalIdItem = 1064, kHostItem = 1066, kPortItem = 1067, kTlsItem = 1076,
                    kLinkFailureItem = 1078;
constexpr unsigned kButtonClick = 0x00F5;

class LinkTest : public TerminalTest {
 protected:
  // Opens Host Options from the menu; the dialog, or none.
  std::optional<WindowInfo> HostOptions() { return OpenFromFileMenu({"h"}, "Host Options"); }
  // Types the host and port into the open dialog and presses OK: the terminal connects there next.
  void Redirect(const WindowInfo& dialog, const std::string& host, std::uint16_t port) {
    ASSERT_TRUE(SetItemText(dialog, kHostItem, host));
    ASSERT_TRUE(SetItemText(dialog, kPortItem, std::to_string(port)));
    ASSERT_TRUE(probe_.Post(dialog.handle, kWmCommand, 1, 0));
    ASSERT_TRUE(Gone("Host Options"));
  }
  // The demo host on `port` (0: a free one) over TLS, once it listens.
  std::uint16_t StartDemo(ChildProcess& demo, std::uint16_t port) {
    const TestPki& pki = TestPki::Get();
    demo.Start({ExecutableDir() + "/demo_host", "--tls", pki.hostFile, pki.hostKeyFile, std::to_string(port)});
    return demo.Port("listening on 127.0.0.1");
  }
};

// The demo over TLS, its host certificate pinned: sign-on, a key, the next screen; the host restarts and
// the terminal comes back to it.
TEST_F(LinkTest, RunsTheDemoOverTlsWithAPinAndComesBackAfterTheHostRestarts) {
  ChildProcess demo;
  const std::uint16_t port = StartDemo(demo, 0);
  ASSERT_NE(port, 0) << demo.Output();
  IniEntries settings = HostSettings(port);
  settings.insert(settings.end(), {{"hosttls", "true"}, {"hosttlspin", TestPki::Get().host.pin}});
  Launch(settings);
  ASSERT_TRUE(demo.WaitFor("connected over TLSv1.", Millis(15000))) << demo.Output();
  const auto user = WaitControl(20);
  ASSERT_TRUE(user.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Type(user->handle, "joe") && probe_.Keys(user->handle, {"enter"})) << probe_.LastError();
  const auto password = WaitControl(21);
  ASSERT_TRUE(password.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Type(password->handle, "secret") && probe_.Keys(password->handle, {"enter"}));
  EXPECT_TRUE(demo.WaitFor("user joe signed on")) << demo.Output();

  demo.Stop();
  ChildProcess again;
  ASSERT_EQ(StartDemo(again, port), port) << again.Output();
  EXPECT_TRUE(again.WaitFor("sign-on screen sent", Millis(15000))) << again.Output();
  EXPECT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
}

// A pin of another certificate, TLS to a host without it, and clear text to a TLS host: the host never
// reads a record, Host Options says why in words an administrator can act on, and the terminal keeps
// trying (and keeps running). Each is set up through the dialog, as an administrator would.
TEST_F(LinkTest, RefusedLinksSayWhyAndAreTriedAgain) {
  const TestPki& pki = TestPki::Get();
  LoopbackServer pinned({false, &pki.host, ServerMode::kEcho, ""});
  LoopbackServer clear({false, nullptr, ServerMode::kEcho, "A\x01Sign on\xFF\xEF"});
  LoopbackServer tls({false, &pki.host, ServerMode::kEcho, ""});
  IniEntries settings = HostSettings(pinned.Port());
  settings.insert(settings.end(), {{"hosttls", "true"}, {"hosttlspin", pki.stranger.pin}});
  Launch(settings);
  const struct {
    LoopbackServer& server;
    std::string why;
  } steps[] = {{pinned, "certificate does not match the pin"},
               {clear, "host does not speak TLS"},
               {tls, "host closed the connection without answering"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.why);
    ASSERT_TRUE(WaitFor([&] { return step.server.Accepted() >= 2; }, Millis(15000))) << step.server.Accepted();
    const auto dialog = HostOptions();
    ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
    EXPECT_EQ(probe_.GetText(Item(*dialog, kLinkFailureItem)).value_or("<no text>"), step.why);
    if (&step.server == &pinned) {
      Redirect(*dialog, "127.0.0.1", clear.Port());
    } else if (&step.server == &clear) {
      // Clear text; a two-digit id, whose identify record a TLS host takes for a record header at once.
      ASSERT_TRUE(probe_.Post(Item(*dialog, kTlsItem), kButtonClick, 0, 0));
      ASSERT_TRUE(SetItemText(*dialog, kTerminalIdItem, "42"));
      Redirect(*dialog, "127.0.0.1", tls.Port());
    } else {
      ASSERT_TRUE(probe_.Keys(dialog->handle, {"esc"}));
      ASSERT_TRUE(Gone("Host Options"));
    }
  }
  EXPECT_TRUE(terminal_.Running());
  EXPECT_EQ(pinned.Received(), "");
  EXPECT_EQ(clear.Received().find("I\xFF\xEF"), std::string::npos) << "only TLS hellos";
  EXPECT_EQ(tls.Received(), "");
  EXPECT_EQ(Ini("hosttls"), "<missing>");
  EXPECT_EQ(Ini("hosttlspin"), "\"" + pki.stranger.pin + "\"") << "kept as it was";
}

// A host listening on the IPv6 loopback alone: reached by the address typed into Host Options, and by a
// name of ::1 where the machine has one.
TEST_F(LinkTest, ReachesAnIpv6HostByAddressAndByName) {
  LoopbackServer host({true, nullptr, ServerMode::kSilent, ""});
  Launch(HostSettings(host.Port()));  // 127.0.0.1: nobody there
  const std::optional<std::string> name = testing_support::Ipv6LoopbackName();
  for (const std::string& address : {std::string("::1"), name.value_or("")}) {
    if (address.empty()) continue;
    SCOPED_TRACE(address);
    const auto dialog = HostOptions();
    ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
    const std::size_t before = host.Received().size();
    Redirect(*dialog, address, host.Port());
    EXPECT_TRUE(host.WaitReceived(before + 4, Millis(15000)));
    EXPECT_EQ(host.Received().substr(before), "1I\xFF\xEF");
  }
  if (!name) GTEST_SKIP() << "no name resolves to ::1 here (see /etc/hosts): the host was not reached by name";
}

}  // namespace
}  // namespace vantor::e2e
