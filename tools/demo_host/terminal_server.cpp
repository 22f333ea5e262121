// The demo host's connections: every read and write is asynchronous, answers queue per terminal, and a
// terminal that leaves too much unread is dropped instead of growing the host's memory.
#include "terminal_server.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "session/record_assembler.h"
#include "session/responses.h"

namespace vantor::demo {

using asio::ip::tcp;

void Log(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

namespace {

// Far above any response of the demo's screens; a terminal that never ends a record cannot exhaust the
// host's memory.
constexpr std::size_t kLargestRecord = 64 * 1024;

using TlsSocket = asio::ssl::stream<tcp::socket>;

tcp::socket& Lowest(tcp::socket& socket) { return socket; }
tcp::socket& Lowest(TlsSocket& stream) { return stream.next_layer(); }

// One terminal's conversation over a TCP socket, or a TLS stream on one. Kept alive by the handlers
// waiting on its socket; ends when the terminal closes, a read or write fails, or its unread screens
// pass the limit.
template <typename Stream>
class TerminalConnection : public std::enable_shared_from_this<TerminalConnection<Stream>> {
 public:
  template <typename... Layers>
  TerminalConnection(int number, StockBook& stock, std::size_t unreadLimit, Layers&&... layers)
      : socket_(std::forward<Layers>(layers)...),
        who_("terminal #" + std::to_string(number)),
        demo_(stock),
        unreadLimit_(unreadLimit),
        handshakeTimer_(Lowest(socket_).get_executor()) {}

  void Start() {
    if constexpr (std::is_same_v<Stream, TlsSocket>) {
      // The terminal's first records come only after the handshake; one that stalls is dropped.
      auto self = this->shared_from_this();
      handshakeTimer_.expires_after(TerminalServer::kHandshakeTimeout);
      handshakeTimer_.async_wait([self](const std::error_code& cancelled) {
        if (!cancelled) self->Close(" took too long for its TLS handshake");
      });
      socket_.async_handshake(asio::ssl::stream_base::server, [self](const std::error_code& error) {
        self->handshakeTimer_.cancel();
        if (error) return self->Close(": TLS handshake failed (" + error.message() + ")");
        Log(self->who_ + " connected over " + SSL_get_version(self->socket_.native_handle()));
        self->Read();
      });
    } else {
      Log(who_ + " connected");
      Read();
    }
  }

 private:
  void Read() {
    auto self = this->shared_from_this();
    socket_.async_read_some(asio::buffer(buffer_),
                            [self](const std::error_code& error, std::size_t n) { self->Received(error, n); });
  }

  void Received(const std::error_code& error, std::size_t n) {
    if (!Lowest(socket_).is_open()) return;
    if (error) return Close();
    const std::size_t droppedBefore = assembler_.DroppedRecords();
    assembler_.Feed(RecordBytes(buffer_.data(), n), [this](RecordBytes bytes) {
      if (overflowed_) return;  // disconnected: the rest is not answered
      const TerminalRecord record =
          ReadTerminalRecord(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      if (!record.terminalId.empty()) terminalId_ = record.terminalId;
      for (const std::string& answer : demo_.OnRecord(record)) Send(answer);
      if (!demo_.LastEvent().empty()) Log(who_ + " (id " + terminalId_ + "): " + demo_.LastEvent());
    });
    if (overflowed_) {
      Log(who_ + ": screens left unread, disconnected");
      return Close();
    }
    if (assembler_.DroppedRecords() != droppedBefore) Log(who_ + ": oversized record dropped");
    Read();
  }

  // Queues the bytes behind those being written; one write at a time keeps them in order.
  void Send(const std::string& bytes) {
    if (overflowed_ || bytes.empty()) return;
    if (writing_.size() + queued_.size() + bytes.size() > unreadLimit_) {
      overflowed_ = true;
      return;
    }
    queued_ += bytes;
    if (writing_.empty()) WriteQueued();
  }

  void WriteQueued() {
    writing_.swap(queued_);
    queued_.clear();
    auto self = this->shared_from_this();
    asio::async_write(socket_, asio::buffer(writing_),
                      [self](const std::error_code& error, std::size_t) { self->Written(error); });
  }

  void Written(const std::error_code& error) {
    if (!Lowest(socket_).is_open()) return;
    if (error) return Close();
    writing_.clear();
    if (!queued_.empty()) WriteQueued();
  }

  // Pending reads and writes end with operation_aborted and let go of the connection.
  void Close(const std::string& why = " disconnected") {
    if (!Lowest(socket_).is_open()) return;
    std::error_code ignored;
    Lowest(socket_).close(ignored);
    handshakeTimer_.cancel();
    Log(who_ + why);
  }

  Stream socket_;
  std::string who_;
  WarehouseDemo demo_;
  std::size_t unreadLimit_;
  RecordAssembler assembler_{kLargestRecord};
  std::string terminalId_;
  std::string writing_;  // the bytes of the write in flight; empty when none is
  std::string queued_;   // answers made while a write was in flight
  bool overflowed_ = false;
  std::array<std::uint8_t, 4096> buffer_;
  asio::steady_timer handshakeTimer_;
};

}  // namespace

TerminalServer::TerminalServer(asio::io_context& io, StockBook& stock, asio::ssl::context* tls, std::size_t unreadLimit)
    : stock_(stock), tls_(tls), unreadLimit_(unreadLimit), acceptor_(io), retry_(io) {}

bool TerminalServer::Listen(std::uint16_t port) {
  const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
  std::error_code failed;
  acceptor_.open(endpoint.protocol(), failed);
#ifndef _WIN32
  // The demo's fixed port can be taken again at once after a restart (on Windows the option would let
  // another program take a port in use).
  if (!failed) acceptor_.set_option(tcp::acceptor::reuse_address(true), failed);
#endif
  if (!failed) acceptor_.bind(endpoint, failed);
  // A thousand terminals may connect in one burst.
  if (!failed) acceptor_.listen(asio::socket_base::max_listen_connections, failed);
  if (failed) {
    std::error_code ignored;
    acceptor_.close(ignored);
    return false;
  }
  Accept();
  return true;
}

std::uint16_t TerminalServer::Port() const {
  std::error_code ignored;
  return acceptor_.local_endpoint(ignored).port();
}

void TerminalServer::Accept() {
  acceptor_.async_accept([this](const std::error_code& error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (error) {
      // Logged once per run of failures; the waiting connections stay queued until the retry.
      if (!acceptFailing_) Log("accepting a terminal failed: " + error.message() + "; trying again");
      acceptFailing_ = true;
      retry_.expires_after(std::chrono::milliseconds(100));
      retry_.async_wait([this](const std::error_code& cancelled) {
        if (!cancelled) Accept();
      });
      return;
    }
    acceptFailing_ = false;
    std::error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    if (tls_ != nullptr) {
      std::make_shared<TerminalConnection<TlsSocket>>(++terminals_, stock_, unreadLimit_, std::move(socket), *tls_)
          ->Start();
    } else {
      std::make_shared<TerminalConnection<tcp::socket>>(++terminals_, stock_, unreadLimit_, std::move(socket))->Start();
    }
    Accept();
  });
}

}  // namespace vantor::demo
