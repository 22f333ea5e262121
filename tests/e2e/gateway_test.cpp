// Vantor.exe through vantor-gateway: its link reset on a screen the host filled, it connects again and
// finds the same screen, the host's values and its own typing in it, and the host session goes on
// without a second sign-on.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "loopback_listener.h"
#include "platform/net.h"
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// The Wi-Fi between the terminal and the gateway: passes bytes both ways, one connection at a time, and
// when cut resets both ends at once.
class CuttableLink {
 public:
  explicit CuttableLink(std::uint16_t gatewayPort) : gatewayPort_(gatewayPort), thread_([this] { Run(); }) {}
  ~CuttableLink() {
    stop_ = true;
    thread_.join();
  }
  std::uint16_t Port() const { return listener_.Port(); }
  void Cut() { cut_ = true; }

 private:
  void Run() {
    while (!stop_) {
      if (ends_[0] < 0) {
        ends_[0] = static_cast<int>(listener_.Accept(Millis(100)));
        if (ends_[0] >= 0) Open();
        continue;
      }
      if (cut_.exchange(false)) {
        Reset();
        continue;
      }
      pollfd entries[2] = {{ends_[0], POLLIN, 0}, {ends_[1], POLLIN, 0}};
      if (::poll(entries, 2, 100) <= 0) continue;
      for (int from = 0; from < 2; ++from) {
        if (entries[from].revents == 0) continue;
        char buffer[4096];
        const ssize_t n = ::recv(ends_[from], buffer, sizeof buffer, 0);
        if (n <= 0 || ::send(ends_[1 - from], buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) != n) {
          Reset();
          break;
        }
      }
    }
    Reset();
  }

  void Open() {
    const net::Address address = net::Resolve("127.0.0.1", gatewayPort_).addresses.at(0);
    ends_[1] = static_cast<int>(net::OpenStream(address));
    if (net::ConnectWithin(ends_[1], address, net::Wakeup(), 5000) != LinkFailure::kNone) Reset();
  }

  void Reset() {
    for (int& end : ends_) {
      if (end < 0) continue;
      const linger now{1, 0};
      ::setsockopt(end, SOL_SOCKET, SO_LINGER, &now, sizeof now);
      ::close(end);
      end = -1;
    }
  }

  std::uint16_t gatewayPort_;
  testing_support::LoopbackListener listener_;
  int ends_[2] = {-1, -1};
  std::atomic<bool> stop_{false}, cut_{false};
  std::thread thread_;
};

class GatewayTest : public TerminalTest {
 protected:
  // The text of control `id` on the shown page once the keyboard is free ("<none>" without one).
  std::string Text(long long id) {
    const auto control = WaitControl(id);
    return control ? probe_.GetText(control->handle).value_or("<no text>") : "<none>";
  }
  bool TypeAndPress(long long id, const std::string& text, const std::string& chord) {
    const auto control = WaitControl(id);
    return control && probe_.Type(control->handle, text) && probe_.Keys(control->handle, {chord});
  }
};

TEST_F(GatewayTest, AResetLinkComesBackToTheSameScreenWithoutASecondSignOn) {
  ChildProcess demo({ExecutableDir() + "/demo_host", "0"});
  const std::uint16_t demoPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(demoPort, 0) << demo.Output();
  const std::string traces = folder_ + "/traces";
  ChildProcess gateway({ExecutableDir() + "/vantor-gateway", "--listen", "127.0.0.1:0", "--host",
                        "127.0.0.1:" + std::to_string(demoPort), "--hold", "60", "--trace", traces});
  const std::uint16_t gatewayPort = gateway.Port("listening on 127.0.0.1");
  ASSERT_NE(gatewayPort, 0) << gateway.Output();
  CuttableLink wifi(gatewayPort);
  Launch(HostSettings(wifi.Port(), 5));

  // Signed on, in the stock inquiry (its button tapped in the menu), the host's answer for A100 on the
  // screen, and B200 typed after the item, not sent.
  ASSERT_TRUE(TypeAndPress(20, "joe", "enter")) << Describe(windows_);
  ASSERT_TRUE(TypeAndPress(21, "secret", "enter")) << Describe(windows_);
  ASSERT_TRUE(demo.WaitFor("user joe signed on")) << demo.Output();
  const auto inquiry = WaitControl(21);
  ASSERT_TRUE(inquiry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Tap(inquiry->x + inquiry->width / 2, inquiry->y + inquiry->height / 2));
  ASSERT_TRUE(WaitFor([&] { return Text(4) == "On hand:"; }, Millis(10000))) << Text(4);
  const auto item = WaitControl(20);
  ASSERT_TRUE(item && probe_.Keys(item->handle, {"shift+a"}) && TypeAndPress(20, "100", "enter"));
  ASSERT_TRUE(WaitFor([&] { return Text(7).starts_with("24 "); }, Millis(10000))) << Text(7);
  ASSERT_TRUE(probe_.Keys(item->handle, {"shift+b", "2", "0", "0"}));

  wifi.Cut();
  EXPECT_TRUE(gateway.WaitFor("hold id=5")) << gateway.Output();
  EXPECT_TRUE(gateway.WaitFor("come back id=5", Millis(20000))) << gateway.Output();
  EXPECT_TRUE(WaitFor([&] { return Text(7).starts_with("24 "); }, Millis(10000))) << Text(7) << Describe(windows_);
  EXPECT_EQ(Text(4), "On hand:");

  // The session goes on: the host reads what was typed before the cut with the next key, and answers.
  ASSERT_TRUE(probe_.Keys(WaitControl(20)->handle, {"enter"}));
  EXPECT_TRUE(WaitFor([&] { return Text(7).starts_with("unknown item"); }, Millis(10000))) << Text(7);
  EXPECT_NE(ReadFile(traces + "/5.trace").find("RF key=0 (Enter) focus=20 field=20 text=\"A100B200\""),
            std::string::npos)
      << ReadFile(traces + "/5.trace");
  const std::string log = demo.Output();
  EXPECT_EQ(log.find("sign-on screen sent"), log.rfind("sign-on screen sent")) << log;
}

}  // namespace
}  // namespace vantor::e2e
