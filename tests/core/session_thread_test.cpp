// Tests of the host connection's session thread against the scripted host over loopback TCP.
#include "session/host_connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "test_host.h"
#include "test_session_port.h"

namespace vantor {
namespace {

using testing_support::HostRecord;
using testing_support::kRecordEnd;
using testing_support::TestHost;
using testing_support::TestSessionPort;
using namespace std::chrono_literals;

constexpr int kTerminalId = 7;

// Stands in for the session object: answers through the real link, logs screen runs and resets.
// Used on the UI side only (under the port's lock).
class RecordingTarget final : public DispatchTarget {
 public:
  explicit RecordingTarget(HostConnection& connection) : connection_(connection) {}
  void SendOwnRecord(std::string_view record, bool withPrefix) override {
    connection_.SendRecord(withPrefix ? kTerminalId : 0, record);
  }
  void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) override {
    screens.emplace_back(begin, end);
  }
  void ResetScreen() override { ++resets; }

  std::vector<std::string> screens;
  int resets = 0;

 private:
  HostConnection& connection_;
};

class SessionThreadTest : public ::testing::Test {
 protected:
  explicit SessionThreadTest(TestSessionPort::Mode mode = TestSessionPort::Mode::Direct)
      : port([this](RecordBytes record) { DispatchRecord(target, record); }, mode), session(port), target(session) {}

  ConnectionParams Params(std::uint16_t hostPort) {
    ConnectionParams params;
    params.hostName = "127.0.0.1";
    params.port = hostPort;
    params.terminalId = kTerminalId;
    params.onConnected = [this] { ++stamps; };
    return params;
  }

  // Starts the session and takes its identification.
  void StartIdentified() {
    ASSERT_TRUE(host.Listening());
    ASSERT_TRUE(session.Start(Params(host.Port())));
    ASSERT_TRUE(host.Accept(5s));
    const auto identification = host.ReadRecord(5s);
    ASSERT_TRUE(identification.has_value());
    ASSERT_EQ(identification->raw, "7I" + kRecordEnd);
  }

  // Sends raw bytes and returns the next record the terminal answers with.
  std::string Answer(const std::string& bytes) {
    if (!host.SendRaw(bytes)) return "<send failed>";
    const auto record = host.ReadRecord(5s);
    return record ? record->raw : "<none>";
  }

  template <typename F>
  auto Ui(F&& fn) {
    return port.WithLock(fn);
  }

  TestHost host;
  TestSessionPort port;
  HostConnection session;
  RecordingTarget target;
  std::atomic<int> stamps{0};
};

TEST_F(SessionThreadTest, IdentifiesAfterConnectingAndStopsWithoutGoodbye) {
  StartIdentified();
  EXPECT_EQ(stamps.load(), 1);
  EXPECT_EQ(port.Starts(), 1);
  const auto started = std::chrono::steady_clock::now();
  session.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);  // the close ends the 5-second wait
  EXPECT_TRUE(session.Finished());
  EXPECT_FALSE(session.Kept());
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(host.ReceivedBytes(), "7I" + kRecordEnd);  // no "&" after a stop
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{1});
}

TEST_F(SessionThreadTest, RecordTypesAreAnsweredByteForByte) {
  StartIdentified();
  EXPECT_EQ(Answer("A" + kRecordEnd), "7I" + kRecordEnd);
  EXPECT_EQ(Answer("Hxyz" + kRecordEnd), "7H" + kRecordEnd);
  EXPECT_EQ(Answer(kRecordEnd), kRecordEnd);
  EXPECT_EQ(Answer("I" + kRecordEnd), kRecordEnd);
  EXPECT_TRUE(host.NothingArrives(100ms));
  Ui([&] {
    EXPECT_EQ(target.screens, std::vector<std::string>{"xyz" + kRecordEnd});
    EXPECT_EQ(target.resets, 1);
    return 0;
  });
  // Escaped 0xFF bytes reach the screen commands as single bytes.
  EXPECT_EQ(Answer("H\x31\xFF\xFF\x32" + kRecordEnd), "7H" + kRecordEnd);
  Ui([&] {
    EXPECT_EQ(target.screens.back(), "\x31\xFF\x32" + kRecordEnd);
    return 0;
  });
  session.Stop();
}

TEST_F(SessionThreadTest, RecordsJoinedInOneWriteAreDeliveredOneByOne) {
  // Records cut anywhere are the assembler's; here two in one write, answered in order.
  StartIdentified();
  ASSERT_TRUE(host.SendRaw("Ha" + kRecordEnd + "Hb" + kRecordEnd));
  for (int i = 0; i < 2; ++i) {
    const auto answer = host.ReadRecord(5s);
    ASSERT_TRUE(answer.has_value()) << i;
    EXPECT_EQ(answer->raw, "7H" + kRecordEnd);
  }
  EXPECT_EQ(port.Records(), (std::vector<std::string>{"Ha" + kRecordEnd, "Hb" + kRecordEnd}));
  session.Stop();
}

TEST_F(SessionThreadTest, HostCloseIsAnsweredWithGoodbyeAndEndsForReconnection) {
  StartIdentified();
  ASSERT_TRUE(host.HalfClose());
  const auto goodbye = host.ReadRecord(5s);
  ASSERT_TRUE(goodbye.has_value());
  EXPECT_EQ(goodbye->raw, "7&" + kRecordEnd);
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  ASSERT_TRUE(port.WaitEnded(5s));
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{0});
  EXPECT_TRUE(session.Kept());
  session.Stop();  // as the main window does on the end message
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{0});

  // The reconnection: a new session identifies again.
  ASSERT_TRUE(session.Start(Params(host.Port())));
  ASSERT_TRUE(host.Accept(5s));
  const auto again = host.ReadRecord(5s);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->raw, "7I" + kRecordEnd);
  EXPECT_EQ(stamps.load(), 2);
  session.Stop();
  EXPECT_EQ(port.EndedFlags(), (std::vector<int>{0, 1}));
}

TEST_F(SessionThreadTest, ClosedSocketWithoutStopEndsTheSessionAsAHostClose) {
  StartIdentified();
  // What a failed response send does to the link from the UI thread.
  const auto started = std::chrono::steady_clock::now();
  session.Link().Close();
  ASSERT_TRUE(port.WaitEnded(5s));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);  // not one round of the 5-second wait
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{0});
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(host.ReceivedBytes(), "7I" + kRecordEnd);  // the goodbye could not go out
  session.Stop();
}

TEST_F(SessionThreadTest, UnreachableHostEndsWithoutAnyRecord) {
  std::uint16_t unused;
  {
    TestHost gone;
    ASSERT_TRUE(gone.Listening());
    unused = gone.Port();
  }
  ASSERT_TRUE(session.Start(Params(unused)));
  ASSERT_TRUE(port.WaitEnded(5s));
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{0});
  EXPECT_EQ(port.Starts(), 1);
  EXPECT_TRUE(port.Records().empty());
  EXPECT_EQ(stamps.load(), 0);
  EXPECT_FALSE(session.Link().IsConnected());
  session.Stop();
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{0});
}

TEST_F(SessionThreadTest, OversizedRecordIsPassedOverAndTheSessionGoesOn) {
  StartIdentified();
  std::thread writer([&] {
    host.SendRaw("H" + std::string(kMaxRecordBytes, 'x') + kRecordEnd + "Q" + kRecordEnd);
  });
  const auto answer = host.ReadRecord(30s);
  writer.join();
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->raw, kRecordEnd);  // the Q's answer, and no "H" before it
  EXPECT_EQ(port.Records(), std::vector<std::string>{"Q" + kRecordEnd});
  EXPECT_EQ(Answer("A" + kRecordEnd), "7I" + kRecordEnd);
  session.Stop();
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{1});
}

TEST_F(SessionThreadTest, StartWhileAThreadIsKeptIsRefused) {
  StartIdentified();
  EXPECT_FALSE(session.Start(Params(host.Port())));
  EXPECT_FALSE(host.Accept(200ms));  // no second connection
  EXPECT_EQ(Answer("A" + kRecordEnd), "7I" + kRecordEnd);
  session.Stop();
  session.Stop();  // a second stop finds nothing to wait for
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{1});
}

class SessionThreadQueuedTest : public SessionThreadTest {
 protected:
  SessionThreadQueuedTest() : SessionThreadTest(TestSessionPort::Mode::Queued) {}
};

TEST_F(SessionThreadQueuedTest, StopServesARecordTheThreadWaitsToDeliver) {
  ASSERT_TRUE(session.Start(Params(host.Port())));
  // The thread waits for the UI side to take the indicator before it connects.
  ASSERT_TRUE(port.Pump([&] { return !port.Starts() == 0; }, 5s));
  ASSERT_TRUE(host.Accept(5s));
  ASSERT_TRUE(host.ReadRecord(5s).has_value());
  ASSERT_TRUE(host.SendRecord("Hz"));
  // The thread now waits in DeliverRecord for the UI thread, which is about to stop it.
  ASSERT_TRUE(port.WaitForPendingCall(5s));
  const auto started = std::chrono::steady_clock::now();
  session.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
  EXPECT_EQ(port.Records(), std::vector<std::string>{"Hz" + kRecordEnd});
  EXPECT_EQ(port.EndedFlags(), std::vector<int>{1});
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  // The answer went nowhere: the link was closed by the stop before the record was served.
  EXPECT_EQ(host.ReceivedBytes(), "7I" + kRecordEnd);
}

}  // namespace
}  // namespace vantor
