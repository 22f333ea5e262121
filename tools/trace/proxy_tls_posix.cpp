// The proxy's TLS on OpenSSL: served to the terminals with the certificate it is given, and spoken to
// the host as the terminal's link speaks it, refusing the host's certificate for the same reasons.
#include <utility>

#include "asio_tls.h"
#include "proxy_stream.h"

namespace vantor::trace {

namespace {

using asio::ip::tcp;

class TlsStream final : public ProxyStream {
 public:
  // Without client options, the server's side of the handshake.
  TlsStream(tcp::socket socket, asio::ssl::context& context, const TlsOptions* client, std::string host)
      : stream_(std::move(socket), context), client_(client), host_(std::move(host)) {
    if (client_ != nullptr) tools::PrepareClient(stream_, host_);
  }

  tcp::socket& Socket() override { return stream_.next_layer(); }

  // The stream outlives its handlers: they hold the session that owns it.
  void Start(Started done) override {
    const auto side = client_ != nullptr ? asio::ssl::stream_base::client : asio::ssl::stream_base::server;
    stream_.async_handshake(side, [this, done = std::move(done)](const std::error_code& error) {
      if (client_ == nullptr) return done(error ? error.message() : "");
      done(Describe(error ? tools::HandshakeFailure(error) : tools::CheckServer(stream_, *client_, host_)));
    });
  }

  void ReadSome(asio::mutable_buffer buffer, Done done) override { stream_.async_read_some(buffer, std::move(done)); }
  void Write(asio::const_buffer buffer, Done done) override { asio::async_write(stream_, buffer, std::move(done)); }

  // A peer's close notification, or the end of its TCP stream without one (as the terminal and the
  // demo host end a TLS connection).
  bool IsEnd(const std::error_code& error) const override {
    return error == asio::error::eof || error == asio::ssl::error::stream_truncated;
  }

 private:
  tools::TlsSocket stream_;
  const TlsOptions* client_;
  std::string host_;
};

class TlsStreams final : public StreamMaker {
 public:
  explicit TlsStreams(TlsOptions host) : hostOptions_(std::move(host)) {}

  std::string Configure(const ProxyTls& tls) {
    if (!tls.certificateFile.empty()) {
      server_ = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
      std::string why = tools::ConfigureServer(*server_, tls.certificateFile, tls.keyFile);
      if (!why.empty()) return why;
    }
    if (!hostOptions_.enabled) return {};
    client_ = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    const LinkFailure failure = tools::ConfigureClient(*client_, hostOptions_);
    if (failure == LinkFailure::kCaFileUnreadable) return "cannot read the CA certificates " + hostOptions_.caFile;
    return Describe(failure);
  }

  std::unique_ptr<ProxyStream> Terminal(tcp::socket socket) override {
    if (!server_) return MakeClearStream(std::move(socket));
    return std::make_unique<TlsStream>(std::move(socket), *server_, nullptr, "");
  }

  std::unique_ptr<ProxyStream> Host(tcp::socket socket, const std::string& host) override {
    if (!client_) return MakeClearStream(std::move(socket));
    return std::make_unique<TlsStream>(std::move(socket), *client_, &hostOptions_, host);
  }

 private:
  const TlsOptions hostOptions_;
  std::unique_ptr<asio::ssl::context> server_, client_;
};

}  // namespace

std::unique_ptr<StreamMaker> MakeStreamMaker(const ProxyTls& tls, std::string& why) {
  auto maker = std::make_unique<TlsStreams>(tls.host);
  why = maker->Configure(tls);
  if (!why.empty()) return nullptr;
  return maker;
}

bool TlsBuiltIn() { return true; }

}  // namespace vantor::trace
