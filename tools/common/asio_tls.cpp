// The tools' TLS contexts on OpenSSL, the client's through the terminal's certificate policy.
#include "asio_tls.h"

#include <openssl/err.h>

#include "platform/openssl_policy_posix.h"

namespace vantor::tools {

std::string ConfigureServer(asio::ssl::context& context, const std::string& certificateFile,
                            const std::string& keyFile) {
  SSL_CTX* native = context.native_handle();
  SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
  std::string why;
  if (SSL_CTX_use_certificate_chain_file(native, certificateFile.c_str()) != 1) {
    why = "cannot read the certificate " + certificateFile;
  } else if (SSL_CTX_use_PrivateKey_file(native, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    why = "cannot read the private key " + keyFile;
  } else if (SSL_CTX_check_private_key(native) != 1) {
    why = "the key " + keyFile + " is not the certificate's";
  }
  ERR_clear_error();
  return why;
}

LinkFailure ConfigureClient(asio::ssl::context& context, const TlsOptions& options) {
  return openssl::ConfigureClient(context.native_handle(), options);
}

void PrepareClient(TlsSocket& stream, const std::string& host) { openssl::PrepareClient(stream.native_handle(), host); }

LinkFailure CheckServer(TlsSocket& stream, const TlsOptions& options, const std::string& host) {
  return openssl::CheckPeer(stream.native_handle(), options, host);
}

LinkFailure HandshakeFailure(const std::error_code& error) {
  if (error.category() == asio::error::get_ssl_category())
    return openssl::HandshakeFailure(static_cast<unsigned long>(error.value()));
  if (error == asio::error::eof || error == asio::ssl::error::stream_truncated ||
      error == asio::error::connection_reset)
    return LinkFailure::kClosedWithoutReply;
  if (error == asio::error::operation_aborted || error == asio::error::timed_out) return LinkFailure::kTimedOut;
  return LinkFailure::kConnectionLost;
}

}  // namespace vantor::tools
