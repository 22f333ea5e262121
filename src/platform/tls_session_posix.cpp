// The TLS engine of the native programs: OpenSSL on memory buffers, and the shared certificate policy.
#include <openssl/err.h>
#include <openssl/x509v3.h>

#include <memory>
#include <vector>

#include "platform/net.h"
#include "platform/openssl_policy_posix.h"
#include "platform/tls_session.h"

namespace vantor {

namespace openssl {

LinkFailure ConfigureClient(SSL_CTX* context, const TlsOptions& options) {
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  // Chain and time are still checked and their result kept; CheckPeer decides once it can say why.
  SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
  if (!options.pin.empty()) return ParsePin(options.pin) ? LinkFailure::kNone : LinkFailure::kPinInvalid;
  if (SSL_CTX_set_default_verify_paths(context) != 1) ERR_clear_error();  // no system store: the CA file alone
  if (!options.caFile.empty() && SSL_CTX_load_verify_locations(context, options.caFile.c_str(), nullptr) != 1) {
    ERR_clear_error();
    return LinkFailure::kCaFileUnreadable;
  }
  return LinkFailure::kNone;
}

void PrepareClient(SSL* ssl, const std::string& host) {
  if (!net::IpLiteral(host)) SSL_set_tlsext_host_name(ssl, host.c_str());
}

LinkFailure CheckPeer(SSL* ssl, const TlsOptions& options, const std::string& host) {
  X509* certificate = SSL_get0_peer_certificate(ssl);
  if (certificate == nullptr) return LinkFailure::kCertificateNotTrusted;
  if (!options.pin.empty()) {
    const auto pin = ParsePin(options.pin);
    if (!pin) return LinkFailure::kPinInvalid;
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length <= 0) return LinkFailure::kPinMismatch;
    const Fingerprint seen = CertificateFingerprint(std::span(der, static_cast<std::size_t>(length)));
    OPENSSL_free(der);
    return seen == *pin ? LinkFailure::kNone : LinkFailure::kPinMismatch;
  }
  switch (SSL_get_verify_result(ssl)) {
    case X509_V_OK: break;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID: return LinkFailure::kCertificateExpired;
    default: return LinkFailure::kCertificateNotTrusted;
  }
  bool named = false;
  if (const auto address = net::IpLiteral(host)) {
    named = X509_check_ip(certificate, address->data(), address->size(), 0) == 1;
  } else {
    named = X509_check_host(certificate, host.data(), host.size(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
  }
  return named ? LinkFailure::kNone : LinkFailure::kCertificateNameMismatch;
}

LinkFailure HandshakeFailure(unsigned long error) {
  if (ERR_GET_LIB(error) != ERR_LIB_SSL) return LinkFailure::kHandshakeFailed;
  switch (ERR_GET_REASON(error)) {
    case SSL_R_WRONG_VERSION_NUMBER:
    case SSL_R_PACKET_LENGTH_TOO_LONG:
    case SSL_R_HTTP_REQUEST:
    case SSL_R_HTTPS_PROXY_REQUEST: return LinkFailure::kNotTls;
    default: return LinkFailure::kHandshakeFailed;
  }
}

}  // namespace openssl

namespace {

struct ContextFree {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

class OpenSslSession final : public TlsSession {
 public:
  OpenSslSession(const TlsOptions& options, std::string host) : options_(options), host_(std::move(host)) {}

  // kNone when the session is ready to start.
  LinkFailure Start() {
    context_.reset(SSL_CTX_new(TLS_client_method()));
    if (!context_) return LinkFailure::kHandshakeFailed;
    const LinkFailure configured = openssl::ConfigureClient(context_.get(), options_);
    if (configured != LinkFailure::kNone) return configured;
    ssl_.reset(SSL_new(context_.get()));
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!ssl_ || in == nullptr || out == nullptr) {
      BIO_free(in);
      BIO_free(out);
      return LinkFailure::kHandshakeFailed;
    }
    BIO_set_mem_eof_return(in, -1);  // empty means "wait for more", not the end of the stream
    SSL_set_bio(ssl_.get(), in, out);
    SSL_set_connect_state(ssl_.get());
    openssl::PrepareClient(ssl_.get(), host_);
    return LinkFailure::kNone;
  }

  Step Handshake(std::span<const std::uint8_t> received, std::string& out) override {
    if (!Take(received)) return Fail(LinkFailure::kHandshakeFailed, out);
    ERR_clear_error();  // SSL_get_error reads the thread's queue: errors of other objects must not count
    const int result = SSL_do_handshake(ssl_.get());
    if (result == 1) {
      Drain(out);
      const LinkFailure checked = openssl::CheckPeer(ssl_.get(), options_, host_);
      return checked == LinkFailure::kNone ? Step::kDone : Fail(checked, out);
    }
    if (SSL_get_error(ssl_.get(), result) == SSL_ERROR_WANT_READ) {
      Drain(out);
      return Step::kMore;
    }
    const unsigned long error = ERR_peek_error();
    return Fail(error != 0 ? openssl::HandshakeFailure(error) : LinkFailure::kHandshakeFailed, out);
  }

  Step Decrypt(std::span<const std::uint8_t> received, std::string& plain, std::string& out) override {
    if (!Take(received)) return Step::kFailed;
    char buffer[16 * 1024];
    Step step = Step::kMore;
    for (;;) {
      ERR_clear_error();
      const int got = SSL_read(ssl_.get(), buffer, sizeof buffer);
      if (got > 0) {
        plain.append(buffer, static_cast<std::size_t>(got));
        continue;
      }
      const int error = SSL_get_error(ssl_.get(), got);
      if (error == SSL_ERROR_ZERO_RETURN) step = Step::kClosed;
      if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_ZERO_RETURN) step = Step::kFailed;
      break;
    }
    ERR_clear_error();
    Drain(out);
    return step;
  }

  bool Encrypt(std::string_view plain, std::string& out) override {
    while (!plain.empty()) {
      const int piece = static_cast<int>(std::min<std::size_t>(plain.size(), 16 * 1024));
      ERR_clear_error();
      const int written = SSL_write(ssl_.get(), plain.data(), piece);
      if (written <= 0) {
        ERR_clear_error();
        return false;
      }
      plain.remove_prefix(static_cast<std::size_t>(written));
    }
    Drain(out);
    return true;
  }

  LinkFailure Failure() const override { return failure_; }
  std::string Protocol() const override { return SSL_get_version(ssl_.get()); }

 private:
  bool Take(std::span<const std::uint8_t> received) {
    if (received.empty()) return true;
    return BIO_write(SSL_get_rbio(ssl_.get()), received.data(), static_cast<int>(received.size())) ==
           static_cast<int>(received.size());
  }

  void Drain(std::string& out) {
    BIO* pending = SSL_get_wbio(ssl_.get());
    char buffer[4096];
    for (int got; (got = BIO_read(pending, buffer, sizeof buffer)) > 0;)
      out.append(buffer, static_cast<std::size_t>(got));
  }

  Step Fail(LinkFailure failure, std::string& out) {
    failure_ = failure;
    ERR_clear_error();
    Drain(out);  // the alert, if any
    return Step::kFailed;
  }

  const TlsOptions options_;
  const std::string host_;
  std::unique_ptr<SSL_CTX, ContextFree> context_;
  std::unique_ptr<SSL, SslFree> ssl_;
  LinkFailure failure_ = LinkFailure::kNone;
};

}  // namespace

NewTlsSession MakeTlsSession(const TlsOptions& options, const std::string& host) {
  auto session = std::make_unique<OpenSslSession>(options, host);
  const LinkFailure failure = session->Start();
  if (failure != LinkFailure::kNone) return {nullptr, failure};
  return {std::move(session), LinkFailure::kNone};
}

}  // namespace vantor
