// SHA-256 through the platform's own library (OpenSSL; the system's cryptography on Windows), for certificate
// fingerprints that come out the same whichever TLS engine saw the certificate.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vantor {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::span<const std::uint8_t> data);

}  // namespace vantor
