// vantor-gateway: keeps terminals' host sessions while their handhelds are away (docs/gateway.md).
//
//   vantor-gateway --listen [ADDR:]PORT --host HOST:PORT [--hold SECONDS] [--identify-timeout SECONDS]
//                  [--tls-cert FILE --tls-key FILE] [--host-tls [--host-tls-pin HEX]]
//                  [--settings FILE] [--json-log FILE] [--trace DIR]
//                  [--admin [ADDR:]PORT [--admin-token TOKEN | --admin-token-file FILE]]
// Exit codes: 0 stopped by a signal, 1 it could not start (listen, files), 2 a bad command line.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include <asio.hpp>

#include "admin_server.h"
#include "admin_views.h"
#include "gateway_log.h"
#include "gateway_server.h"
#include "tls_stream.h"
#include "platform/codepage.h"
#include "platform/net.h"
#include "platform/tls_options.h"

namespace vantor::gateway {
namespace {

constexpr const char* kUsage =
    "usage: vantor-gateway --listen [ADDR:]PORT --host HOST:PORT [--hold SECONDS]\n"
    "                      [--identify-timeout SECONDS] [--tls-cert FILE --tls-key FILE]\n"
    "                      [--host-tls [--host-tls-pin HEX]] [--settings FILE] [--json-log FILE] [--trace DIR]\n"
    "                      [--admin [ADDR:]PORT [--admin-token TOKEN | --admin-token-file FILE]]\n"
    "  keeps each terminal's host session while its connection is away (--hold, default 600 s) and puts\n"
    "  its screen back when it returns; --settings is the terminals' Vantor.ini (code page, grid)\n"
    "  --tls-cert/--tls-key: terminals connect over TLS (PEM certificate chain and key); --host-tls: the\n"
    "  host speaks TLS, its certificate trusted by the system or, with --host-tls-pin, the one whose\n"
    "  SHA-256 fingerprint is HEX\n"
    "  --admin serves the web console (ADDR defaults to 127.0.0.1; without a token loopback peers only)\n";

int BadCommandLine(const std::string& why) {
  std::fprintf(stderr, "vantor-gateway: %s\n%s", why.c_str(), kUsage);
  return 2;
}

int Failed(const std::string& why) {
  std::fprintf(stderr, "vantor-gateway: %s\n", why.c_str());
  return 1;
}

// "[ADDR:]PORT" or "HOST:PORT"; none when the port is no number in 1..65535 or a host is missing.
std::optional<Address> ParseAddress(const std::string& text, bool hostRequired) {
  const std::size_t colon = text.rfind(':');
  Address address;
  std::string port = text;
  if (colon != std::string::npos) {
    address.host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (address.host.size() > 2 && address.host.front() == '[' && address.host.back() == ']')
      address.host = address.host.substr(1, address.host.size() - 2);
    if (address.host.empty()) return std::nullopt;
  }
  if (hostRequired && address.host.empty()) return std::nullopt;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const unsigned long value = std::stoul(port);
  if (value > 65535 || (hostRequired && value == 0)) return std::nullopt;
  address.port = static_cast<std::uint16_t>(value);
  return address;
}

std::optional<std::chrono::milliseconds> ParseSeconds(const std::string& text, double most) {
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (text.empty() || end == text.c_str() || *end != '\0' || !(seconds >= 0 && seconds <= most)) return std::nullopt;
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

int Main(int argc, char** argv) {
  static const char* const kKnown[] = {"--listen",          "--host",         "--hold",  "--identify-timeout",
                                       "--settings",        "--json-log",     "--trace", "--tls-cert",
                                       "--tls-key",         "--host-tls-pin", "--admin", "--admin-token",
                                       "--admin-token-file"};
  std::map<std::string, std::string> options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--host-tls") {
      options[arg];
      continue;
    }
    bool known = false;
    for (const char* name : kKnown) known = known || arg == name;
    if (!known) return BadCommandLine("unknown argument " + arg);
    if (i + 1 >= argc) return BadCommandLine(arg + " needs a value");
    if (!options.emplace(arg, argv[++i]).second) return BadCommandLine(arg + " is given twice");
  }
  if (!options.count("--listen") || !options.count("--host")) return BadCommandLine("--listen and --host are needed");
  ServerOptions server;
  const std::optional<Address> listen = ParseAddress(options["--listen"], false);
  if (!listen) return BadCommandLine("--listen takes [ADDR:]PORT, got " + options["--listen"]);
  const std::optional<Address> host = ParseAddress(options["--host"], true);
  if (!host) return BadCommandLine("--host takes HOST:PORT, got " + options["--host"]);
  server.listen = *listen;
  server.host = *host;
  if (options.count("--hold")) {
    const auto hold = ParseSeconds(options["--hold"], 7 * 24 * 3600.0);
    if (!hold) return BadCommandLine("--hold takes a number of seconds (0 to a week)");
    server.core.hold = *hold;
  }
  if (options.count("--identify-timeout")) {
    const auto wait = ParseSeconds(options["--identify-timeout"], 3600.0);
    if (!wait) return BadCommandLine("--identify-timeout takes a number of seconds (up to 3600)");
    server.core.identifyTimeout = *wait;
  }
  if (options.count("--tls-cert") != options.count("--tls-key"))
    return BadCommandLine("--tls-cert and --tls-key go together");
  if (options.count("--host-tls-pin") && !options.count("--host-tls")) options["--host-tls"];
  if (options.count("--host-tls-pin") && !ParsePin(options["--host-tls-pin"]))
    return BadCommandLine("--host-tls-pin takes the SHA-256 fingerprint of the host's certificate (64 hex digits)");
  // The contexts outlive the server, whose streams use them.
  std::unique_ptr<asio::ssl::context> terminalTls;
  if (options.count("--tls-cert")) {
    terminalTls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    const std::string why = tools::ConfigureServer(*terminalTls, options["--tls-cert"], options["--tls-key"]);
    if (!why.empty()) return Failed(why);
    server.terminalStream = [&context = *terminalTls](asio::ip::tcp::socket socket) {
      return std::make_unique<TlsStream>(std::move(socket), context);
    };
  }
  std::unique_ptr<asio::ssl::context> hostTls;
  if (options.count("--host-tls")) {
    hostTls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    const TlsOptions check{true, options["--host-tls-pin"], ""};
    if (tools::ConfigureClient(*hostTls, check) != LinkFailure::kNone) return Failed("cannot set up TLS to the host");
    server.hostStream = [&context = *hostTls, check, name = host->host](asio::ip::tcp::socket socket) {
      return std::make_unique<TlsStream>(std::move(socket), context, check, name);
    };
  }
  if (options.count("--settings")) {
    Settings site(DecodeText(options["--settings"], CodePage::Utf8));
    if (!site.ReadSettings()) return Failed("cannot read " + options["--settings"]);
    server.core.site = site;
  }

  std::optional<AdminOptions> admin;
  if (options.count("--admin")) {
    const std::optional<Address> address = ParseAddress(options["--admin"], false);
    if (!address) return BadCommandLine("--admin takes [ADDR:]PORT, got " + options["--admin"]);
    admin = AdminOptions{address->host.empty() ? "127.0.0.1" : address->host, address->port, {}};
  }
  if (options.count("--admin-token") && options.count("--admin-token-file"))
    return BadCommandLine("--admin-token and --admin-token-file exclude each other");
  if (options.count("--admin-token") || options.count("--admin-token-file")) {
    if (!admin) return BadCommandLine("a console token needs --admin");
    std::string token = options["--admin-token"];
    if (options.count("--admin-token-file")) {
      std::ifstream file(options["--admin-token-file"], std::ios::binary);
      if (!file || !std::getline(file, token)) return Failed("cannot read " + options["--admin-token-file"]);
    }
    while (!token.empty() && (token.back() == '\r' || token.back() == ' ')) token.pop_back();
    if (token.empty()) return BadCommandLine("the console token is empty");
    admin->token = token;
  }

  EventLog log(stdout);
  if (options.count("--json-log") && !log.OpenJson(options["--json-log"]))
    return Failed("cannot write " + options["--json-log"]);
  std::unique_ptr<TraceFiles> traces;
  if (options.count("--trace")) {
    std::error_code failed;
    std::filesystem::create_directories(options["--trace"], failed);
    if (!std::filesystem::is_directory(options["--trace"]))
      return Failed("cannot make the folder " + options["--trace"]);
    traces = std::make_unique<TraceFiles>(options["--trace"]);
  }

  // The log is flushed per batch of events below, not per line.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  net::RaiseSocketLimit();
  asio::io_context io(1);
  SnapshotBoard board;
  ConsoleFeed feed(io, board, traces.get(), log);
  GatewayServer gateway(io, server, admin ? static_cast<EventSink&>(feed) : log,
                        admin ? static_cast<TrafficObserver*>(&feed) : traces.get());
  std::string error;
  if (!gateway.Listen(error)) return Failed(error);
  std::fprintf(stderr, "vantor-gateway: listening on %s:%u%s, host %s:%u%s\n",
               gateway.Local().address().to_string().c_str(), static_cast<unsigned>(gateway.Local().port()),
               terminalTls ? " (TLS)" : "", host->host.c_str(), static_cast<unsigned>(host->port),
               hostTls ? " (TLS)" : "");
  std::unique_ptr<AdminServer> console;
  if (admin) {
    console = std::make_unique<AdminServer>(board, *admin);
    if (!console->Start(error)) return Failed(error);
    feed.Start(gateway.Core(), [&gateway](std::string_view peer) { return gateway.TerminalProtocol(peer); });
    std::fprintf(stderr, "vantor-gateway: console on http://%s:%u/\n", admin->host.c_str(),
                 static_cast<unsigned>(console->Port()));
    if (admin->token.empty() && !IsLoopback(admin->host))
      std::fprintf(stderr, "vantor-gateway: the console has no token: it answers loopback peers only\n");
  }
  std::fflush(stderr);
  asio::signal_set stop(io, SIGINT, SIGTERM);
  stop.async_wait([&](const std::error_code&, int) {
    feed.Stop();
    gateway.Stop();
    io.stop();
  });
  while (io.run_one() > 0) {
    io.poll();
    std::fflush(stdout);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace
}  // namespace vantor::gateway

int main(int argc, char** argv) {
  try {
    return vantor::gateway::Main(argc, argv);
  } catch (const std::exception& error) {  // out of memory or descriptors while starting, say
    std::fprintf(stderr, "vantor-gateway: %s\n", error.what());
    return 1;
  }
}
