// The texts of the link failures.
#include "platform/link_failure.h"

namespace vantor {

const char* Describe(LinkFailure failure) {
  switch (failure) {
    case LinkFailure::kNone: return "";
    case LinkFailure::kHostNotFound: return "host not found";
    case LinkFailure::kRefused: return "connection refused";
    case LinkFailure::kUnreachable: return "host unreachable";
    case LinkFailure::kTimedOut: return "time-out";
    case LinkFailure::kConnectFailed: return "connection failed";
    case LinkFailure::kClosed: return "connection closed";
    case LinkFailure::kConnectionLost: return "connection lost";
    case LinkFailure::kClosedWithoutReply: return "host closed the connection without answering";
    case LinkFailure::kNotTls: return "host does not speak TLS";
    case LinkFailure::kExpectsTls: return "host expects TLS";
    case LinkFailure::kHandshakeFailed: return "TLS handshake failed";
    case LinkFailure::kCertificateNotTrusted: return "certificate not trusted";
    case LinkFailure::kCertificateExpired: return "certificate expired";
    case LinkFailure::kCertificateNameMismatch: return "certificate does not name this host";
    case LinkFailure::kPinMismatch: return "certificate does not match the pin";
    case LinkFailure::kPinInvalid: return "pin is not 64 hex digits";
    case LinkFailure::kCaFileUnreadable: return "trusted CA file unreadable";
  }
  return "connection failed";
}

}  // namespace vantor
