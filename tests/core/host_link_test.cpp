// Host link rules: record framing and assembly, the link over loopback TCP, and the session thread on it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effects_recorder.h"
#include "session/host_connection.h"
#include "session/host_link.h"
#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "session/terminal.h"
#include "settings/settings.h"
#include "test_host.h"
#include "test_session_port.h"

namespace vantor {
namespace {

using testing_support::kRecordEnd;
using testing_support::TestHost;
using testing_support::HostRecord;
using testing_support::TestSessionPort;
using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using namespace std::chrono_literals;

std::string Unescape(std::string bytes, bool& pending) {
  auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
  bytes.resize(static_cast<std::size_t>(UnescapeInPlace(data, static_cast<int>(bytes.size()), pending)));
  return bytes;
}

TEST(WSockComFraming, TerminalIdPrefixKeepsAtMostThreeDigits) {
  EXPECT_EQ(TerminalIdPrefix(0), "");
  EXPECT_EQ(TerminalIdPrefix(-5), "");
  EXPECT_EQ(TerminalIdPrefix(1), "1");
  EXPECT_EQ(TerminalIdPrefix(999), "999");
  // From a hand-edited file: held to the dialog's highest id.
  EXPECT_EQ(TerminalIdPrefix(1000), "999");
  EXPECT_EQ(TerminalIdPrefix(123456789), "999");
}

TEST(WSockComFraming, PieceSizeIsBoundedAndNeverZero) {
  EXPECT_EQ(SendPieceSize(-1), 2000);  // unreadable: 8192 assumed
  EXPECT_EQ(SendPieceSize(0), 1);
  EXPECT_EQ(SendPieceSize(1), 1);
  EXPECT_EQ(SendPieceSize(2000), 2000);
  EXPECT_EQ(SendPieceSize(65536), 2000);
}

TEST(WSockComFraming, EscapedPairsAreReduced) {
  bool pending = false;
  EXPECT_EQ(Unescape("\x41\xFF\xFF\x42", pending), "\x41\xFF\x42");
  EXPECT_FALSE(pending);
  EXPECT_EQ(Unescape("\xFF\xFF\xFF\xFF", pending), "\xFF\xFF");
  EXPECT_FALSE(pending);
  EXPECT_EQ(Unescape("a\xFF\xEF", pending), "a\xFF\xEF");
  EXPECT_EQ(Unescape("", pending), "");
}

TEST(WSockComFraming, PairSplitBetweenReadsIsReducedOnce) {
  bool pending = false;
  EXPECT_EQ(Unescape("\x41\xFF", pending), "\x41\xFF");
  EXPECT_TRUE(pending);
  EXPECT_EQ(Unescape("\xFF\x42", pending), "\x42");
  EXPECT_FALSE(pending);
  // Three 0xFF: one pair and a lone one whose partner comes next.
  EXPECT_EQ(Unescape("\xFF\xFF\xFF", pending), "\xFF\xFF");
  EXPECT_TRUE(pending);
  EXPECT_EQ(Unescape("\xFF", pending), "");
  EXPECT_FALSE(pending);
  // A lone 0xFF followed by other data leaves nothing pending.
  EXPECT_EQ(Unescape("\xFF", pending), "\xFF");
  EXPECT_EQ(Unescape("\xEF\xFF", pending), "\xEF\xFF");
  EXPECT_TRUE(pending);
  EXPECT_EQ(Unescape("c", pending), "c");
  EXPECT_FALSE(pending);
}

TEST(WSockComResolve, EmptyBroadcastLoopbackAndEmbeddedNul) {
  EXPECT_EQ(net::ResolveHost(""), 0u);
  EXPECT_EQ(net::ResolveHost("255.255.255.255"), 0xFFFFFFFFu);
  const std::uint32_t loopback = net::ResolveHost("127.0.0.1");
  const std::uint8_t expected[4] = {127, 0, 0, 1};
  EXPECT_EQ(std::memcmp(&loopback, expected, 4), 0);  // network order
  EXPECT_EQ(net::ResolveHost(std::string("127.0.0.1\0x", 11)), 0u);
}

// A transport connected to a scripted host.
class WSockComLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Listening());
    ASSERT_TRUE(link.Connect("127.0.0.1", host.Port())) << link.LastError();
    ASSERT_TRUE(host.Accept(5s));
    EXPECT_TRUE(link.IsConnected());
  }

  // Reads once; waits up to 5 s for something to arrive.
  std::string ReadOnce() {
    std::uint8_t buffer[8192];
    const int got = link.Receive(buffer, sizeof buffer, 5);
    if (got <= 0) return "<" + std::to_string(got) + ">";
    return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(got));
  }

  TestHost host;
  HostLink link;
};

TEST_F(WSockComLink, RecordsAreFramedWithPrefixAndTerminator) {
  ASSERT_TRUE(link.Send(1, "H"));
  ASSERT_TRUE(link.Send(0, "H"));
  ASSERT_TRUE(link.Send(0, ""));
  ASSERT_TRUE(link.Send(42, "RF0/"));
  ASSERT_TRUE(link.Send(5000, "I"));
  ASSERT_TRUE(link.Send(3, std::string_view("AB\0C", 4)));  // data end at a zero byte
  ASSERT_TRUE(link.Send(3, "R\xFF\x30"));                  // 0xFF goes out as it is
  const std::string expected = "1H" + kRecordEnd + "H" + kRecordEnd + kRecordEnd + "42RF0/" + kRecordEnd +
                               "999I" + kRecordEnd + "3AB" + kRecordEnd + "3R\xFF\x30" + kRecordEnd;
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(host.ReadRecord(5s).has_value()) << i;
  EXPECT_EQ(host.ReceivedBytes(), expected);
}

TEST_F(WSockComLink, LongRecordsArriveWholeWithOneTerminator) {
  for (const std::size_t length : {1993u, 1994u, 1995u, 2000u, 4000u, 4001u, 70000u}) {
    std::string data(length, 'x');
    for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(link.Send(123, data)) << length;
    const auto record = host.ReadRecord(5s);
    ASSERT_TRUE(record.has_value()) << length;
    EXPECT_EQ(record->terminalId, "123");
    EXPECT_EQ(record->body, data) << length;
  }
  EXPECT_TRUE(host.NothingArrives(50ms));
}

TEST_F(WSockComLink, RecordsOfTwoThreadsNeverInterleave) {
  // Responses go out on the UI thread while the session thread sends its own records.
  constexpr int kEach = 150;
  std::atomic<int> ready{0};
  const auto sender = [&](char letter) {
    const std::string data(20001, letter);
    ++ready;
    while (ready.load() < 2) std::this_thread::yield();
    for (int i = 0; i < kEach; ++i) ASSERT_TRUE(link.Send(1, data));
  };
  std::thread first(sender, 'a');
  std::thread second(sender, 'b');
  int seen = 0, mixed = 0;
  for (; seen < 2 * kEach; ++seen) {
    // A slow reader first, so that both senders wait on a full connection together.
    if (seen < 20) std::this_thread::sleep_for(5ms);
    const auto record = host.ReadRecord(10s);
    if (!record) break;
    if (record->body.size() != 20001u || record->body.find_first_not_of(record->body[0]) != std::string::npos)
      ++mixed;
  }
  first.join();
  second.join();
  EXPECT_EQ(seen, 2 * kEach);
  EXPECT_EQ(mixed, 0);
}

TEST_F(WSockComLink, ReceiveUnescapesAndCarriesASplitPair) {
  ASSERT_TRUE(host.SendRaw("\x41\xFF\xFF\x42"));
  EXPECT_EQ(ReadOnce(), "\x41\xFF\x42");
  ASSERT_TRUE(host.SendRaw("C\xFF"));
  EXPECT_EQ(ReadOnce(), "C\xFF");
  ASSERT_TRUE(host.SendRaw("\xFF" "D"));
  EXPECT_EQ(ReadOnce(), "D");
  // Only the second half of a pair arrives: nothing to hand on, and not a close either.
  ASSERT_TRUE(host.SendRaw("\xFF"));
  EXPECT_EQ(ReadOnce(), "\xFF");
  ASSERT_TRUE(host.SendRaw("\xFF"));
  EXPECT_EQ(ReadOnce(), "<-1>");
  EXPECT_TRUE(link.IsConnected());
}

TEST_F(WSockComLink, ReceiveTimesOutThenSeesTheHostClose) {
  std::uint8_t buffer[16];
  EXPECT_EQ(link.Receive(buffer, sizeof buffer, 0), -1);
  ASSERT_TRUE(host.HalfClose());
  EXPECT_EQ(ReadOnce(), "<0>");
}

TEST_F(WSockComLink, AfterCloseNothingIsSentOrReceived) {
  EXPECT_TRUE(link.Close());
  EXPECT_TRUE(link.Close());  // twice is harmless
  EXPECT_FALSE(link.Send(1, "H"));
  std::uint8_t buffer[16];
  EXPECT_EQ(link.Receive(buffer, sizeof buffer, 5), -1);  // fails at once, no wait
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(host.ReceivedBytes(), "");
}

TEST_F(WSockComLink, FailedSendClosesTheConnection) {
  host.CloseConnection();
  // The first send after the peer went away may still be accepted locally; a later one fails.
  bool failed = false;
  for (int i = 0; i < 50 && !failed; ++i) {
    failed = !link.Send(1, "RF00");
    if (!failed) std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(failed);
  EXPECT_FALSE(link.IsConnected());
  std::uint8_t buffer[16];
  EXPECT_EQ(link.Receive(buffer, sizeof buffer, 5), -1);
}

TEST_F(WSockComLink, ConnectAgainReplacesTheConnection) {
  ASSERT_TRUE(link.Connect("127.0.0.1", host.Port()));
  ASSERT_TRUE(host.Accept(5s));
  EXPECT_EQ(host.AcceptCount(), 2);
  ASSERT_TRUE(link.Send(7, "I"));
  const auto record = host.ReadRecord(5s);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->raw, "7I" + kRecordEnd);
}

TEST(WSockComConnect, FailuresLeaveTheTransportUnconnected) {
  std::uint16_t unused;
  {
    TestHost gone;
    ASSERT_TRUE(gone.Listening());
    unused = gone.Port();
  }
  HostLink link;
  EXPECT_FALSE(link.Connect("127.0.0.1", unused));
  EXPECT_NE(link.LastError(), 0);
  EXPECT_FALSE(link.IsConnected());
  EXPECT_FALSE(link.Connect("", 80));
  EXPECT_FALSE(link.IsConnected());
  EXPECT_TRUE(link.Close());
}

const std::string kEnd("\xFF\xEF", 2);

class Collector {
 public:
  explicit Collector(std::size_t limit = kMaxRecordBytes) : assembler(limit) {}
  Collector& Feed(const std::string& chunk) {
    assembler.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()),
                   [this](RecordBytes record) { records.emplace_back(record.begin(), record.end()); });
    return *this;
  }
  RecordAssembler assembler;
  std::vector<std::string> records;
};

using Records = std::vector<std::string>;

TEST(RecordAssembler, CutsAtEachTerminatorInOrder) {
  Collector c;
  c.Feed("Hab" + kEnd + "Hcd" + kEnd + "Q");
  EXPECT_EQ(c.records, (Records{"Hab" + kEnd, "Hcd" + kEnd}));
  EXPECT_EQ(c.assembler.PendingBytes(), 1u);
  c.Feed(kEnd);
  EXPECT_EQ(c.records.back(), "Q" + kEnd);
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
}

TEST(RecordAssembler, RecordOverThreeChunksIsDeliveredOnceAtItsTerminator) {
  Collector c;
  c.Feed("H12");
  c.Feed("34");
  EXPECT_TRUE(c.records.empty());
  c.Feed("5" + kEnd);
  EXPECT_EQ(c.records, (Records{"H12345" + kEnd}));
}

TEST(RecordAssembler, BackToBackTerminatorsAreRecordsOfTheirOwn) {
  Collector c;
  c.Feed(kEnd + kEnd + "A" + kEnd);
  EXPECT_EQ(c.records, (Records{kEnd, kEnd, "A" + kEnd}));
}

TEST(RecordAssembler, TerminatorSplitBetweenChunksIsRecognised) {
  Collector c;
  c.Feed("Hab\xFF");
  EXPECT_TRUE(c.records.empty());
  c.Feed("\xEF" "Q" + kEnd);
  EXPECT_EQ(c.records, (Records{"Hab" + kEnd, "Q" + kEnd}));
  // An empty read in between changes nothing.
  c.Feed("R\xFF").Feed("").Feed("\xEF");
  EXPECT_EQ(c.records.back(), "R" + kEnd);
  // A bare terminator split in two.
  c.Feed("\xFF").Feed("\xEF");
  EXPECT_EQ(c.records.back(), kEnd);
  EXPECT_EQ(c.records.size(), 4u);
}

TEST(RecordAssembler, LoneFfBytesStayInTheRecord) {
  Collector c;
  c.Feed("a\xFF").Feed("b" + kEnd);  // 0xFF then not 0xEF: no terminator
  c.Feed("\xFF").Feed("\xFF\xEF");   // 0xFF then 0xFF 0xEF
  c.Feed("\xEF\xFF" + kEnd);         // a leading 0xEF after a complete record is data
  EXPECT_EQ(c.records, (Records{"a\xFF" "b" + kEnd, "\xFF\xFF\xEF", "\xEF\xFF" + kEnd}));
}

TEST(RecordAssembler, OversizedRecordIsDroppedWholeAndTheNextOneCounts) {
  Collector c(16);
  c.Feed(std::string(10, 'x'));
  c.Feed(std::string(10, 'x'));
  EXPECT_TRUE(c.assembler.Discarding());
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);  // nothing of it held any more
  for (int i = 0; i < 1000; ++i) c.Feed(std::string(100, 'y'));
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
  c.Feed("zz" + kEnd + "Q" + kEnd);
  EXPECT_FALSE(c.assembler.Discarding());
  EXPECT_EQ(c.records, (Records{"Q" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, LimitCountsTheTerminator) {
  Collector c(8);
  c.Feed("H12345" + kEnd);   // 8 bytes: kept
  c.Feed("H123456" + kEnd);  // 9 bytes: dropped
  c.Feed("H1" + kEnd);
  EXPECT_EQ(c.records, (Records{"H12345" + kEnd, "H1" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, OversizedRecordEndingInASplitTerminator) {
  Collector c(8);
  c.Feed(std::string(20, 'x') + "\xFF");
  c.Feed("\xEF" "A" + kEnd);
  EXPECT_EQ(c.records, (Records{"A" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, DefaultLimitPassesALargeScreenRecord) {
  Collector c;
  const std::string big = "H" + std::string(1024 * 1024, 'a');
  for (std::size_t at = 0; at < big.size(); at += 8192) c.Feed(big.substr(at, 8192));
  c.Feed(kEnd);
  ASSERT_EQ(c.records.size(), 1u);
  EXPECT_EQ(c.records[0], big + kEnd);
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
}

TEST(RecordAssembler, ResetForgetsTheUnfinishedRecord) {
  Collector c(8);
  c.Feed("Hab\xFF");
  c.assembler.Reset();
  c.Feed("\xEF" "Q" + kEnd);  // the 0xEF no longer completes anything
  EXPECT_EQ(c.records, (Records{"\xEFQ" + kEnd}));
  c.Feed(std::string(20, 'x'));
  c.assembler.Reset();
  EXPECT_FALSE(c.assembler.Discarding());
  c.Feed("A" + kEnd);
  EXPECT_EQ(c.records.back(), "A" + kEnd);
}

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
  ASSERT_TRUE(port.Pump([&] { return port.Starts() != 0; }, 5s));
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
