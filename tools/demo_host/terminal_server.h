// The demo host's serving: one thread accepts terminals and talks to each of them without ever waiting
// on one, so that no terminal's screen waits for another's.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <asio.hpp>
#include <asio/ssl.hpp>

#include "warehouse.h"

namespace vantor::demo {

// Writes one line of the host's log to stdout. The event loop flushes once per batch of handlers, so
// that a thousand terminals do not cost a write per line.
void Log(std::string_view line);

// Accepts terminals on the io_context's one thread; each gets a WarehouseDemo of its own over `stock`.
class TerminalServer {
 public:
  // Bytes of screens a terminal may leave unread before it is disconnected.
  static constexpr std::size_t kDefaultUnreadLimit = 256 * 1024;

  // A terminal that has not finished its TLS handshake by then is dropped.
  static constexpr std::chrono::seconds kHandshakeTimeout{10};

  // With a TLS context every terminal speaks TLS; it must outlive the server.
  TerminalServer(asio::io_context& io, StockBook& stock, asio::ssl::context* tls = nullptr,
                 std::size_t unreadLimit = kDefaultUnreadLimit);
  TerminalServer(const TerminalServer&) = delete;
  TerminalServer& operator=(const TerminalServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port) and starts accepting; false when it cannot.
  bool Listen(std::uint16_t port);
  std::uint16_t Port() const;

 private:
  void Accept();

  StockBook& stock_;
  asio::ssl::context* tls_;
  std::size_t unreadLimit_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;  // after a failed accept (out of descriptors...), so that it does not spin
  bool acceptFailing_ = false;
  int terminals_ = 0;
};

}  // namespace vantor::demo
