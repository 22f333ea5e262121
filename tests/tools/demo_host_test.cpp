// The demo host program: bad records and resets never stop it, and a bad port is refused.
#include <gtest/gtest.h>

#include "platform/net.h"
#include "tool_process.h"

namespace vantor {
namespace {

const std::string kBuild = VANTOR_BUILD_DIR;

TEST(DemoHost, OutlivesBadRecordsAndResets) {
  testing_support::ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.Output();
  for (const std::string& bytes :
       {std::string("\xFF\xFF\xFF\xEF"), std::string("123R\xFF\xEF"), std::string(70000, 'x'),
        std::string("1I\xFF\xEF\x31RF\0\xFF\xEF", 10), std::string("\xEF\xFF")}) {
    const net::Handle socket = net::OpenTcp();
    ASSERT_TRUE(net::Connect(socket, net::ParseIpv4("127.0.0.1"), port));
    net::Send(socket, bytes.data(), static_cast<int>(bytes.size()));
    net::SetLingerZero(socket);  // a reset, not a goodbye
    net::Close(socket);
  }
  testing_support::ChildProcess terminal(
      {kBuild + "/vantor-headless", "--settings", testing_support::EmptySettingsFile(), "--host",
       "127.0.0.1:" + std::to_string(port)},
      {.input = "wait connected 5\nwait 5\nexpect VANTOR WAREHOUSE\nquit\n"});
  EXPECT_EQ(terminal.WaitExit(), 0);
  EXPECT_EQ(terminal.Output(), "ok\nok\nok\nok\n");
}

TEST(DemoHost, RefusesAPortThatIsNoPort) {
  testing_support::ExpectRefused(kBuild + "/demo_host", {{"x"}, {"70000"}, {"-1"}}, "is not a port number");
}

}  // namespace
}  // namespace vantor
