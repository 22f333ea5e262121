// What the host link's TLS is asked to do, and the rules on it both TLS engines share: the pin's
// format, certificate fingerprints, and telling a TLS reply from something else.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/sha256.h"

namespace vantor {

struct TlsOptions {
  bool enabled = false;
  // The SHA-256 fingerprint of the host certificate's DER bytes, as given (see ParsePin); when set it is
  // the only certificate accepted, without a chain check. Empty: the certificate must chain to a
  // trusted root and name the host.
  std::string pin;
  // A PEM file of CA certificates trusted besides the system's store (none: the system's alone).
  std::string caFile;
  bool operator==(const TlsOptions&) const = default;
};

using Fingerprint = Sha256Digest;

// 64 hex digits in either case, colons anywhere ignored, blanks around allowed, optionally behind the
// "SHA256 Fingerprint=" that `openssl x509 -noout -fingerprint -sha256` prints. None for anything else.
std::optional<Fingerprint> ParsePin(std::string_view text);

// The fingerprint a pin is compared with: SHA-256 of the certificate's DER bytes.
Fingerprint CertificateFingerprint(std::span<const std::uint8_t> der);

// Upper-case hex pairs joined by colons, as openssl prints a fingerprint.
std::string FormatFingerprint(const Fingerprint& fingerprint);

// The first bytes a host sent in answer to a client hello: a TLS server's first record is an alert or
// a handshake record carrying its server hello.
enum class HelloReply { kNeedMore, kTls, kNotTls };
HelloReply ClassifyHelloReply(std::span<const std::uint8_t> first);

// True when the first bytes received on a clear-text connection are a TLS alert record: the host
// speaks TLS and refused what it took for a client hello. Never true for a terminal record.
bool StartsWithTlsAlert(std::span<const std::uint8_t> first);

}  // namespace vantor
