// The demo host: serves the warehouse demo to any number of terminals from one thread.
//
//   demo_host [port]     listens on 127.0.0.1:port (9999 when not given; 0 picks a free port)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <asio.hpp>

#include "platform/net.h"
#include "terminal_server.h"
#include "warehouse.h"

namespace vantor::demo {
namespace {

int Main(int argc, char** argv) {
  long port = 9999;
  if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
    std::fprintf(stderr, "usage: demo_host [port]\n");
    return 2;
  }
  if (argc == 2) {
    char* end = nullptr;
    port = std::strtol(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || port < 0 || port > 65535) {
      std::fprintf(stderr, "demo_host: %s is not a port number\n", argv[1]);
      return 2;
    }
  }
  // The log is flushed per batch of events below, not per line.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  net::RaiseSocketLimit();
  StockBook stock;  // outlives the connections the io_context may still hold
  asio::io_context io(1);
  TerminalServer server(io, stock);
  if (!server.Listen(static_cast<std::uint16_t>(port))) {
    std::fprintf(stderr, "demo_host: cannot listen on 127.0.0.1:%ld\n", port);
    return 1;
  }
  Log("Vantor demo host listening on 127.0.0.1:" + std::to_string(server.Port()));
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
