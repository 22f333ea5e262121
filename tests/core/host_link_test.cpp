// Host link rules: record framing and assembly, the link over loopback TCP, and the session thread on it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "headless/queued_port.h"
#include "session/host_connection.h"
#include "session/host_link.h"
#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "session/wire_format.h"
#include "row_tables.h"
#include "test_host.h"

namespace vantor {
namespace {

using testing_support::kRecordEnd;
using testing_support::TestHost;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// A link connected to a scripted host.
class HostLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Listening());
    ASSERT_EQ(link.Connect("127.0.0.1", host.Port()), LinkFailure::kNone);
    ASSERT_TRUE(host.Accept(5s));
  }

  std::string ReadOnce(int seconds = 5) {
    std::uint8_t buffer[8192];
    const int got = link.Receive(buffer, sizeof buffer, seconds);
    if (got <= 0) return "<" + std::to_string(got) + ">";
    return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(got));
  }

  TestHost host;
  HostLink link;
};

TEST_F(HostLinkTest, RecordsAreFramedWithPrefixAndTerminatorWhateverTheirLength) {
  EXPECT_EQ(TerminalIdPrefix(-5), "");  // larger ids than 999, from a hand-edited file, are seen on the link
  // An unreadable send buffer (-1) counts as 8192.
  const std::pair<int, int> pieces[] = {{-1, 2000}, {0, 1}, {1, 1}, {2000, 2000}, {65536, 2000}};
  for (const auto& [buffer, piece] : pieces) EXPECT_EQ(SendPieceSize(buffer), piece) << buffer;
  testing_support::ForEachRow("framed records", [&](const std::vector<std::string>& w) {
    ASSERT_TRUE(link.Send(std::stoi(w.at(0)), testing_support::Text(w.at(1))));
    const auto record = host.ReadRecord(5s);
    EXPECT_EQ(record ? record->raw : "<none>", testing_support::Text(w.at(2)) + kRecordEnd);
  });
  // Long records go out in pieces with one terminator; 1995 bytes with a 3-digit prefix fill one piece.
  for (const std::size_t length : {1995u, 1996u, 2000u, 4001u, 70000u}) {
    std::string data(length, 'x');
    for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(link.Send(123, data)) << length;
    const auto record = host.ReadRecord(5s);
    EXPECT_EQ(record ? record->raw : "<none>", "123" + data + kRecordEnd) << length;
  }
  EXPECT_TRUE(host.NothingArrives(50ms));
}

TEST_F(HostLinkTest, RecordsOfTwoThreadsNeverInterleave) {
  // Responses go out on the UI thread while the session thread sends its own records.
  constexpr int kEach = 150;
  const auto sender = [&](char letter) {
    const std::string data(20001, letter);
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
    mixed += record->body != std::string(20001, record->body[0]);
  }
  first.join();
  second.join();
  EXPECT_EQ(seen, 2 * kEach);
  EXPECT_EQ(mixed, 0);
}

TEST_F(HostLinkTest, ReceiveUnescapesAcrossReadsAndEndsOnHostCloseOrFailedSend) {
  EXPECT_EQ(ReadOnce(0), "<-1>");
  // A lone 0xFF before other data, a pair, and a 0xFF whose partner may come in the next read.
  ASSERT_TRUE(host.SendRaw("C\xFF\xEF\xFF\xFF\xFF"));
  EXPECT_EQ(ReadOnce(), "C\xFF\xEF\xFF\xFF");
  ASSERT_TRUE(host.SendRaw("\xFF\x44"));
  EXPECT_EQ(ReadOnce(), "D");
  // Only the second half of a pair arrives: nothing to hand on, and not a close either.
  ASSERT_TRUE(host.SendRaw("\xFF"));
  EXPECT_EQ(ReadOnce(), "\xFF");
  ASSERT_TRUE(host.SendRaw("\xFF"));
  EXPECT_EQ(ReadOnce(), "<-1>");
  EXPECT_TRUE(link.IsConnected());
  ASSERT_TRUE(host.HalfClose());
  EXPECT_EQ(ReadOnce(), "<0>");
  // The peer's reset fails a long send part way, and that ends the connection.
  host.CloseConnection();
  EXPECT_FALSE(link.Send(1, std::string(1 << 20, 'x')));
  EXPECT_FALSE(link.IsConnected());
  EXPECT_EQ(ReadOnce(), "<0>");
}

std::uint16_t UnusedPort() {
  TestHost gone;
  return gone.Listening() ? gone.Port() : 0;
}

// A link that never connected, or whose connect failed, closes quietly, says why and neither sends nor
// reads.
TEST(HostLinkUnconnected, ClosesQuietlyAndSaysWhyTheConnectFailed) {
  HostLink link;
  link.Close();
  EXPECT_FALSE(link.Send(1, "H"));
  std::uint8_t buffer[16];
  EXPECT_EQ(link.Receive(buffer, sizeof buffer, 0), -1);
  const std::uint16_t port = UnusedPort();
  ASSERT_NE(port, 0);
  EXPECT_EQ(link.Connect("127.0.0.1", port), LinkFailure::kRefused);
  EXPECT_EQ(link.LastFailure(), LinkFailure::kRefused);
  EXPECT_FALSE(link.IsConnected());
  link.Close();
  link.Close();
  EXPECT_FALSE(link.Send(1, "H"));
  EXPECT_EQ(link.Receive(buffer, sizeof buffer, 0), -1);
}

Strings Assemble(RecordAssembler& assembler, const Strings& chunks) {
  Strings records;
  for (const std::string& chunk : chunks) {
    assembler.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()),
                   [&](RecordBytes record) { records.emplace_back(record.begin(), record.end()); });
  }
  return records;
}

// Most cases are the table "record assembler"; these need long chunks.
TEST(RecordAssembler, CutsRecordsAtTerminatorsAcrossChunks) {
  const std::string e = kRecordEnd, x20(20, 'x'), big(100000, 'a');
  struct Case {
    std::string why;
    std::size_t limit;
    Strings chunks, expected;
    std::size_t dropped = 0, pending = 0;
  };
  std::vector<Case> cases = {
      {"a big record, then the next", kMaxRecordBytes, {big, e + "B" + e}, {big + e, "B" + e}},
      {"oversized dropped whole", 16, {x20, std::string(1000, 'y'), "zz" + e + "Q" + e}, {"Q" + e}, 1},
  };
  testing_support::ForEachRow("record assembler", [&](const std::vector<std::string>& w) {
    const auto groups = testing_support::TextGroups(w, 2);
    const std::size_t limit = w.at(1) == "any" ? kMaxRecordBytes : std::stoul(w[1]);
    cases.push_back({testing_support::Text(w.at(0)), limit, groups.at(0), groups.at(1), std::stoul(groups.at(2).at(0)),
                     std::stoul(groups.at(2).at(1))});
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    RecordAssembler assembler(c.limit);
    EXPECT_EQ(Assemble(assembler, c.chunks), c.expected);
    EXPECT_EQ(assembler.DroppedRecords(), c.dropped);
    EXPECT_EQ(assembler.PendingBytes(), c.pending);
  }
}

TEST(RecordAssembler, ResetForgetsTheUnfinishedRecord) {
  RecordAssembler assembler(8);
  Assemble(assembler, {"Hab\xFF"});
  assembler.Reset();
  // The 0xEF no longer completes anything.
  EXPECT_EQ(Assemble(assembler, {"\xEFQ" + kRecordEnd}), Strings{"\xEFQ" + kRecordEnd});
  Assemble(assembler, {std::string(20, 'x')});
  assembler.Reset();
  EXPECT_EQ(Assemble(assembler, {"A" + kRecordEnd}), Strings{"A" + kRecordEnd});
}

// Stands in for the session object: answers through the real link, logs screen runs (on the test thread,
// which serves the session thread's calls as the UI thread does).
struct RecordingTarget final : DispatchTarget {
  explicit RecordingTarget(HostConnection& connection) : session(connection) {}
  void SendOwnRecord(std::string_view record, bool prefixed) override { session.SendRecord(prefixed ? 7 : 0, record); }
  void InterpretScreen(const std::uint8_t* from, const std::uint8_t* to) override { screens.emplace_back(from, to); }
  void ResetScreen() override {}
  HostConnection& session;
  Strings screens;
};

class SessionThreadTest : public ::testing::Test {
 protected:
  ConnectionParams Params(std::uint16_t hostPort) {
    return {"127.0.0.1", hostPort, 7, [this] { ++stamps; }, {}};
  }

  void StartIdentified() {
    ASSERT_TRUE(session.Start(Params(host.Port())));
    ASSERT_TRUE(Serving([&] { return host.Accept(20ms); }));
    EXPECT_EQ(NextRecord(), "7I" + kRecordEnd);
  }

  // Serves the session thread's calls, as the UI thread does, until `done` holds; false after 5 s.
  bool Serving(const std::function<bool()>& done) {
    for (const auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
      port.Serve();
      if (done()) return true;
      port.WaitForWork(std::chrono::steady_clock::now() + 10ms);
    }
    return false;
  }
  std::string NextRecord() {
    std::optional<testing_support::HostRecord> record;
    return Serving([&] { return (record = host.ReadRecord(20ms)).has_value(); }) ? record->raw : "<none>";
  }
  std::string Answer(const std::string& bytes) { return host.SendRaw(bytes) ? NextRecord() : "<send failed>"; }
  // How the session ended: true by Stop, false when lost; none when it did not end in time.
  std::optional<bool> Ended() {
    std::optional<bool> ended;
    Serving([&] { return (ended = port.TakeEnded()).has_value(); });
    return ended;
  }

  TestHost host;
  int starts = 0;
  QueuedPort port{[this] { ++starts; }, [this](RecordBytes record) { DispatchRecord(target, record); }};
  HostConnection session{port};
  RecordingTarget target{session};
  std::atomic<int> stamps{0};
};

TEST_F(SessionThreadTest, RecordsAreAnsweredOnTheLinkUntilItCloses) {
  StartIdentified();
  EXPECT_EQ(Answer("A" + kRecordEnd), "7I" + kRecordEnd);
  // Two records in one write are answered one by one; escaped 0xFF bytes reach the screen as single bytes.
  EXPECT_EQ(Answer("Hxyz" + kRecordEnd + "H\x31\xFF\xFF\x32" + kRecordEnd), "7H" + kRecordEnd);
  EXPECT_EQ(NextRecord(), "7H" + kRecordEnd);
  EXPECT_EQ(target.screens, (Strings{"xyz" + kRecordEnd, "\x31\xFF\x32" + kRecordEnd}));
  // What a failed response send does to the link from the UI thread: the session ends as on a host close.
  const auto started = std::chrono::steady_clock::now();
  session.Link().Close();
  EXPECT_EQ(Ended(), std::optional<bool>(false));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);  // not one round of the 5-second wait
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(host.ReceivedBytes().find("7&"), std::string::npos);  // the goodbye could not go out
  session.Stop();
}

TEST_F(SessionThreadTest, OneAtATimeAndAHostCloseIsAnsweredWithGoodbyeAndAnUnreachableHostWithNothing) {
  StartIdentified();
  EXPECT_EQ(session.LastFailure(), LinkFailure::kNone);
  EXPECT_FALSE(session.Start(Params(host.Port())));
  EXPECT_FALSE(host.Accept(200ms));  // no second connection
  ASSERT_TRUE(host.HalfClose());
  EXPECT_EQ(NextRecord(), "7&" + kRecordEnd);
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  EXPECT_EQ(Ended(), std::optional<bool>(false));
  EXPECT_EQ(session.LastFailure(), LinkFailure::kClosedWithoutReply);
  EXPECT_TRUE(session.Kept());
  session.Stop();  // as the main window does on the end message
  session.Stop();  // a second stop finds nothing to wait for
  ASSERT_TRUE(session.Start(Params(UnusedPort())));
  EXPECT_EQ(Ended(), std::optional<bool>(false));
  EXPECT_EQ(session.LastFailure(), LinkFailure::kRefused);
  session.Stop();
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(target.screens, Strings{});
  EXPECT_EQ(stamps.load(), 1);
}

TEST_F(SessionThreadTest, StopServesARecordTheThreadWaitsToDeliver) {
  ASSERT_TRUE(session.Start(Params(host.Port())));
  // The thread waits for the UI side to take the indicator before it connects.
  port.WaitForWork(std::chrono::steady_clock::now() + 5s);
  ASSERT_TRUE(port.Serve());
  ASSERT_TRUE(host.Accept(5s));
  ASSERT_TRUE(host.ReadRecord(5s).has_value());
  ASSERT_TRUE(host.SendRecord("Hz"));
  // The thread now waits in DeliverRecord for the UI thread, which is about to stop it.
  port.WaitForWork(std::chrono::steady_clock::now() + 5s);
  session.Stop();  // a deadlock here would hang the run; the suite's time-out ends it
  EXPECT_EQ(target.screens, Strings{"z" + kRecordEnd});
  EXPECT_EQ(port.TakeEnded(), std::optional<bool>(true));
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  // The answer went nowhere: the link was closed by the stop before the record was served.
  EXPECT_EQ(host.ReceivedBytes(), "7I" + kRecordEnd);
}

}  // namespace
}  // namespace vantor
