// The demo host program, in clear text and over TLS: bad records, resets and clients that do not speak
// its language never stop it, and bad command lines are refused.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <optional>

#include "asio_tls.h"
#include "tls_fixtures_posix.h"
#include "tool_process.h"

namespace vantor {
namespace {

const std::string kBuild = VANTOR_BUILD_DIR;

// Runs one asynchronous step to its end, for five seconds at most; its error (timed_out when it did not end).
template <typename Start>
std::error_code Step(asio::io_context& io, Start start) {
  std::optional<std::error_code> result;
  start([&result](const std::error_code& error, auto&&...) { result = error; });
  io.restart();
  io.run_for(std::chrono::seconds(5));
  return result.value_or(asio::error::timed_out);
}

// Connects to the host (over TLS under the terminal's checks when a pin is given), sends the bytes and
// resets the connection; false when the connection or the handshake failed.
bool SendAndReset(std::uint16_t port, const std::string& pin, const std::string& bytes) {
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  const asio::ip::tcp::endpoint host(asio::ip::make_address("127.0.0.1"), port);
  if (Step(io, [&](auto done) { socket.async_connect(host, done); })) return false;
  socket.set_option(asio::socket_base::linger(true, 0));  // a reset, not a goodbye
  if (pin.empty()) return !Step(io, [&](auto done) { asio::async_write(socket, asio::buffer(bytes), done); });
  const TlsOptions options{true, pin, ""};
  asio::ssl::context context(asio::ssl::context::tls_client);
  if (tools::ConfigureClient(context, options) != LinkFailure::kNone) return false;
  tools::TlsSocket stream(std::move(socket), context);
  tools::PrepareClient(stream, "127.0.0.1");
  if (Step(io, [&](auto done) { stream.async_handshake(asio::ssl::stream_base::client, done); }) ||
      tools::CheckServer(stream, options, "127.0.0.1") != LinkFailure::kNone)
    return false;
  return !Step(io, [&](auto done) { asio::async_write(stream, asio::buffer(bytes), done); });
}

TEST(DemoHost, OutlivesBadRecordsResetsAndClientsWithoutItsTls) {
  const testing_support::TestPki& pki = testing_support::TestPki::Get();
  for (const bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "TLS" : "clear text");
    std::vector<std::string> args{kBuild + "/demo_host", "0"};
    if (tls) args.insert(args.begin() + 1, {"--tls", pki.hostFile, pki.hostKeyFile});
    testing_support::ChildProcess demo(args);
    const std::uint16_t port = demo.Port("listening on 127.0.0.1");
    ASSERT_NE(port, 0) << demo.Output();
    const std::string pin = tls ? pki.host.pin : "";
    for (const std::string& bytes :
         {std::string("\xFF\xFF\xFF\xEF"), std::string("123R\xFF\xEF"), std::string(70000, 'x'),
          std::string("1I\xFF\xEF\x31RF\0\xFF\xEF", 10), std::string("\xEF\xFF")}) {
      EXPECT_TRUE(SendAndReset(port, pin, bytes));
    }
    if (tls) {
      EXPECT_TRUE(SendAndReset(port, "", "12I\xFF\xEF"));  // clear text
      EXPECT_FALSE(SendAndReset(port, pki.stranger.pin, "1I\xFF\xEF")) << "another certificate's pin";
      EXPECT_TRUE(demo.WaitFor("TLS handshake failed")) << demo.Output();
    }
    std::vector<std::string> terminal{kBuild + "/vantor-headless", "--settings", testing_support::EmptySettingsFile(),
                                      "--host", "127.0.0.1:" + std::to_string(port)};
    if (tls) terminal.insert(terminal.end(), {"--tls-pin", pin});
    testing_support::ChildProcess headless(terminal,
                                           {.input = "wait connected 5\nwait 5\nexpect VANTOR WAREHOUSE\nquit\n"});
    EXPECT_EQ(headless.WaitExit(), 0);
    EXPECT_EQ(headless.Output(), "ok\nok\nok\nok\n");
    EXPECT_EQ(demo.WaitFor(tls ? "connected over TLSv1.3" : "connected"), true) << demo.Output();
  }
}

TEST(DemoHost, ShowsHelpAndRefusesBadCommandLines) {
  const std::string demo = kBuild + "/demo_host";
  testing_support::ExpectHelp(demo);
  testing_support::ExpectRefusedRows(demo);
  const std::string missing = "/nonexistent/host.pem";
  const testing_support::TestPki& pki = testing_support::TestPki::Get();
  testing_support::ExpectRefused(demo, {{"--tls", missing, pki.hostKeyFile, "0"}}, "cannot read the certificate");
  testing_support::ExpectRefused(demo, {{"--tls", pki.hostFile, pki.caFile}}, "cannot read the private key");
  testing_support::ExpectRefused(demo, {{"--tls", pki.hostFile}}, "usage: demo_host [--tls CERT KEY] [port]");
}

}  // namespace
}  // namespace vantor
