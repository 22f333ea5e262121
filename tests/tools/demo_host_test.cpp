// The demo host program: its refusals, stock shared between terminals, bad records and a bad command
// line, seen through headless terminals on real connections.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "headless/runner.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "tool_process.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using testing_support::Child;

const std::string kBuild = VANTOR_BUILD_DIR;

class DemoHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(port_, 0) << demo_.output; }

  // A terminal signed on to the receiving screen, or with the failing command's reply in `why`.
  std::unique_ptr<HeadlessRunner> Operator(int id, const std::string& user) {
    auto settings = std::make_unique<Settings>();
    settings->SetHostName(u"127.0.0.1");
    settings->SetHostPort(port_);
    settings->SetTerminalId(id);
    auto runner = std::make_unique<HeadlessRunner>(*settings);
    settings_.push_back(std::move(settings));
    runner->Start();
    Run(*runner, {"wait connected 5", "wait 5", "type " + user, "key Enter", "wait 5", "type pw", "key Enter",
                  "wait 5", "tap 20", "wait 5", "expect RECEIVING"});
    return runner;
  }

  static void Run(HeadlessRunner& runner, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_EQ(runner.Execute(line).status, "ok") << line;
  }

  static std::string Status(HeadlessRunner& runner) { return runner.Execute("status").data.at(0); }

  Child demo_{{kBuild + "/demo_host", "0"}};
  std::uint16_t port_ = demo_.Port("listening on 127.0.0.1");
  std::vector<std::unique_ptr<Settings>> settings_;  // each runner's, kept as long as it runs
};

TEST_F(DemoHostTest, RefusesAnEmptyUserAndABadQuantityWithMessages) {
  auto settings = std::make_unique<Settings>();
  settings->SetHostName(u"127.0.0.1");
  settings->SetHostPort(port_);
  HeadlessRunner first(*settings);
  first.Start();
  Run(first, {"wait connected 5", "wait 5", "key Enter", "wait 5"});
  EXPECT_NE(Status(first).find("Enter your user id"), std::string::npos) << Status(first);

  auto receiving = Operator(2, "ANN");
  Run(*receiving, {"type A100", "key Enter", "wait 5", "type 0", "key SAVE", "wait 5"});
  EXPECT_NE(Status(*receiving).find("Quantity must be 1 to 99999"), std::string::npos) << Status(*receiving);
}

TEST_F(DemoHostTest, StockIsSharedBetweenTerminals) {
  auto ann = Operator(1, "ANN"), bob = Operator(2, "BOB");
  const std::vector<std::string> receiveFive = {"type B7", "key Enter", "wait 5", "type 5", "key SAVE", "wait 5",
                                                "answer Y", "wait 5"};
  Run(*ann, receiveFive);
  EXPECT_NE(Status(*ann).find("On hand: 5."), std::string::npos) << Status(*ann);
  Run(*bob, receiveFive);
  EXPECT_NE(Status(*bob).find("On hand: 10."), std::string::npos) << Status(*bob);
}

TEST_F(DemoHostTest, BadRecordsAndResetsNeverStopIt) {
  const std::vector<std::string> garbage = {std::string("\xFF\xFF\xFF\xEF", 4), "123R\xFF\xEF", std::string(70000, 'x'),
                                            "1I\xFF\xEF" "1RF" + std::string(1, '\0') + "\xFF\xEF", "\xEF\xFF"};
  for (const std::string& bytes : garbage) {
    const net::Handle socket = net::OpenTcp();
    ASSERT_NE(socket, net::kInvalid);
    ASSERT_TRUE(net::Connect(socket, net::ParseIpv4("127.0.0.1"), port_));
    net::Send(socket, bytes.data(), static_cast<int>(bytes.size()));
    net::SetLingerZero(socket);  // a reset, not a goodbye
    net::Close(socket);
  }
  auto runner = Operator(3, "CAT");
  EXPECT_EQ(runner->Execute("expect RECEIVING").status, "ok");
}

TEST(DemoHostProgram, RefusesAPortThatIsNoPort) {
  for (const char* port : {"x", "70000", "-1"}) {
    Child demo({kBuild + "/demo_host", port});
    EXPECT_EQ(demo.Exit(), 2) << port << ": " << demo.output;
    EXPECT_NE(demo.output.find("is not a port number"), std::string::npos) << demo.output;
  }
}

}  // namespace
}  // namespace vantor
