// Why a connection to the host failed, in words an administrator can act on.
#pragma once

namespace vantor {

enum class LinkFailure {
  kNone,                     // connected, or nothing tried yet
  kHostNotFound,             // the name does not resolve
  kRefused,                  // nothing listens on that port
  kUnreachable,              // no route to the host
  kTimedOut,                 // the connect or the TLS handshake took too long
  kConnectFailed,            // another socket error
  kClosed,                   // shut down from this side while connecting
  kConnectionLost,           // the host ended the connection (or a read or write failed)
  kClosedWithoutReply,       // the host ended the connection before it sent a byte (a TLS host does so to clear text)
  kNotTls,                   // the host answered the TLS handshake with something else
  kExpectsTls,               // a clear-text connection reached a host that speaks TLS
  kHandshakeFailed,          // TLS was spoken but no connection agreed (protocol version, ciphers, alert)
  kCertificateNotTrusted,    // does not chain to a trusted root
  kCertificateExpired,       // outside its validity period
  kCertificateNameMismatch,  // does not name the host as it was given
  kPinMismatch,              // not the certificate the pin names
  kPinInvalid,               // the pin is not 64 hex digits
  kCaFileUnreadable,         // the file of trusted CA certificates cannot be read
};

// The text shown to the administrator ("" for kNone).
const char* Describe(LinkFailure failure);

}  // namespace vantor
