// The proxy's connections: one host connection per terminal, both directions pumped independently;
// an end of stream is passed on as a half close, an error closes both sides.
#include "proxy.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace vantor::trace {

using asio::ip::tcp;

Recorder::Recorder(std::ostream& trace, CaptureWriter* capture)
    : trace_(trace), capture_(capture), decoder_([this](const std::string& line) { trace_ << line << '\n'; }) {}

void Recorder::Record(CaptureEvent event, std::uint32_t connection, std::string_view bytes) {
  const CaptureEntry entry{event, connection, clock_.Micros(), std::string(bytes)};
  if (capture_ != nullptr && !captureFailed_ && !capture_->Write(entry)) {
    captureFailed_ = true;
    std::fprintf(stderr, "vantor-trace: writing the raw capture failed; it ends here\n");
  }
  decoder_.Add(entry);
  trace_.flush();
}

void Recorder::Finish() {
  decoder_.Finish(clock_.Micros());
  trace_.flush();
}

// One terminal and its host connection. Kept alive by the handlers waiting on its sockets.
class ProxySession : public std::enable_shared_from_this<ProxySession> {
 public:
  // Both sides' TLS handshakes and the host's connect are bounded by this, together.
  static constexpr std::chrono::seconds kSetUpTimeout{10};

  ProxySession(asio::io_context& io, std::unique_ptr<ProxyStream> terminal, std::unique_ptr<ProxyStream> host,
               std::uint32_t number, Recorder& recorder)
      : terminal_(std::move(terminal)),
        host_(std::move(host)),
        resolver_(io),
        setUpTimer_(io),
        number_(number),
        recorder_(recorder) {}

  // The terminal's side is made ready first (its TLS handshake): the host is reached only for a
  // terminal that can talk.
  void Start(const Endpoint& host) {
    std::error_code ignored;
    const tcp::endpoint peer = terminal_->Socket().remote_endpoint(ignored);
    recorder_.Record(CaptureEvent::Opened, number_, peer.address().to_string() + ":" + std::to_string(peer.port()));
    auto self = shared_from_this();
    setUpTimer_.expires_after(kSetUpTimeout);
    setUpTimer_.async_wait([self](const std::error_code& cancelled) {
      if (!cancelled) self->Failed("not connected to the host within " + std::to_string(kSetUpTimeout.count()) + " s");
    });
    terminal_->Start([self, host](const std::string& why) {
      if (!why.empty()) return self->Failed("the terminal's TLS handshake failed: " + why);
      self->ConnectHost(host);
    });
  }

  // Both sides closed at once; the directions not yet ended are recorded as ended.
  void Abort() {
    End(true);
    End(false);
    closed_ = true;
    std::error_code ignored;
    terminal_->Socket().close(ignored);
    host_->Socket().close(ignored);
    resolver_.cancel();
    setUpTimer_.cancel();
  }

 private:
  struct Direction {
    std::array<char, 65536> buffer;
    bool ended = false;
  };

  void ConnectHost(const Endpoint& host) {
    if (closed_) return;
    auto self = shared_from_this();
    const std::string name = tools::WithPort(host.host, host.port);
    resolver_.async_resolve(host.host, std::to_string(host.port),
                            [self, name](const std::error_code& error, const tcp::resolver::results_type& results) {
                              if (error) return self->Failed("cannot reach " + name + ": " + error.message());
                              asio::async_connect(
                                  self->host_->Socket(), results,
                                  [self, name](const std::error_code& failed, const tcp::endpoint&) {
                                    if (failed) return self->Failed("cannot reach " + name + ": " + failed.message());
                                    std::error_code ignored;
                                    self->host_->Socket().set_option(tcp::no_delay(true), ignored);
                                    self->host_->Start([self, name](const std::string& why) {
                                      if (!why.empty()) return self->Failed("the host " + name + " is refused: " + why);
                                      self->setUpTimer_.cancel();
                                      self->Pump(true);
                                      self->Pump(false);
                                    });
                                  });
                            });
  }

  // Setting up the connection failed: said once on stderr, and both sides closed.
  void Failed(const std::string& why) {
    if (closed_) return;
    std::fprintf(stderr, "vantor-trace: connection %u: %s\n", number_, why.c_str());
    Abort();
  }

  // fromTerminal: the terminal's bytes to the host; otherwise the host's to the terminal.
  void Pump(bool fromTerminal) {
    ProxyStream& from = fromTerminal ? *terminal_ : *host_;
    Direction& direction = fromTerminal ? up_ : down_;
    auto self = shared_from_this();
    from.ReadSome(asio::buffer(direction.buffer), [self, fromTerminal](const std::error_code& error, std::size_t n) {
      self->Received(fromTerminal, error, n);
    });
  }

  void Received(bool fromTerminal, const std::error_code& error, std::size_t n) {
    Direction& direction = fromTerminal ? up_ : down_;
    if (direction.ended) return;
    if (error && (fromTerminal ? *terminal_ : *host_).IsEnd(error)) {
      // The peer ended its direction: the other side reads the end of its TCP stream (as a TLS peer of
      // the terminal's ends it), and may still answer.
      End(fromTerminal);
      std::error_code ignored;
      (fromTerminal ? *host_ : *terminal_).Socket().shutdown(tcp::socket::shutdown_send, ignored);
      if (up_.ended && down_.ended) Abort();
      return;
    }
    if (error) return Abort();
    recorder_.Record(fromTerminal ? CaptureEvent::FromTerminal : CaptureEvent::FromHost, number_,
                     std::string_view(direction.buffer.data(), n));
    auto self = shared_from_this();
    (fromTerminal ? *host_ : *terminal_)
        .Write(asio::buffer(direction.buffer.data(), n),
               [self, fromTerminal](const std::error_code& failed, std::size_t) {
                 if (failed) return self->Abort();
                 self->Pump(fromTerminal);
               });
  }

  void End(bool fromTerminal) {
    Direction& direction = fromTerminal ? up_ : down_;
    if (direction.ended) return;
    direction.ended = true;
    recorder_.Record(fromTerminal ? CaptureEvent::TerminalEnded : CaptureEvent::HostEnded, number_);
  }

  std::unique_ptr<ProxyStream> terminal_;
  std::unique_ptr<ProxyStream> host_;
  tcp::resolver resolver_;
  asio::steady_timer setUpTimer_;
  std::uint32_t number_;
  Recorder& recorder_;
  bool closed_ = false;
  Direction up_;
  Direction down_;
};

Proxy::Proxy(asio::io_context& io, Endpoint host, Recorder& recorder, StreamMaker& streams)
    : io_(io), host_(std::move(host)), recorder_(recorder), streams_(streams), acceptor_(io), retry_(io) {}

bool Proxy::Listen(const Endpoint& listen, std::string& error) {
  std::error_code failed;
  const asio::ip::address address = asio::ip::make_address(listen.host.empty() ? "0.0.0.0" : listen.host, failed);
  if (failed) {
    error = listen.host + " is not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, listen.port);
  acceptor_.open(endpoint.protocol(), failed);
  if (!failed) acceptor_.set_option(tcp::acceptor::reuse_address(true), failed);
  if (!failed) acceptor_.bind(endpoint, failed);
  if (!failed) acceptor_.listen(asio::socket_base::max_listen_connections, failed);
  if (failed) {
    error = "cannot listen on " + tools::WithPort(address.to_string(), listen.port) + ": " + failed.message();
    return false;
  }
  Accept();
  return true;
}

void Proxy::Accept() {
  acceptor_.async_accept([this](const std::error_code& error, tcp::socket terminal) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (error) {
      std::fprintf(stderr, "vantor-trace: accepting a terminal failed: %s\n", error.message().c_str());
      retry_.expires_after(std::chrono::milliseconds(200));
      retry_.async_wait([this](const std::error_code& cancelled) {
        if (!cancelled) Accept();
      });
      return;
    }
    std::error_code ignored;
    terminal.set_option(tcp::no_delay(true), ignored);
    const std::uint32_t number = ++connections_;
    auto session = std::make_shared<ProxySession>(io_, streams_.Terminal(std::move(terminal)),
                                                  streams_.Host(tcp::socket(io_), host_.host), number, recorder_);
    for (auto it = sessions_.begin(); it != sessions_.end();) it = it->second.expired() ? sessions_.erase(it) : ++it;
    sessions_[number] = session;
    session->Start(host_);
    Accept();
  });
}

void Proxy::Stop() {
  std::error_code ignored;
  acceptor_.close(ignored);
  retry_.cancel();
  for (auto& [number, weak] : sessions_) {
    if (auto session = weak.lock()) session->Abort();
  }
  sessions_.clear();
}

}  // namespace vantor::trace
