// The TLS transport on OpenSSL over loopback: which certificates pass and why the others are refused,
// replies that are no TLS, a stalled handshake, wake-ups and two threads; and the TLS session driven
// from memory, its input cut at every byte.
#include <gtest/gtest.h>

#include <openssl/err.h>

#include <chrono>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "headless/queued_port.h"
#include "platform/link_failure.h"
#include "platform/tls_session.h"
#include "platform/transport.h"
#include "session/host_connection.h"
#include "session/host_link.h"
#include "row_tables.h"
#include "test_host.h"
#include "tls_fixtures_posix.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using testing_support::LoopbackServer;
using testing_support::LoopbackServerOptions;
using testing_support::ServerMode;
using testing_support::TestCertificate;
using testing_support::TestPki;

constexpr auto kTimeout = 5000ms;

std::string ReceiveOnce(Transport& transport, int seconds = 5) {
  std::uint8_t buffer[8192];
  const int got = transport.Receive(buffer, sizeof buffer, seconds);
  if (got <= 0) return "<" + std::to_string(got) + ">";
  return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(got));
}

std::string ReceiveAll(Transport& transport, std::size_t count) {
  std::string all;
  while (all.size() < count) {
    const std::string piece = ReceiveOnce(transport);
    if (piece.front() == '<') break;
    all += piece;
  }
  return all;
}

TlsOptions Pinned(const std::string& pin) { return {true, pin, ""}; }

// A test certificate by name: host, expired, stranger or otherName; none for clear.
const TestCertificate* Certificate(const std::string& name) {
  const TestPki& pki = TestPki::Get();
  const std::map<std::string, const TestCertificate*> certificates = {{"host", &pki.host},
                                                                      {"expired", &pki.expired},
                                                                      {"stranger", &pki.stranger},
                                                                      {"otherName", &pki.otherName},
                                                                      {"clear", nullptr}};
  return certificates.at(name);
}

// TLS options by a word: clear (no TLS), system (the system store), ca (the test CA), ca:FILE, pin:NAME (that
// certificate's pin), short:NAME (its pin cut short) or pin:TEXT.
TlsOptions Options(const std::string& word) {
  const std::string after = word.substr(word.find(':') + 1);
  if (word == "clear") return {};
  if (word == "ca") return {true, "", TestPki::Get().caFile};
  if (word.starts_with("ca:")) return {true, "", after};
  if (word.starts_with("short:")) return Pinned(Certificate(after)->pin.substr(3));
  if (word.starts_with("pin:") && after.find(':') == std::string::npos) return Pinned(Certificate(after)->pin);
  if (word.starts_with("pin:")) return Pinned(after);
  return {true, "", ""};
}

TEST(TlsTransport, AcceptsOnlyACertificateThatIsPinnedOrTrustedAndNamesTheHost) {
  testing_support::ForEachRow("tls certificates", [&](const std::vector<std::string>& w) {
    const std::string& host = w.at(1);
    LoopbackServer server({host == "::1", Certificate(w.at(0)), ServerMode::kEcho, ""});
    ASSERT_TRUE(server.Listening());
    auto transport = MakeTransport(Options(w.at(2)));
    const std::string expected = testing_support::Text(w.at(3));
    EXPECT_EQ(Describe(transport->Connect(host, server.Port(), kTimeout)), expected);
    EXPECT_EQ(Describe(transport->LastFailure()), expected);
    EXPECT_EQ(transport->IsConnected(), expected.empty());
    if (!expected.empty()) return;
    EXPECT_EQ(transport->Protocol(), "TLSv1.3");
    ASSERT_TRUE(transport->Send("hello\xFF\xEF"));
    EXPECT_EQ(ReceiveAll(*transport, 7), "hello\xFF\xEF");
  });
}

// With TLS 1.2 the host's first record can come in one read with the end of the handshake.
TEST(TlsTransport, AGreetingRightAfterATls12HandshakeIsReceived) {
  LoopbackServerOptions options{false, &TestPki::Get().host, ServerMode::kEcho, "A\x01Sign on\xFF\xEF"};
  options.tls12 = true;
  LoopbackServer server(options);
  auto transport = MakeTlsTransport(Pinned(TestPki::Get().host.pin));
  ASSERT_EQ(transport->Connect("127.0.0.1", server.Port(), kTimeout), LinkFailure::kNone);
  EXPECT_EQ(transport->Protocol(), "TLSv1.2");
  EXPECT_EQ(ReceiveAll(*transport, 11), "A\x01Sign on\xFF\xEF");
}

TEST(TlsTransport, AStalledHandshakeTimesOutOrEndsAtAShutdown) {
  LoopbackServer server({false, nullptr, ServerMode::kSilent, ""});
  auto transport = MakeTlsTransport(Pinned(TestPki::Get().host.pin));
  EXPECT_EQ(transport->Connect("127.0.0.1", server.Port(), 300ms), LinkFailure::kTimedOut);
  const std::size_t firstHello = server.Received().size();
  ASSERT_GT(firstHello, 0u);

  auto connecting = std::async(std::launch::async, [&] { return transport->Connect("127.0.0.1", server.Port(), 60s); });
  ASSERT_TRUE(server.WaitReceived(firstHello + 1, kTimeout));  // the second hello: the handshake waits
  transport->Shutdown();
  ASSERT_EQ(connecting.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(connecting.get(), LinkFailure::kClosed);
  EXPECT_FALSE(transport->IsConnected());
}

class ConnectedTlsTransport : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(transport->Connect("127.0.0.1", server.Port(), kTimeout), LinkFailure::kNone); }

  LoopbackServer server{{false, &TestPki::Get().host, ServerMode::kEcho, ""}};
  std::unique_ptr<Transport> transport = MakeTlsTransport(Pinned(TestPki::Get().host.pin));
};

TEST_F(ConnectedTlsTransport, ShutdownFromAnotherThreadWakesAWaitingReceive) {
  auto waiting = std::async(std::launch::async, [&] { return ReceiveOnce(*transport, 60); });
  ASSERT_EQ(waiting.wait_for(200ms), std::future_status::timeout);  // waiting for the host
  transport->Shutdown();
  ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(waiting.get(), "<0>");
  EXPECT_EQ(transport->LastFailure(), LinkFailure::kClosed);
  EXPECT_FALSE(transport->Send("late"));
}

// Two threads send whole messages while a third receives the echo: every message comes back whole,
// records of the two senders never mixed.
TEST_F(ConnectedTlsTransport, SendsFromTwoThreadsWhileAThirdReceives) {
  // Messages of several records each, more than the socket buffers hold: sends stop part-way.
  constexpr int kMessages = 10;
  constexpr std::size_t kLength = 200000;
  auto receiving = std::async(std::launch::async, [&] { return ReceiveAll(*transport, 2 * kMessages * kLength); });
  auto send = [&](char fill) {
    for (int i = 0; i < kMessages; ++i) {
      if (!transport->Send(std::string(kLength, fill))) return false;
    }
    return true;
  };
  auto first = std::async(std::launch::async, send, 'a');
  EXPECT_TRUE(send('b'));
  EXPECT_TRUE(first.get());
  ASSERT_EQ(receiving.wait_for(30s), std::future_status::ready);
  const std::string echoed = receiving.get();
  ASSERT_EQ(echoed.size(), 2 * kMessages * kLength);
  for (std::size_t at = 0; at < echoed.size(); at += kLength) {
    ASSERT_EQ(echoed.substr(at, kLength), std::string(kLength, echoed[at])) << at;
  }
}

TEST(TlsSession, AStreamCutAtEveryByteGivesThePlaintextAndTheClose) {
  testing_support::MemoryTls tls;
  ASSERT_TRUE(tls.Handshake());
  const std::string plain = "A\x01Sign on\xFF\xEF" + std::string(20000, 'x') + "\xFF\xFF\xFF\xEF";
  std::string stream = tls.ServerSends(plain.substr(0, 11));
  stream += tls.ServerSends(plain.substr(11));
  stream += tls.ServerCloses();
  std::string decrypted, answer;
  auto step = TlsSession::Step::kMore;
  for (std::size_t at = 0; at < stream.size() && step == TlsSession::Step::kMore; ++at) {
    step = tls.Client().Decrypt(testing_support::AsBytes(stream).subspan(at, 1), decrypted, answer);
  }
  EXPECT_EQ(step, TlsSession::Step::kClosed);
  EXPECT_TRUE(decrypted == plain) << decrypted.size() << " of " << plain.size() << " bytes";
}

TEST(TlsSession, AnAlteredRecordFails) {
  testing_support::MemoryTls tls;
  ASSERT_TRUE(tls.Handshake());
  std::string record = tls.ServerSends("secret");
  record[record.size() / 2] ^= 0x01;
  std::string decrypted, answer;
  EXPECT_EQ(tls.Client().Decrypt(testing_support::AsBytes(record), decrypted, answer), TlsSession::Step::kFailed);
  EXPECT_EQ(decrypted, "");
}

// The host link frames records over TLS as over clear text, and goes back to clear text when asked.
TEST(TlsHostLink, FramesALongRecordInPiecesThenConnectsInClearTextAgain) {
  LoopbackServer tls({false, &TestPki::Get().host, ServerMode::kEcho, ""});
  LoopbackServer clear({false, nullptr, ServerMode::kEcho, ""});
  HostLink link;
  for (LoopbackServer* server : {&tls, &clear}) {
    const bool secure = server == &tls;
    ASSERT_EQ(link.Connect("127.0.0.1", server->Port(), secure ? Pinned(TestPki::Get().host.pin) : TlsOptions{}),
              LinkFailure::kNone);
    EXPECT_EQ(link.Protocol(), secure ? "TLSv1.3" : "");
    const std::string frame = "12" + std::string(4001, 'x') + "\xFF\xEF";
    ASSERT_TRUE(link.Send(12, frame.substr(2, 4001)));
    std::string echoed;
    std::uint8_t buffer[8192];
    for (int got; echoed.size() < frame.size() && (got = link.Receive(buffer, sizeof buffer, 5)) > 0;)
      echoed.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(got));
    EXPECT_TRUE(echoed == frame) << echoed.size() << " bytes, TLS " << secure;
    EXPECT_TRUE(server->Received() == frame);
  }
}

// The session thread says which protocol it agreed on, or why it could not connect; without a
// connection no byte of a record reaches the host.
TEST(TlsSessionThread, ReportsTheProtocolOrWhyNoConnectionWasMade) {
  testing_support::ForEachRow("tls session thread", [&](const std::vector<std::string>& w) {
    const TestCertificate* served = Certificate(w.at(0));
    const std::string expected = testing_support::Text(w.at(2));
    // A clear-text host greets first.
    LoopbackServer server({false, served, ServerMode::kEcho, served ? "" : "A\x01Sign on\xFF\xEF"});
    QueuedPort port{[] {}, [](RecordBytes) {}};
    HostConnection session(port);
    ASSERT_TRUE(session.Start({"127.0.0.1", server.Port(), 42, nullptr, Options(w.at(1))}));
    std::optional<bool> ended;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    // A two-digit id: an identify record long enough for a TLS host to read a record header from it.
    const auto identified = [&] { return server.Received().find("42I\xFF\xEF") != std::string::npos; };
    while (!(ended = port.TakeEnded()) && !identified() && std::chrono::steady_clock::now() < deadline) {
      port.Serve();
      port.WaitForWork(std::chrono::steady_clock::now() + 10ms);
    }
    EXPECT_EQ(Describe(session.LastFailure()), expected);
    if (expected.empty()) {
      EXPECT_TRUE(identified());
      EXPECT_EQ(session.Protocol(), "TLSv1.3");
    } else {
      EXPECT_EQ(ended, std::optional<bool>(false));
      EXPECT_EQ(server.Received().find("42I"), std::string::npos);
      EXPECT_EQ(server.Accepted(), expected == Describe(LinkFailure::kPinInvalid) ? 0 : 1);
    }
    session.Stop();
    EXPECT_EQ(session.Protocol(), "");
  });
}

}  // namespace
}  // namespace vantor
