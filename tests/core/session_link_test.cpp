// Tests of the terminal on a real loopback connection: start, identification, responses on the link, stop.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "settings/settings.h"
#include "effects_recorder.h"
#include "session/host_connection.h"
#include "session/terminal.h"
#include "test_host.h"
#include "test_session_port.h"

namespace vantor {
namespace {

using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using testing_support::kRecordEnd;
using testing_support::TestHost;
using testing_support::TestSessionPort;
using namespace std::chrono_literals;

class SessionLinkTest : public ::testing::Test {
 protected:
  SessionLinkTest() {
    settings.SetHostName(u"127.0.0.1");
    settings.SetHostPort(host.Port());
    settings.SetTerminalId(5);
    settings.SetScreenSize(80, 24);
    clock.second = 33;
  }
  ~SessionLinkTest() override { connection.Stop(); }

  std::string NextRecord() {
    const auto record = host.ReadRecord(5s);
    return record ? record->raw : "<none>";
  }

  template <typename F>
  auto Ui(F&& fn) {
    return port.WithLock(fn);
  }

  TestHost host;
  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  // Declared before the connection, so it outlives it.
  TestSessionPort port{[this](RecordBytes record) { terminal.ReceiveRecord(record); }};
  HostConnection connection{port};
  Terminal terminal{settings, effects, connection, clock};
  Screen& screen = terminal.GetScreen();
};

TEST_F(SessionLinkTest, IdentifiesRespondsOnTheLinkAndStopsWithoutGoodbye) {
  ASSERT_TRUE(host.Listening());
  ASSERT_TRUE(connection.Start(terminal.Restart()));
  EXPECT_FALSE(connection.Start(ConnectionParams{}));  // one session thread at a time
  ASSERT_TRUE(host.Accept(5s));
  EXPECT_EQ(NextRecord(), "5I" + kRecordEnd);
  Ui([&] {
    EXPECT_EQ(screen.columns, 80);
    EXPECT_EQ(screen.rows, 24);
    EXPECT_EQ(terminal.TerminalId(), 5);
    EXPECT_EQ(terminal.SessionStamp(), 33);
    return 0;
  });

  ASSERT_TRUE(host.SendRecord("A"));
  EXPECT_EQ(NextRecord(), "5I" + kRecordEnd);

  // A key while the host has not unlocked the keyboard goes nowhere; once unlocked it goes out once.
  const FunctionKey f3 = FunctionKeyFromCode(3);
  Ui([&] { return terminal.KeyPressed(-1, f3); });
  Ui([&] {
    screen.keyboard = Keyboard::Ready;
    return terminal.KeyPressed(-1, f3);
  });
  EXPECT_EQ(NextRecord(), "5RF3/" + kRecordEnd);
  Ui([&] { return terminal.KeyPressed(-1, FunctionKeyFromCode(4)); });
  EXPECT_TRUE(host.NothingArrives(100ms));

  connection.Stop();
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(host.ReceivedBytes(), "5I" + kRecordEnd + "5I" + kRecordEnd + "5RF3/" + kRecordEnd);
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{1});
}

}  // namespace
}  // namespace vantor
