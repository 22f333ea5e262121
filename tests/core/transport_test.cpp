// The host link's transport seam on any platform: pins, fingerprints, the first look at a reply, name
// resolution, and the clear TCP transport over loopback (connect failures, wake-ups, two threads).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "loopback_listener.h"
#include "platform/net.h"
#include "platform/sha256.h"
#include "platform/tls_options.h"
#include "platform/tls_session.h"
#include "platform/transport.h"
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
  const std::pair<std::string, std::string> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the last block.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : vectors) EXPECT_EQ(Hex(Sha256(ToBytes(message))), digest) << message.size();
}

TEST(ParsePin, TakesWhatOpensslPrintsAndNothingElse) {
  constexpr const char* kDigits = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  const std::string colons =
      "BA:78:16:BF:8F:01:CF:EA:41:41:40:DE:5D:AE:22:23:B0:03:61:A3:96:17:7A:9C:B4:10:FF:61:F2:00:15:AD";
  const std::pair<std::string, bool> cases[] = {
      {kDigits, true},
      {colons, true},
      {"sha256 Fingerprint=" + colons + "\n", true},  // the whole line openssl prints
      {"  " + colons + "  ", true},
      {"BA:78::16" + std::string(kDigits).substr(6), true},  // colons anywhere
      {std::string(kDigits).substr(2), false},               // 62 digits
      {std::string(kDigits) + "00", false},                  // 66 digits
      {std::string(kDigits).substr(1) + "g", false},
      {std::string(kDigits).substr(0, 32) + " " + std::string(kDigits).substr(32), false},
      {"SHA1 Fingerprint=" + colons, false},
      {"", false},
  };
  for (const auto& [text, valid] : cases) {
    const auto pin = ParsePin(text);
    ASSERT_EQ(pin.has_value(), valid) << text;
    if (pin) {
      EXPECT_EQ(Hex(*pin), kDigits) << text;
    }
  }
  EXPECT_EQ(FormatFingerprint(*ParsePin(kDigits)), colons);
}

TEST(HelloReply, ATlsServersFirstRecordIsAnAlertOrItsHello) {
  const std::pair<std::string, HelloReply> cases[] = {
      {"", HelloReply::kNeedMore},
      {"\x16", HelloReply::kNeedMore},
      {std::string("\x16\x03\x03\x00", 4), HelloReply::kNeedMore},
      {std::string("\x16\x03\x03\x00\x7a\x02", 6), HelloReply::kTls},
      {std::string("\x15\x03\x03\x00\x02\x02\x46", 7), HelloReply::kTls},
      {std::string("\x16\x03\x01\x01\x00\x01", 6), HelloReply::kNotTls},  // a client hello echoed
      {"\x16\x04", HelloReply::kNotTls},
      {"HTTP/1.1 400", HelloReply::kNotTls},
      {"A\x01Sign on\xFF\xEF", HelloReply::kNotTls},  // a host's screen record
  };
  for (const auto& [reply, expected] : cases) EXPECT_EQ(ClassifyHelloReply(ToBytes(reply)), expected) << reply;
  EXPECT_TRUE(StartsWithTlsAlert(ToBytes(std::string("\x15\x03\x03\x00\x02\x02\x46", 7))));
  EXPECT_FALSE(StartsWithTlsAlert(ToBytes("\x15\x03")));
  EXPECT_FALSE(StartsWithTlsAlert(ToBytes(std::string("\x16\x03\x03\x00\x7a\x02", 6))));
}

TEST(Resolve, LiteralsOfBothFamiliesTheBroadcastAddressAndFailures) {
  struct Case {
    std::string host;
    std::optional<Bytes> literal;  // none: a name, or nothing
    bool found;
  };
  const Bytes loopback6 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  const Bytes linkLocal = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  const Case cases[] = {
      {"127.0.0.1", Bytes{127, 0, 0, 1}, true},
      {"255.255.255.255", Bytes{255, 255, 255, 255}, true},
      {"::1", loopback6, true},
      {"[::1]", loopback6, true},
      {"fe80::1%1", linkLocal, true},
      {"localhost", std::nullopt, true},
      {"", std::nullopt, false},
      {"name.invalid", std::nullopt, false},
      {std::string("127.0.0.1\0x", 11), std::nullopt, false},  // never a shortened name
  };
  for (const Case& c : cases) {
    const net::Resolution resolved = net::Resolve(c.host, 9999);
    EXPECT_EQ(!resolved.addresses.empty(), c.found) << c.host;
    EXPECT_EQ(resolved.failure, c.found ? LinkFailure::kNone : LinkFailure::kHostNotFound) << c.host;
    EXPECT_EQ(net::IpLiteral(c.host), c.literal) << c.host;
    if (c.literal) {
      EXPECT_EQ(resolved.addresses.size(), 1u) << c.host;
    }
  }
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
