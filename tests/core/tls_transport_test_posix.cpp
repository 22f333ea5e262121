// The TLS transport on OpenSSL over loopback: which certificates pass and why the others are refused,
// replies that are no TLS, a stalled handshake, wake-ups and two threads; and the TLS session driven
// from memory, its input cut at every byte.
#include <gtest/gtest.h>

#include <openssl/err.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "headless/queued_port.h"
#include "platform/tls_session.h"
#include "platform/transport.h"
#include "session/host_connection.h"
#include "session/host_link.h"
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
TlsOptions TrustingTestCa() { return {true, "", TestPki::Get().caFile}; }

TEST(TlsTransport, AcceptsOnlyACertificateThatIsPinnedOrTrustedAndNamesTheHost) {
  const TestPki& pki = TestPki::Get();
  struct Case {
    const char* what;
    const TestCertificate& served;
    const char* host;
    TlsOptions options;
    LinkFailure expected;
  };
  const Case cases[] = {
      {"trusted, IPv4 literal", pki.host, "127.0.0.1", TrustingTestCa(), LinkFailure::kNone},
      {"trusted, IPv6 literal", pki.host, "::1", TrustingTestCa(), LinkFailure::kNone},
      {"trusted, by name", pki.host, "localhost", TrustingTestCa(), LinkFailure::kNone},
      {"pinned", pki.host, "127.0.0.1", Pinned(pki.host.pin), LinkFailure::kNone},
      {"pinned, expired", pki.expired, "127.0.0.1", Pinned(pki.expired.pin), LinkFailure::kNone},
      {"another certificate's pin", pki.host, "127.0.0.1", Pinned(pki.stranger.pin), LinkFailure::kPinMismatch},
      {"man in the middle, pinned", pki.stranger, "127.0.0.1", Pinned(pki.host.pin), LinkFailure::kPinMismatch},
      {"man in the middle, trusted CA", pki.stranger, "localhost", TrustingTestCa(),
       LinkFailure::kCertificateNotTrusted},
      {"system store", pki.host, "127.0.0.1", {true, "", ""}, LinkFailure::kCertificateNotTrusted},
      {"another name, by address", pki.otherName, "127.0.0.1", TrustingTestCa(), LinkFailure::kCertificateNameMismatch},
      {"another name, by name", pki.otherName, "localhost", TrustingTestCa(), LinkFailure::kCertificateNameMismatch},
      {"expired", pki.expired, "127.0.0.1", TrustingTestCa(), LinkFailure::kCertificateExpired},
      {"pin too short", pki.host, "127.0.0.1", Pinned(pki.host.pin.substr(3)), LinkFailure::kPinInvalid},
      {"no CA file", pki.host, "127.0.0.1", {true, "", "/nonexistent/ca.pem"}, LinkFailure::kCaFileUnreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool ipv6 = std::string(c.host) == "::1";
    LoopbackServer server({ipv6, &c.served, ServerMode::kEcho, ""});
    ASSERT_TRUE(server.Listening());
    auto transport = MakeTransport(c.options);
    EXPECT_EQ(transport->Connect(c.host, server.Port(), kTimeout), c.expected);
    EXPECT_EQ(transport->LastFailure(), c.expected);
    EXPECT_EQ(transport->IsConnected(), c.expected == LinkFailure::kNone);
    if (c.expected != LinkFailure::kNone) continue;
    EXPECT_EQ(transport->Protocol(), "TLSv1.3");
    ASSERT_TRUE(transport->Send("hello\xFF\xEF"));
    EXPECT_EQ(ReceiveAll(*transport, 7), "hello\xFF\xEF");
  }
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
  const TestPki& pki = TestPki::Get();
  struct Case {
    const char* what;
    const TestCertificate* served;  // none: a clear-text host
    TlsOptions options;
    LinkFailure expected;
  };
  const Case cases[] = {
      {"pinned", &pki.host, Pinned(pki.host.pin), LinkFailure::kNone},
      {"another certificate", &pki.stranger, Pinned(pki.host.pin), LinkFailure::kPinMismatch},
      {"a bad pin", &pki.host, Pinned("12:34:zz"), LinkFailure::kPinInvalid},
      {"clear text to a TLS host", &pki.host, {}, LinkFailure::kClosedWithoutReply},
      {"TLS to a clear-text host", nullptr, Pinned(pki.host.pin), LinkFailure::kNotTls},  // it greets first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackServer server({false, c.served, ServerMode::kEcho, c.served ? "" : "A\x01Sign on\xFF\xEF"});
    QueuedPort port{[] {}, [](RecordBytes) {}};
    HostConnection session(port);
    ASSERT_TRUE(session.Start({"127.0.0.1", server.Port(), 42, nullptr, c.options}));
    std::optional<bool> ended;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    // A two-digit id: an identify record long enough for a TLS host to read a record header from it.
    const auto identified = [&] { return server.Received().find("42I\xFF\xEF") != std::string::npos; };
    while (!(ended = port.TakeEnded()) && !identified() && std::chrono::steady_clock::now() < deadline) {
      port.Serve();
      port.WaitForWork(std::chrono::steady_clock::now() + 10ms);
    }
    EXPECT_EQ(session.LastFailure(), c.expected);
    if (c.expected == LinkFailure::kNone) {
      EXPECT_TRUE(identified());
      EXPECT_EQ(session.Protocol(), "TLSv1.3");
    } else {
      EXPECT_EQ(ended, std::optional<bool>(false));
      EXPECT_EQ(server.Received().find("42I"), std::string::npos);
      EXPECT_EQ(server.Accepted(), c.expected == LinkFailure::kPinInvalid ? 0 : 1);
    }
    session.Stop();
    EXPECT_EQ(session.Protocol(), "");
  }
}

}  // namespace
}  // namespace vantor
