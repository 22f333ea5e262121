// The gateway's byte streams: one face over a plain TCP socket and (for TLS) a stream on top of one,
// so that each side of the gateway takes either.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <system_error>

#include <asio.hpp>

namespace vantor::gateway {

class Stream {
 public:
  using Done = std::function<void(const std::error_code&)>;
  using Transferred = std::function<void(const std::error_code&, std::size_t)>;

  virtual ~Stream() = default;
  // Before any read or write: the TLS handshake; a plain stream is ready at once (done is posted).
  virtual void Handshake(Done done) = 0;
  virtual void ReadSome(asio::mutable_buffer buffer, Transferred done) = 0;
  // Every byte of the buffer, which must live until done.
  virtual void Write(asio::const_buffer buffer, Transferred done) = 0;
  // Our direction ends (the peer reads the end of the stream); reading goes on.
  virtual void EndSending() = 0;
  // At once; reset: the peer's connection is reset instead of ended.
  virtual void Close(bool reset) = 0;
  virtual asio::ip::tcp::socket& Socket() = 0;
  // The agreed protocol ("TLSv1.3"); empty for plain TCP.
  virtual std::string Protocol() const { return {}; }
};

class PlainStream final : public Stream {
 public:
  explicit PlainStream(asio::ip::tcp::socket socket) : socket_(std::move(socket)) {}

  void Handshake(Done done) override {
    asio::post(socket_.get_executor(), [done = std::move(done)] { done({}); });
  }
  void ReadSome(asio::mutable_buffer buffer, Transferred done) override {
    socket_.async_read_some(buffer, std::move(done));
  }
  void Write(asio::const_buffer buffer, Transferred done) override {
    asio::async_write(socket_, buffer, std::move(done));
  }
  void EndSending() override {
    std::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  }
  void Close(bool reset) override {
    std::error_code ignored;
    if (reset && socket_.is_open()) socket_.set_option(asio::socket_base::linger(true, 0), ignored);
    socket_.close(ignored);
  }
  asio::ip::tcp::socket& Socket() override { return socket_; }

 private:
  asio::ip::tcp::socket socket_;
};

}  // namespace vantor::gateway
