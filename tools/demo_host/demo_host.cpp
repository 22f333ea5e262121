// The demo host: serves the warehouse demo to any number of terminals from one thread.
//
//   demo_host [--tls CERT KEY] [port]
// listens on 127.0.0.1:port (9999 when not given; 0 picks a free port); with --tls every terminal
// speaks TLS, and the host presents the certificate (PEM) with its private key.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <asio.hpp>

#include "asio_tls.h"
#include "platform/net.h"
#include "terminal_server.h"
#include "warehouse.h"

namespace vantor::demo {
namespace {

constexpr const char* kUsage =
    "usage: demo_host [--tls CERT KEY] [port]\n"
    "A warehouse application for trying Vantor: listens on 127.0.0.1:port (9999 by default; 0 any free),\n"
    "and with --tls speaks TLS, presenting the certificate CERT (PEM) with its private key KEY.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Main(int argc, char** argv) {
  long port = 9999;
  std::unique_ptr<asio::ssl::context> tls;
  int at = 1;
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (at < argc && std::strcmp(argv[at], "--tls") == 0) {
    if (at + 2 >= argc) return Usage();
    tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    const std::string why = tools::ConfigureServer(*tls, argv[at + 1], argv[at + 2]);
    if (!why.empty()) {
      std::fprintf(stderr, "demo_host: %s\n", why.c_str());
      return 2;
    }
    at += 3;
  }
  if (argc - at > 1) return Usage();
  if (at < argc) {
    char* end = nullptr;
    port = std::strtol(argv[at], &end, 10);
    if (end == argv[at] || *end != '\0' || port < 0 || port > 65535) {
      std::fprintf(stderr, "demo_host: %s is not a port number\n", argv[at]);
      return 2;
    }
  }
  // The log is flushed per batch of events below, not per line.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  net::RaiseSocketLimit();
  StockBook stock;  // outlives the connections the io_context may still hold
  asio::io_context io(1);
  TerminalServer server(io, stock, tls.get());
  if (!server.Listen(static_cast<std::uint16_t>(port))) {
    std::fprintf(stderr, "demo_host: cannot listen on 127.0.0.1:%ld\n", port);
    return 1;
  }
  Log("Vantor demo host listening on 127.0.0.1:" + std::to_string(server.Port()) + (tls ? " (TLS)" : ""));
  std::fflush(stdout);
  // Each wake-up runs every handler that is ready, then the log lines they wrote go out in one write.
  while (io.run_one() > 0) {
    io.poll();
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace vantor::demo

int main(int argc, char** argv) { return vantor::demo::Main(argc, argv); }
