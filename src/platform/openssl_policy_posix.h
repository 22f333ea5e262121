// The native programs' TLS policy on OpenSSL's own objects, so that the host link's engine and the
// tools running Asio's ssl::stream accept and refuse the same certificates for the same reasons.
#pragma once

#include <openssl/ssl.h>

#include <string>

#include "platform/link_failure.h"
#include "platform/tls_options.h"

namespace vantor::openssl {

// A client context: TLS 1.2 or later, and (without a pin) the trusted roots: the system's store and the
// options' CA file. The handshake itself never stops on the certificate; CheckPeer judges it
// afterwards. kPinInvalid, kCaFileUnreadable or kNone.
LinkFailure ConfigureClient(SSL_CTX* context, const TlsOptions& options);

// Before the handshake: names the host in the client hello (DNS names only, never an IP literal).
void PrepareClient(SSL* ssl, const std::string& host);

// After the handshake: with a pin, only the certificate it names is accepted (no chain check);
// without, the certificate must chain to a trusted root (kCertificateNotTrusted, kCertificateExpired)
// and name the host as given, a DNS name or an IP address (kCertificateNameMismatch).
LinkFailure CheckPeer(SSL* ssl, const TlsOptions& options, const std::string& host);

// Why a handshake failed, from an error of OpenSSL's queue (as Asio's ssl errors carry it).
LinkFailure HandshakeFailure(unsigned long error);

}  // namespace vantor::openssl
