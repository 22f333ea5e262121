// Tests of the host link: record framing, unescaping, connect and close, over loopback TCP.
#include "session/host_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "test_host.h"

namespace vantor {
namespace {

using testing_support::kRecordEnd;
using testing_support::TestHost;
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

TEST_F(WSockComLink, CloseFromAnotherThreadEndsAWaitingReceive) {
  std::atomic<int> result{99};
  const auto started = std::chrono::steady_clock::now();
  std::thread reader([&] {
    std::uint8_t buffer[64];
    result = link.Receive(buffer, sizeof buffer, 5);
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(link.Close());
  reader.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
  EXPECT_LE(result.load(), 0);
  EXPECT_FALSE(link.IsConnected());
  EXPECT_TRUE(host.WaitPeerClosed(5s));
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

}  // namespace
}  // namespace vantor
