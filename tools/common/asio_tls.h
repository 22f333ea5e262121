// TLS for the tools on Asio (the demo host, the host side of vantor-trace and vantor-load): a server's
// context, and a client's under the terminal's own certificate policy, so that a tool accepts and
// refuses the same certificates as the terminal for the same reasons.
#pragma once

#include <asio.hpp>
#include <asio/ssl.hpp>
#include <string>

#include "platform/link_failure.h"
#include "platform/tls_options.h"

namespace vantor::tools {

using TlsSocket = asio::ssl::stream<asio::ip::tcp::socket>;

// A server's context: TLS 1.2 or later, presenting the certificate of a PEM file (the host's own
// first, then its intermediates) with the private key of another. Empty when it is ready, else why not.
std::string ConfigureServer(asio::ssl::context& context, const std::string& certificateFile,
                            const std::string& keyFile);

// A client's context as the terminal's link makes it: kNone, kPinInvalid or kCaFileUnreadable.
LinkFailure ConfigureClient(asio::ssl::context& context, const TlsOptions& options);
// Before the client's handshake: names the host in its hello as the terminal does.
void PrepareClient(TlsSocket& stream, const std::string& host);
// After the client's handshake: the terminal's checks of the host's certificate (kNone: it passed).
LinkFailure CheckServer(TlsSocket& stream, const TlsOptions& options, const std::string& host);
// Why the client's handshake failed, from the error it ended with: kNotTls for a reply that is no TLS,
// kClosedWithoutReply when the host ended the connection, kTimedOut when it was called off.
LinkFailure HandshakeFailure(const std::error_code& error);

}  // namespace vantor::tools
