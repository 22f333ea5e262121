// The gateway's TLS streams on Asio's OpenSSL streams, the host's certificate checked by the tools' TLS.
#include "tls_stream.h"

#include <openssl/ssl.h>

namespace vantor::gateway {

namespace {

class LinkFailureCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "link"; }
  std::string message(int value) const override { return Describe(static_cast<LinkFailure>(value)); }
};

// A failed check of the host's certificate as an error whose message is the terminal's words for it.
std::error_code MakeError(LinkFailure failure) {
  static const LinkFailureCategory kCategory;
  return {static_cast<int>(failure), kCategory};
}

}  // namespace

TlsStream::TlsStream(asio::ip::tcp::socket socket, asio::ssl::context& context)
    : stream_(std::move(socket), context), client_(false) {}

TlsStream::TlsStream(asio::ip::tcp::socket socket, asio::ssl::context& context, TlsOptions check, std::string host)
    : stream_(std::move(socket), context), client_(true), check_(std::move(check)), host_(std::move(host)) {}

void TlsStream::Handshake(Done done) {
  if (client_) tools::PrepareClient(stream_, host_);
  const auto role = client_ ? asio::ssl::stream_base::client : asio::ssl::stream_base::server;
  stream_.async_handshake(role, [this, done = std::move(done)](const std::error_code& error) {
    if (!error) protocol_ = SSL_get_version(stream_.native_handle());
    if (error || !client_) return done(error);
    const LinkFailure failure = tools::CheckServer(stream_, check_, host_);
    done(failure == LinkFailure::kNone ? std::error_code() : MakeError(failure));
  });
}

void TlsStream::ReadSome(asio::mutable_buffer buffer, Transferred done) {
  stream_.async_read_some(buffer, std::move(done));
}

void TlsStream::Write(asio::const_buffer buffer, Transferred done) {
  asio::async_write(stream_, buffer, std::move(done));
}

void TlsStream::EndSending() {
  std::error_code ignored;
  Socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
}

void TlsStream::Close(bool reset) {
  std::error_code ignored;
  if (reset && Socket().is_open()) Socket().set_option(asio::socket_base::linger(true, 0), ignored);
  Socket().close(ignored);
}

}  // namespace vantor::gateway
