// The client side of one TLS connection as a machine on buffers: bytes from the host go in, bytes for
// the host and plaintext come out. It has no socket, so the same steps run from memory as well.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/link_failure.h"
#include "platform/tls_options.h"

namespace vantor {

class TlsSession {
 public:
  enum class Step {
    kMore,    // waiting for more bytes from the host
    kDone,    // the handshake is over and the host's certificate passed the checks
    kClosed,  // the host ended the session (close notification)
    kFailed,  // see Failure
  };

  virtual ~TlsSession() = default;

  // Starts the handshake (nothing received yet), then goes on with each piece the host sends. Bytes
  // for the host are appended to `out`, also when the step failed (an alert). kMore, kDone or kFailed.
  virtual Step Handshake(std::span<const std::uint8_t> received, std::string& out) = 0;

  // After the handshake: takes the host's bytes cut anywhere (none: those left over from the
  // handshake) and appends the plaintext of every whole record to `plain`, and any answer the engine
  // owes the host to `out`. kMore, kClosed or kFailed.
  virtual Step Decrypt(std::span<const std::uint8_t> received, std::string& plain, std::string& out) = 0;

  // Appends the records carrying `plain` to `out`; false when the engine cannot.
  virtual bool Encrypt(std::string_view plain, std::string& out) = 0;

  // Why the handshake failed (kNone before).
  virtual LinkFailure Failure() const = 0;
  // "TLSv1.2" or "TLSv1.3" once the handshake is done.
  virtual std::string Protocol() const = 0;
};

struct NewTlsSession {
  std::unique_ptr<TlsSession> session;  // none when the options cannot be used
  LinkFailure failure = LinkFailure::kNone;
};

// The platform's engine (OpenSSL; SChannel on Windows) for a client of `host` as the settings name it,
// TLS 1.2 or later. A bad pin (kPinInvalid) or an unreadable CA file gives no session.
NewTlsSession MakeTlsSession(const TlsOptions& options, const std::string& host);

}  // namespace vantor
