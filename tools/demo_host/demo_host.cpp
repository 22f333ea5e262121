// The demo host: serves the warehouse demo to any number of terminals, a thread per terminal.
//
//   demo_host [port]     listens on 127.0.0.1:port (9999 when not given; 0 picks a free port)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/net.h"
#include "listener.h"
#include "terminal_records.h"
#include "warehouse.h"

namespace vantor::demo {
namespace {

std::mutex logMutex;

void Log(const std::string& line) {
  std::lock_guard lock(logMutex);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool SendAll(net::Handle socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const std::size_t piece = std::min<std::size_t>(bytes.size() - sent, 1 << 16);
    const int n = net::Send(socket, bytes.data() + sent, static_cast<int>(piece));
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// One terminal's conversation, until it closes the connection or a send fails.
void ServeTerminal(net::Handle socket, int number, StockBook& stock) {
  std::string who = "terminal #";
  who += std::to_string(number);
  Log(who + " connected");
  WarehouseDemo demo(stock);
  RecordSplitter splitter;
  std::string terminalId;
  char buffer[8192];
  bool open = true;
  while (open) {
    const int got = net::Receive(socket, buffer, sizeof buffer);
    if (got <= 0) break;
    const int droppedBefore = splitter.Dropped();
    for (const std::string& raw : splitter.Feed(std::string_view(buffer, static_cast<std::size_t>(got)))) {
      const TerminalRecord record = SplitTerminalId(raw);
      if (!record.terminalId.empty()) terminalId = record.terminalId;
      for (const std::string& answer : demo.OnRecord(record)) {
        if (!SendAll(socket, answer)) {
          open = false;
          break;
        }
      }
      if (!demo.LastEvent().empty()) Log(who + " (id " + terminalId + "): " + demo.LastEvent());
      if (!open) break;
    }
    if (splitter.Dropped() != droppedBefore) Log(who + ": oversized record dropped");
  }
  net::Close(socket);
  Log(who + " disconnected");
}

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
  if (!net::Startup()) {
    std::fprintf(stderr, "demo_host: sockets unavailable\n");
    return 1;
  }
  Listener listener;
  if (!listener.Open(net::ParseIpv4("127.0.0.1"), static_cast<std::uint16_t>(port))) {
    std::fprintf(stderr, "demo_host: cannot listen on 127.0.0.1:%ld\n", port);
    net::Cleanup();
    return 1;
  }
  std::string ready = "Vantor demo host listening on 127.0.0.1:";
  ready += std::to_string(listener.Port());
  Log(ready);
  static StockBook stock;  // outlives the detached terminal threads
  int terminals = 0;
  for (;;) {
    const net::Handle connection = listener.Accept(60);
    if (connection == net::kInvalid) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a failing wait must not spin
      continue;
    }
    std::thread(ServeTerminal, connection, ++terminals, std::ref(stock)).detach();
  }
}

}  // namespace
}  // namespace vantor::demo

int main(int argc, char** argv) { return vantor::demo::Main(argc, argv); }
