// The gateway's connections: each terminal and each host connection reads and writes on its own,
// never waiting on another; what they receive goes to the core, what the core asks they do.
#include "gateway_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

#include <array>
#include <string_view>

namespace vantor::gateway {

using asio::ip::tcp;

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr std::chrono::milliseconds kTickInterval{250};

std::string PeerText(const tcp::socket& socket) {
  std::error_code failed;
  const tcp::endpoint peer = socket.remote_endpoint(failed);
  if (failed) return "?";
  return peer.address().to_string() + ":" + std::to_string(peer.port());
}

// A handheld whose Wi-Fi is gone sends nothing, not even a reset: the connection is taken for lost
// after a minute without acknowledgements, or without an answer to the keepalive probes.
void WatchForLoss(tcp::socket& socket) {
  std::error_code ignored;
  socket.set_option(tcp::no_delay(true), ignored);
  socket.set_option(asio::socket_base::keep_alive(true), ignored);
  socket.set_option(asio::detail::socket_option::integer<IPPROTO_TCP, TCP_KEEPIDLE>(30), ignored);
  socket.set_option(asio::detail::socket_option::integer<IPPROTO_TCP, TCP_KEEPINTVL>(10), ignored);
  socket.set_option(asio::detail::socket_option::integer<IPPROTO_TCP, TCP_KEEPCNT>(3), ignored);
  socket.set_option(asio::detail::socket_option::integer<IPPROTO_TCP, TCP_USER_TIMEOUT>(60000), ignored);
}

}  // namespace

// Writes queue behind the one in flight, so that records keep their order.
class Outbox {
 public:
  bool Empty() const { return writing_.empty() && queued_.empty(); }
  std::size_t Size() const { return writing_.size() + queued_.size(); }
  void Add(std::string_view bytes) { queued_.append(bytes); }
  // The bytes to write next, when no write is in flight; null otherwise.
  const std::string* Next() {
    if (!writing_.empty() || queued_.empty()) return nullptr;
    writing_.swap(queued_);
    queued_.clear();
    return &writing_;
  }
  void Written() { writing_.clear(); }

 private:
  std::string writing_;
  std::string queued_;
};

class TerminalLink : public std::enable_shared_from_this<TerminalLink> {
 public:
  TerminalLink(GatewayServer& server, ConnectionId id, std::string peer, std::unique_ptr<Stream> stream)
      : server_(server), id_(id), peer_(std::move(peer)), stream_(std::move(stream)) {}

  const std::string& Peer() const { return peer_; }
  std::string Protocol() const { return ready_ && !closed_ ? stream_->Protocol() : std::string(); }

  void Start() {
    auto self = shared_from_this();
    stream_->Handshake([self](const std::error_code& error) {
      if (self->closed_) return;
      if (error) return self->Lost();
      self->ready_ = true;
      self->Read();
      self->Flush();
    });
  }

  void Send(std::string_view bytes) {
    if (closed_ || ending_) return;
    if (outbox_.Size() + bytes.size() > server_.options_.unsentLimit) {
      // Not read for too long: lost, told once the core's call is over.
      auto self = shared_from_this();
      asio::post(server_.io_, [self] { self->Lost(); });
      return;
    }
    outbox_.Add(bytes);
    Flush();
  }

  // The core's close: never reported back.
  void Close(CloseMode mode) {
    auto self = shared_from_this();
    reported_ = true;
    if (mode == CloseMode::Reset) return Shut(true);
    ending_ = true;
    if (outbox_.Empty()) Finish();
  }

 private:
  void Read() {
    auto self = shared_from_this();
    stream_->ReadSome(asio::buffer(buffer_), [self](const std::error_code& error, std::size_t n) {
      if (self->closed_) return;
      if (error) return self->Lost();
      if (!self->reported_) {
        self->server_.core_.TerminalBytes(self->id_, std::string_view(self->buffer_.data(), n), SteadyClock::now());
      }
      if (!self->closed_) self->Read();
    });
  }

  void Flush() {
    if (!ready_ || closed_) return;
    const std::string* bytes = outbox_.Next();
    if (bytes == nullptr) return;
    auto self = shared_from_this();
    stream_->Write(asio::buffer(*bytes), [self](const std::error_code& error, std::size_t) {
      if (self->closed_) return;
      if (error) return self->Lost();
      self->outbox_.Written();
      if (!self->outbox_.Empty()) return self->Flush();
      if (self->ending_) self->Finish();
    });
  }

  // Everything sent: the end of the stream, then the socket goes.
  void Finish() {
    stream_->EndSending();
    Shut(false);
  }

  void Lost() {
    if (closed_) return;
    const bool report = !reported_;
    Shut(true);
    if (report) server_.core_.TerminalClosed(id_, SteadyClock::now());
  }

  void Shut(bool reset) {
    auto self = shared_from_this();
    closed_ = true;
    stream_->Close(reset);
    server_.Forget(id_);
  }

  GatewayServer& server_;
  ConnectionId id_;
  std::string peer_;
  std::unique_ptr<Stream> stream_;
  std::array<char, kReadChunk> buffer_{};
  Outbox outbox_;
  bool ready_ = false;     // handshake done
  bool reported_ = false;  // the core knows it is gone, or closed it
  bool ending_ = false;    // closing once the outbox is empty
  bool closed_ = false;
};

class HostLink : public std::enable_shared_from_this<HostLink> {
 public:
  HostLink(GatewayServer& server, SessionId id)
      : server_(server), id_(id), socket_(server.io_), resolver_(server.io_), timer_(server.io_) {}

  void Connect() {
    auto self = shared_from_this();
    timer_.expires_after(server_.options_.connectTimeout);
    timer_.async_wait([self](const std::error_code& error) {
      if (error || self->connected_ || self->closed_) return;
      self->Failed("no answer within " + std::to_string(self->server_.options_.connectTimeout.count()) + " ms");
    });
    const Address& host = server_.options_.host;
    resolver_.async_resolve(host.host, std::to_string(host.port),
                            [self](const std::error_code& error, const tcp::resolver::results_type& results) {
                              if (self->closed_) return;
                              if (error) return self->Failed(error.message());
                              self->ConnectTo(results);
                            });
  }

  void Send(std::string_view bytes) {
    if (closed_) return;
    if (outbox_.Size() + bytes.size() > server_.options_.unsentLimit) {
      auto self = shared_from_this();
      asio::post(server_.io_, [self] { self->Lost(); });
      return;
    }
    outbox_.Add(bytes);
    Flush();
  }

  void Close(CloseMode mode) {
    auto self = shared_from_this();
    Shut(mode == CloseMode::Reset);
  }

 private:
  void ConnectTo(const tcp::resolver::results_type& results) {
    auto self = shared_from_this();
    asio::async_connect(socket_, results, [self](const std::error_code& error, const tcp::endpoint&) {
      if (self->closed_) return;
      if (error) return self->Failed(error.message());
      std::error_code ignored;
      self->socket_.set_option(tcp::no_delay(true), ignored);
      const StreamMaker& make = self->server_.options_.hostStream;
      self->stream_ = make ? make(std::move(self->socket_)) : std::make_unique<PlainStream>(std::move(self->socket_));
      self->stream_->Handshake([self](const std::error_code& failed) {
        if (self->closed_) return;
        if (failed) return self->Failed("TLS handshake: " + failed.message());
        self->timer_.cancel();
        self->connected_ = true;
        self->server_.core_.HostConnected(self->id_, SteadyClock::now());
        if (self->closed_) return;
        self->Read();
        self->Flush();
      });
    });
  }

  void Read() {
    auto self = shared_from_this();
    stream_->ReadSome(asio::buffer(buffer_), [self](const std::error_code& error, std::size_t n) {
      if (self->closed_) return;
      if (error) return self->Lost();
      self->server_.core_.HostBytes(self->id_, std::string_view(self->buffer_.data(), n), SteadyClock::now());
      if (!self->closed_) self->Read();
    });
  }

  void Flush() {
    if (!connected_ || closed_) return;
    const std::string* bytes = outbox_.Next();
    if (bytes == nullptr) return;
    auto self = shared_from_this();
    stream_->Write(asio::buffer(*bytes), [self](const std::error_code& error, std::size_t) {
      if (self->closed_) return;
      if (error) return self->Lost();
      self->outbox_.Written();
      self->Flush();
    });
  }

  void Failed(const std::string& why) {
    if (closed_) return;
    Shut(true);
    server_.core_.HostConnectFailed(id_, why, SteadyClock::now());
  }

  void Lost() {
    if (closed_) return;
    Shut(true);
    server_.core_.HostClosed(id_, SteadyClock::now());
  }

  void Shut(bool reset) {
    auto self = shared_from_this();
    closed_ = true;
    timer_.cancel();
    resolver_.cancel();
    std::error_code ignored;
    if (stream_) {
      stream_->Close(reset);
    } else {
      socket_.close(ignored);
    }
    server_.ForgetHost(id_);
  }

  GatewayServer& server_;
  SessionId id_;
  tcp::socket socket_;  // until connected; then the stream's
  tcp::resolver resolver_;
  asio::steady_timer timer_;
  std::unique_ptr<Stream> stream_;
  std::array<char, kReadChunk> buffer_{};
  Outbox outbox_;
  bool connected_ = false;
  bool closed_ = false;
};

GatewayServer::GatewayServer(asio::io_context& io, ServerOptions options, EventSink& events, TrafficObserver* traffic)
    : io_(io),
      options_(std::move(options)),
      core_(options_.core, *this, events, traffic),
      acceptor_(io),
      retry_(io),
      tick_(io) {}

GatewayServer::~GatewayServer() { Stop(); }

bool GatewayServer::Listen(std::string& error) {
  std::error_code failed;
  const std::string host = options_.listen.host.empty() ? "0.0.0.0" : options_.listen.host;
  const asio::ip::address address = asio::ip::make_address(host, failed);
  if (failed) {
    error = host + " is not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, options_.listen.port);
  acceptor_.open(endpoint.protocol(), failed);
  if (!failed) acceptor_.set_option(tcp::acceptor::reuse_address(true), failed);
  if (!failed) acceptor_.bind(endpoint, failed);
  if (!failed) acceptor_.listen(asio::socket_base::max_listen_connections, failed);
  if (failed) {
    error = "cannot listen on " + address.to_string() + ":" + std::to_string(options_.listen.port) + ": " +
            failed.message();
    std::error_code ignored;
    acceptor_.close(ignored);
    return false;
  }
  stopped_ = false;
  Accept();
  Tick();
  return true;
}

tcp::endpoint GatewayServer::Local() const {
  std::error_code ignored;
  return acceptor_.local_endpoint(ignored);
}

void GatewayServer::Accept() {
  acceptor_.async_accept([this](const std::error_code& error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (error) {
      retry_.expires_after(std::chrono::milliseconds(100));
      retry_.async_wait([this](const std::error_code& cancelled) {
        if (!cancelled) Accept();
      });
      return;
    }
    WatchForLoss(socket);
    const std::string peer = PeerText(socket);
    const ConnectionId id = nextConnection_++;
    std::unique_ptr<Stream> stream = options_.terminalStream ? options_.terminalStream(std::move(socket))
                                                             : std::make_unique<PlainStream>(std::move(socket));
    auto link = std::make_shared<TerminalLink>(*this, id, peer, std::move(stream));
    terminals_[id] = link;
    core_.TerminalConnected(id, peer, SteadyClock::now());
    link->Start();
    Accept();
  });
}

void GatewayServer::Tick() {
  tick_.expires_after(kTickInterval);
  tick_.async_wait([this](const std::error_code& error) {
    if (error || stopped_) return;
    core_.Tick(SteadyClock::now());
    Tick();
  });
}

void GatewayServer::Stop() {
  stopped_ = true;
  std::error_code ignored;
  acceptor_.close(ignored);
  retry_.cancel();
  tick_.cancel();
  const auto terminals = terminals_;
  for (const auto& [id, link] : terminals) link->Close(CloseMode::Reset);
  const auto hosts = hosts_;
  for (const auto& [id, link] : hosts) link->Close(CloseMode::Reset);
}

void GatewayServer::SendToTerminal(ConnectionId connection, std::string_view bytes) {
  if (const auto found = terminals_.find(connection); found != terminals_.end()) found->second->Send(bytes);
}

void GatewayServer::CloseTerminal(ConnectionId connection, CloseMode mode) {
  if (const auto found = terminals_.find(connection); found != terminals_.end()) {
    const std::shared_ptr<TerminalLink> link = found->second;
    link->Close(mode);
  }
}

void GatewayServer::ConnectHost(SessionId session) {
  auto link = std::make_shared<HostLink>(*this, session);
  hosts_[session] = link;
  link->Connect();
}

void GatewayServer::SendToHost(SessionId session, std::string_view bytes) {
  if (const auto found = hosts_.find(session); found != hosts_.end()) found->second->Send(bytes);
}

void GatewayServer::CloseHost(SessionId session, CloseMode mode) {
  if (const auto found = hosts_.find(session); found != hosts_.end()) {
    const std::shared_ptr<HostLink> link = found->second;
    link->Close(mode);
  }
}

std::string GatewayServer::TerminalProtocol(std::string_view peer) const {
  for (const auto& [id, link] : terminals_) {
    if (link->Peer() == peer) return link->Protocol();
  }
  return {};
}

}  // namespace vantor::gateway
