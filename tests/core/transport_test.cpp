// The host link's transport seam on any platform: pins, fingerprints, the first look at a reply, name
// resolution, and the clear TCP transport over loopback (connect failures, wake-ups, two threads).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "loopback_listener.h"
#include "platform/net.h"
#include "platform/sha256.h"
#include "platform/tls_options.h"
#include "platform/tls_session.h"
#include "platform/transport.h"
#include "row_tables.h"
#include "test_host.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string Hex(const Sha256Digest& digest) {
  std::string text;
  for (const std::uint8_t byte : digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

TEST(Sha256, MatchesTheStandardsVectorsAcrossBlockBoundaries) {
  testing_support::ForEachRow("sha-256", [&](const std::vector<std::string>& w) {
    std::string message;
    for (int i = std::stoi(w.at(1)); i > 0; --i) message += testing_support::Text(w.at(0));
    EXPECT_EQ(Hex(Sha256(ToBytes(message))), w.at(2));
  });
}

TEST(LinkTexts, PinsFirstRepliesAndAddresses) {
  constexpr const char* kDigits = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  testing_support::ForEachRow("link texts", [&](const std::vector<std::string>& w) {
    const std::string text = testing_support::Text(w.at(1));
    if (w[0] == "pin") {
      const auto pin = ParsePin(text);
      ASSERT_EQ(pin.has_value(), w.at(2) == "1");
      if (pin) {
        EXPECT_EQ(Hex(*pin), kDigits);
      }
    } else if (w[0] == "hello") {
      const HelloReply reply = ClassifyHelloReply(ToBytes(text));
      EXPECT_EQ(reply == HelloReply::kNeedMore ? "more" : reply == HelloReply::kTls ? "tls" : "not", w.at(2));
    } else {
      std::optional<Bytes> literal;
      if (w.at(2) != "-") {
        literal.emplace();
        std::istringstream parts(w[2]);
        for (std::string part; std::getline(parts, part, '.');)
          literal->push_back(static_cast<std::uint8_t>(std::stoi(part)));
      }
      const bool found = w.at(3) == "1";
      const net::Resolution resolved = net::Resolve(text, 9999);
      EXPECT_EQ(!resolved.addresses.empty(), found);
      EXPECT_EQ(resolved.failure, found ? LinkFailure::kNone : LinkFailure::kHostNotFound);
      EXPECT_EQ(net::IpLiteral(text), literal);
      if (literal) {
        EXPECT_EQ(resolved.addresses.size(), 1u);
      }
    }
  });
  EXPECT_EQ(FormatFingerprint(*ParsePin(kDigits)),
            "BA:78:16:BF:8F:01:CF:EA:41:41:40:DE:5D:AE:22:23:B0:03:61:A3:96:17:7A:9C:B4:10:FF:61:F2:00:15:AD");
  EXPECT_TRUE(StartsWithTlsAlert(ToBytes(std::string("\x15\x03\x03\x00\x02\x02\x46", 7))));
  EXPECT_FALSE(StartsWithTlsAlert(ToBytes("\x15\x03")));
  EXPECT_FALSE(StartsWithTlsAlert(ToBytes(std::string("\x16\x03\x03\x00\x7a\x02", 6))));
  EXPECT_EQ(net::AddressText(net::Resolve("[::1]", 1).addresses.at(0)), "::1");
  // IPv4 alone, in network order, as the load generator takes it.
  EXPECT_EQ(net::ResolveHost(""), 0u);
  EXPECT_EQ(net::ResolveHost("255.255.255.255"), 0xFFFFFFFFu);
  const std::uint32_t loopback = net::ResolveHost("127.0.0.1");
  EXPECT_EQ(std::memcmp(&loopback, "\x7F\0\0\x01", 4), 0);
  EXPECT_EQ(net::ResolveHost(std::string("127.0.0.1\0x", 11)), 0u);
}

// The platform's TLS engine (OpenSSL, or SChannel under Wine) before any host has answered.
constexpr const char* kAnyPin = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(TlsSession, ItsHelloNamesADnsHostButNeverAnAddress) {
  for (const auto& [host, named] :
       {std::pair<std::string, bool>{"terminal-host.example", true}, {"127.0.0.1", false}, {"::1", false}}) {
    NewTlsSession made = MakeTlsSession({true, kAnyPin, ""}, host);
    ASSERT_TRUE(made.session) << host;
    std::string hello;
    EXPECT_EQ(made.session->Handshake({}, hello), TlsSession::Step::kMore) << host;
    ASSERT_GE(hello.size(), 6u) << host;
    EXPECT_EQ(hello.substr(0, 2), "\x16\x03") << host;  // a handshake record
    EXPECT_EQ(hello[5], '\x01') << host;                // carrying a client hello
    EXPECT_EQ(hello.find(host) != std::string::npos, named) << host;
  }
}

TEST(TlsSession, BadOptionsAreRefusedBeforeAnyByteAndAnAlertEndsTheHandshake) {
  EXPECT_EQ(MakeTlsSession({true, "12:34", ""}, "127.0.0.1").failure, LinkFailure::kPinInvalid);
  EXPECT_EQ(MakeTlsSession({true, "", "no/such/ca.pem"}, "127.0.0.1").failure, LinkFailure::kCaFileUnreadable);
  NewTlsSession made = MakeTlsSession({true, kAnyPin, ""}, "127.0.0.1");
  ASSERT_TRUE(made.session);
  std::string out;
  made.session->Handshake({}, out);
  const Bytes handshakeFailure = ToBytes(std::string("\x15\x03\x03\x00\x02\x02\x28", 7));
  EXPECT_EQ(made.session->Handshake(handshakeFailure, out), TlsSession::Step::kFailed);
  EXPECT_EQ(made.session->Failure(), LinkFailure::kHandshakeFailed);
}

// A clear transport connected to a scripted host.
class ClearTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Listening());
    ASSERT_EQ(transport->Connect("127.0.0.1", host.Port()), LinkFailure::kNone);
    ASSERT_TRUE(host.Accept(5s));
  }

  std::string ReceiveOnce(int seconds = 5) {
    std::uint8_t buffer[8192];
    const int got = transport->Receive(buffer, sizeof buffer, seconds);
    if (got <= 0) return "<" + std::to_string(got) + ">";
    return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(got));
  }

  testing_support::TestHost host;
  std::unique_ptr<Transport> transport = MakeTransport(TlsOptions{});
};

TEST_F(ClearTransportTest, CarriesBytesBothWaysUntilTheHostCloses) {
  EXPECT_TRUE(transport->IsConnected());
  EXPECT_EQ(transport->Protocol(), "");
  ASSERT_TRUE(transport->Send("hello\xFF\xEF"));
  ASSERT_TRUE(host.ReadRecord());
  EXPECT_EQ(host.ReceivedBytes(), "hello\xFF\xEF");
  EXPECT_EQ(ReceiveOnce(0), "<-1>");  // nothing yet
  ASSERT_TRUE(host.SendRaw("world"));
  EXPECT_EQ(ReceiveOnce(), "world");
  ASSERT_TRUE(host.HalfClose());
  EXPECT_EQ(ReceiveOnce(), "<0>");
  EXPECT_EQ(transport->LastFailure(), LinkFailure::kConnectionLost);
  ASSERT_TRUE(transport->Send("bye\xFF\xEF")) << "a goodbye still goes out";
  ASSERT_TRUE(host.ReadRecord());
  transport->Close();
  EXPECT_FALSE(transport->IsConnected());
  EXPECT_FALSE(transport->Send("late"));
}

TEST_F(ClearTransportTest, ATlsAlertAsTheFirstBytesMeansTheHostExpectsTls) {
  ASSERT_TRUE(host.SendRaw(std::string("\x15\x03\x03\x00\x02\x02\x46", 7)));
  EXPECT_EQ(ReceiveOnce(), "<0>");
  EXPECT_EQ(transport->LastFailure(), LinkFailure::kExpectsTls);
}

TEST_F(ClearTransportTest, ShutdownOrCloseFromAnotherThreadWakesAWaitingReceive) {
  for (const bool close : {false, true}) {
    auto waiting = std::async(std::launch::async, [&] { return ReceiveOnce(60); });
    ASSERT_EQ(waiting.wait_for(200ms), std::future_status::timeout);  // waiting for the host
    if (close) {
      transport->Close();
    } else {
      transport->Shutdown();
    }
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready) << close;
    EXPECT_EQ(waiting.get(), "<0>") << "close: " << close;
    EXPECT_EQ(transport->LastFailure(), LinkFailure::kClosed);
    EXPECT_FALSE(transport->IsConnected());
    if (!close) {
      ASSERT_EQ(transport->Connect("127.0.0.1", host.Port()), LinkFailure::kNone);
      ASSERT_TRUE(host.Accept(5s));
    }
  }
}

TEST_F(ClearTransportTest, SendsFromOneThreadWhileAnotherWaitsToReceive) {
  auto waiting = std::async(std::launch::async, [&] { return ReceiveOnce(30); });
  ASSERT_TRUE(transport->Send("ping\xFF\xEF"));
  ASSERT_TRUE(host.ReadRecord());
  ASSERT_TRUE(host.SendRaw("pong"));
  ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(waiting.get(), "pong");
}

// A refused connect is seen through the host link (HostLinkUnconnected).
TEST(ClearTransport, ConnectFailuresSayWhy) {
  auto transport = MakeClearTransport();
  EXPECT_EQ(transport->Connect("name.invalid", 9), LinkFailure::kHostNotFound);
  EXPECT_EQ(transport->Connect("", 9), LinkFailure::kHostNotFound);
  EXPECT_EQ(transport->LastFailure(), LinkFailure::kHostNotFound);
  EXPECT_FALSE(transport->IsConnected());
  std::uint8_t buffer[16];
  EXPECT_EQ(transport->Receive(buffer, sizeof buffer, 0), -1);
}

TEST(ClearTransport, ReachesIpv6LoopbackByLiteralAndByNameAndTheLoopbackByName) {
  const std::string ipv6Name = testing_support::Ipv6LoopbackName().value_or("::1");  // where the machine has one
  for (const auto& [host, ipv6] :
       {std::pair<const char*, bool>{"::1", true}, {"[::1]", true}, {ipv6Name.c_str(), true}, {"localhost", false}}) {
    testing_support::LoopbackListener listener(ipv6);
    ASSERT_TRUE(listener.Listening()) << host;
    // Where localhost resolves to ::1 first, that connect is refused and the next address answers.
    auto transport = MakeClearTransport();
    ASSERT_EQ(transport->Connect(host, listener.Port()), LinkFailure::kNone) << host;
    const std::intptr_t accepted = listener.Accept(5s);
    ASSERT_NE(accepted, -1) << host;
    ASSERT_TRUE(transport->Send("hi"));
    char buffer[8] = {};
    ASSERT_EQ(net::WaitReadable(accepted, 5), 1);
    EXPECT_EQ(net::Receive(accepted, buffer, sizeof buffer), 2) << host;
    net::Close(accepted);
  }
}

}  // namespace
}  // namespace vantor
