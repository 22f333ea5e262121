// TLS on either side of the gateway: terminals' connections it serves with its certificate, and host
// connections it checks as the terminal checks its host (the pin, or a trusted chain naming the host).
#pragma once

#include <memory>
#include <string>

#include <asio/ssl.hpp>

#include "asio_tls.h"
#include "stream.h"

namespace vantor::gateway {

class TlsStream final : public Stream {
 public:
  // A terminal's connection: the gateway is the server.
  TlsStream(asio::ip::tcp::socket socket, asio::ssl::context& context);
  // A host connection: the host's certificate must pass `check` for the name `host`.
  TlsStream(asio::ip::tcp::socket socket, asio::ssl::context& context, TlsOptions check, std::string host);

  void Handshake(Done done) override;
  void ReadSome(asio::mutable_buffer buffer, Transferred done) override;
  void Write(asio::const_buffer buffer, Transferred done) override;
  // The end of the TCP stream without a close notification, as the demo host ends a terminal's.
  void EndSending() override;
  void Close(bool reset) override;
  asio::ip::tcp::socket& Socket() override { return stream_.next_layer(); }
  std::string Protocol() const override { return protocol_; }

 private:
  tools::TlsSocket stream_;
  bool client_;
  TlsOptions check_;
  std::string host_;
  std::string protocol_;  // once the handshake is done
};

}  // namespace vantor::gateway
