// The proxy's clear-text side.
#include "proxy_stream.h"

namespace vantor::trace {

namespace {

class ClearStream final : public ProxyStream {
 public:
  explicit ClearStream(asio::ip::tcp::socket socket) : socket_(std::move(socket)) {}
  asio::ip::tcp::socket& Socket() override { return socket_; }
  void Start(Started done) override { done(""); }
  void ReadSome(asio::mutable_buffer buffer, Done done) override { socket_.async_read_some(buffer, std::move(done)); }
  void Write(asio::const_buffer buffer, Done done) override { asio::async_write(socket_, buffer, std::move(done)); }

 private:
  asio::ip::tcp::socket socket_;
};

}  // namespace

std::unique_ptr<ProxyStream> MakeClearStream(asio::ip::tcp::socket socket) {
  return std::make_unique<ClearStream>(std::move(socket));
}

}  // namespace vantor::trace
