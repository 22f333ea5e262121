// The gateway on the network: terminals accepted on one side, a host connection per session on the
// other, all on one Asio event loop; the sessions' logic is the core's.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <asio.hpp>

#include "gateway_core.h"
#include "stream.h"

namespace vantor::gateway {

struct Address {
  std::string host;
  std::uint16_t port = 0;
};

// Makes the stream of an accepted terminal, or of a connected host socket (TLS or plain).
using StreamMaker = std::function<std::unique_ptr<Stream>(asio::ip::tcp::socket socket)>;

struct ServerOptions {
  Address listen;
  Address host;
  CoreOptions core;
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(10)};
  // Bytes a peer may leave unread before its connection is taken for lost.
  std::size_t unsentLimit = 1024 * 1024;
  StreamMaker terminalStream;  // none: plain TCP
  StreamMaker hostStream;      // none: plain TCP
};

class TerminalLink;
class HostLink;

// Runs on the io_context's one thread.
class GatewayServer final : private GatewayIo {
 public:
  GatewayServer(asio::io_context& io, ServerOptions options, EventSink& events, TrafficObserver* traffic = nullptr);
  ~GatewayServer() override;
  GatewayServer(const GatewayServer&) = delete;
  GatewayServer& operator=(const GatewayServer&) = delete;

  // Starts accepting terminals; false (with the reason) when it cannot listen.
  bool Listen(std::string& error);
  asio::ip::tcp::endpoint Local() const;
  // Stops accepting and closes every connection: the sessions it holds end.
  void Stop();
  const GatewayCore& Core() const { return core_; }
  // The TLS protocol the terminal connected from `peer` agreed ("" for plain TCP): for a console.
  std::string TerminalProtocol(std::string_view peer) const;

 private:
  friend class TerminalLink;
  friend class HostLink;

  // GatewayIo
  void SendToTerminal(ConnectionId connection, std::string_view bytes) override;
  void CloseTerminal(ConnectionId connection, CloseMode mode) override;
  void ConnectHost(SessionId session) override;
  void SendToHost(SessionId session, std::string_view bytes) override;
  void CloseHost(SessionId session, CloseMode mode) override;

  void Accept();
  void Tick();
  void Forget(ConnectionId connection) { terminals_.erase(connection); }
  void ForgetHost(SessionId session) { hosts_.erase(session); }

  asio::io_context& io_;
  ServerOptions options_;
  GatewayCore core_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;  // after a failed accept (out of descriptors...), so that it does not spin
  asio::steady_timer tick_;
  ConnectionId nextConnection_ = 1;
  std::map<ConnectionId, std::shared_ptr<TerminalLink>> terminals_;
  std::map<SessionId, std::shared_ptr<HostLink>> hosts_;
  bool stopped_ = false;
};

}  // namespace vantor::gateway
