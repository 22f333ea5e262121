// The proxy's connections: one host connection per terminal, both directions pumped independently;
// an end of stream is passed on as a half close, an error closes both sides.
#include "proxy.h"

#include <array>
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
  ProxySession(asio::io_context& io, tcp::socket terminal, std::uint32_t number, Recorder& recorder)
      : terminal_(std::move(terminal)), host_(io), resolver_(io), number_(number), recorder_(recorder) {}

  void Start(const Endpoint& host) {
    std::error_code ignored;
    const tcp::endpoint peer = terminal_.remote_endpoint(ignored);
    recorder_.Record(CaptureEvent::Opened, number_, peer.address().to_string() + ":" + std::to_string(peer.port()));
    auto self = shared_from_this();
    resolver_.async_resolve(host.host, std::to_string(host.port),
                            [self, host](const std::error_code& error, const tcp::resolver::results_type& results) {
                              if (error) return self->Unreachable(host, error);
                              asio::async_connect(self->host_, results,
                                                  [self, host](const std::error_code& failed, const tcp::endpoint&) {
                                                    if (failed) return self->Unreachable(host, failed);
                                                    std::error_code unset;
                                                    self->host_.set_option(tcp::no_delay(true), unset);
                                                    self->Pump(true);
                                                    self->Pump(false);
                                                  });
                            });
  }

  // Both sides closed at once; the directions not yet ended are recorded as ended.
  void Abort() {
    End(true);
    End(false);
    std::error_code ignored;
    terminal_.close(ignored);
    host_.close(ignored);
    resolver_.cancel();
  }

 private:
  struct Direction {
    std::array<char, 65536> buffer;
    bool ended = false;
  };

  void Unreachable(const Endpoint& host, const std::error_code& error) {
    if (error == asio::error::operation_aborted) return;
    std::fprintf(stderr, "vantor-trace: connection %u: cannot reach %s:%u: %s\n", number_, host.host.c_str(),
                 static_cast<unsigned>(host.port), error.message().c_str());
    Abort();
  }

  // fromTerminal: the terminal's bytes to the host; otherwise the host's to the terminal.
  void Pump(bool fromTerminal) {
    tcp::socket& from = fromTerminal ? terminal_ : host_;
    Direction& direction = fromTerminal ? up_ : down_;
    auto self = shared_from_this();
    from.async_read_some(
        asio::buffer(direction.buffer),
        [self, fromTerminal](const std::error_code& error, std::size_t n) { self->Received(fromTerminal, error, n); });
  }

  void Received(bool fromTerminal, const std::error_code& error, std::size_t n) {
    Direction& direction = fromTerminal ? up_ : down_;
    if (direction.ended) return;
    if (error == asio::error::eof) {
      // The peer ended its direction: the other side reads the end of the stream, and may still answer.
      End(fromTerminal);
      std::error_code ignored;
      (fromTerminal ? host_ : terminal_).shutdown(tcp::socket::shutdown_send, ignored);
      if (up_.ended && down_.ended) Abort();
      return;
    }
    if (error) return Abort();
    recorder_.Record(fromTerminal ? CaptureEvent::FromTerminal : CaptureEvent::FromHost, number_,
                     std::string_view(direction.buffer.data(), n));
    auto self = shared_from_this();
    asio::async_write(fromTerminal ? host_ : terminal_, asio::buffer(direction.buffer.data(), n),
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

  tcp::socket terminal_;
  tcp::socket host_;
  tcp::resolver resolver_;
  std::uint32_t number_;
  Recorder& recorder_;
  Direction up_;
  Direction down_;
};

Proxy::Proxy(asio::io_context& io, Endpoint host, Recorder& recorder)
    : io_(io), host_(std::move(host)), recorder_(recorder), acceptor_(io), retry_(io) {}

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
    error = "cannot listen on " + address.to_string() + ":" + std::to_string(listen.port) + ": " + failed.message();
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
    auto session = std::make_shared<ProxySession>(io_, std::move(terminal), number, recorder_);
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
